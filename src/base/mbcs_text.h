#pragma once

// Searching and replacing in code page 949 text on character boundaries: a
// byte with the high bit set starts a two-byte character, and a match never
// begins on its second byte. Titles and search terms are matched with these;
// page markup is searched byte by byte elsewhere. Stateless; any thread.

#include <string>
#include <string_view>
#include <vector>

namespace bramix {

// Leftmost occurrence of `needle` that begins on a character boundary at or
// after `from` (which must itself be a boundary); npos when there is none. An
// empty needle is found at `from`.
size_t FindOnCharBoundary(std::string_view text, std::string_view needle, size_t from = 0);

inline bool ContainsOnCharBoundary(std::string_view text, std::string_view needle) {
    return FindOnCharBoundary(text, needle) != std::string_view::npos;
}

// Cuts the text to at most `most` bytes without splitting a two-byte
// character.
void CutOnCharBoundary(std::string& text, size_t most);

// A text to look for many needles in: which of its bytes start a character
// is worked out once, so that each search costs only the byte search.
class CharacterStarts {
public:
    // `text` must outlive this.
    explicit CharacterStarts(std::string_view text);

    // What ContainsOnCharBoundary(text, needle) answers.
    bool Contain(std::string_view needle) const;

private:
    std::string_view text_;
    std::vector<bool> starts_;
};

// One pass: replaces every non-overlapping occurrence, left to right, without
// rescanning what it wrote. Returns how many it replaced.
int ReplaceAll(std::string& text, std::string_view from, std::string_view to);

// Replaces occurrences until none is left, in time linear in the text: for
// the patterns that collapse a run or drop what stands before a mark ("  "
// to " ", "...." to "...", "[1]." to "."), which every order of replacing
// takes to the same text, this is the text that repeating ReplaceAll until a
// pass replaces nothing leaves. `from` and `to` are whole characters, `to`
// shorter than `from` (else this is one ReplaceAll).
void ReplaceRepeatedly(std::string& text, std::string_view from, std::string_view to);

// Lower-cases A to Z only; bytes of two-byte characters never change.
void LowerAscii(std::string& text);

}  // namespace bramix
