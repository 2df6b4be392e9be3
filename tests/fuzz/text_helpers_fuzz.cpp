// The byte and character helpers that markup, addresses and titles go
// through, and the substring index that long texts are matched with. Input:
// a pattern line, a replacement line (each cut at 256 bytes), then the text.

#include <optional>

#include "base/mbcs_text.h"
#include "base/percent_coding.h"
#include "base/substring_index.h"
#include "fuzz_support.h"
#include "net/address.h"
#include "net/http_request.h"

namespace {

using namespace bramix;
using fuzz::ForEachCharacter;

constexpr size_t npos = std::string_view::npos;

bool IsCharacterStart(std::string_view text, size_t position) {
    bool start = position == text.size();
    ForEachCharacter(text, [&](size_t i) { start = start || i == position; });
    return start;
}

void CheckTrimming(std::string_view text, std::string_view pattern) {
    std::string trimmed(text);
    TrimSpaces(trimmed);
    FUZZ_CHECK(fuzz::IsTrimmed(trimmed));
    FUZZ_CHECK(text.find(trimmed) != npos);

    if (!pattern.empty()) {
        const char ch = pattern[0];
        std::string stripped(text);
        TrimChar(stripped, ch);
        FUZZ_CHECK(text.find(stripped) != npos);
        FUZZ_CHECK(stripped.empty() || stripped.front() != ch);
    }
}

void CheckPercentCoding(std::string_view text) {
    const std::string encoded = UrlEncode(std::string(text));
    FUZZ_CHECK(encoded.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"
                                         "0123456789-_.+%") == npos);
    // Decoding gives the text back, every white space byte as a space.
    std::string spaced(text);
    for (char& c : spaced) {
        c = IsSpaceByte(static_cast<unsigned char>(c)) ? ' ' : c;
    }
    FUZZ_CHECK(PercentDecode(encoded) == spaced);
    FUZZ_CHECK(PercentDecode(text).size() <= text.size());

    const std::string wire = EscapeForRequest(text);
    for (const char c : wire) {
        FUZZ_CHECK(static_cast<unsigned char>(c) > 0x20 && static_cast<unsigned char>(c) < 0x7F);
    }
    FUZZ_CHECK(wire.size() >= text.size());
}

void CheckCharacterSearch(std::string_view text, std::string_view pattern,
                          std::string_view replacement) {
    const size_t found = FindOnCharBoundary(text, pattern);
    if (found != npos) {
        FUZZ_CHECK(text.substr(found, pattern.size()) == pattern);
        FUZZ_CHECK(IsCharacterStart(text, found));
        // Nothing on a boundary before it; the naive check is kept to short texts.
        if (text.size() <= 4096 && found > 0) {
            FUZZ_CHECK(FindOnCharBoundary(text.substr(0, found + pattern.size() - 1), pattern) ==
                       npos);
        }
    }

    // The index and the character starts answer as the search does, for
    // every needle tried on them.
    const SubstringIndex index(text);
    const CharacterStarts starts(text);
    const bool replacementFound = FindOnCharBoundary(text, replacement) != npos;
    FUZZ_CHECK(index.Contains(pattern) == (found != npos));
    FUZZ_CHECK(index.Contains(replacement) == replacementFound);
    FUZZ_CHECK(starts.Contain(pattern) == (found != npos));
    FUZZ_CHECK(starts.Contain(replacement) == replacementFound);
    if (found != npos) {
        FUZZ_CHECK(index.Contains(text.substr(found)));
    }

    std::string replaced(text);
    const int count = ReplaceAll(replaced, pattern, replacement);
    FUZZ_CHECK(count >= 0);
    FUZZ_CHECK(replaced.size() + count * pattern.size() ==
               text.size() + count * replacement.size());
    FUZZ_CHECK((count == 0) == (pattern.empty() || found == npos));

    // Repeated replacement, for patterns of whole characters, leaves no
    // occurrence; for a pattern that collapses a run or drops what stands
    // before a mark (the replacement ends the pattern) it is ReplaceAll until
    // a pass replaces nothing. Passes cost too much to compare on long texts.
    if (!pattern.empty() && replacement.size() < pattern.size() &&
        fuzz::EndsOnCharBoundary(pattern) && fuzz::EndsOnCharBoundary(replacement)) {
        std::string repeated(text);
        ReplaceRepeatedly(repeated, pattern, replacement);
        FUZZ_CHECK(FindOnCharBoundary(repeated, pattern) == npos);
        const bool endsThePattern =
            pattern.substr(pattern.size() - replacement.size()) == replacement;
        if (endsThePattern && text.size() <= 2048) {
            std::string passes(text);
            while (ReplaceAll(passes, pattern, replacement) > 0) {
            }
            FUZZ_CHECK(repeated == passes);
        }
    }

    std::string lowered(text);
    LowerAscii(lowered);
    FUZZ_CHECK(lowered.size() == text.size());
    FUZZ_CHECK(
        fuzz::NoSingleByteCharacter(lowered, [](unsigned char c) { return c >= 'A' && c <= 'Z'; }));
}

void CheckByteReplacement(std::string_view text, std::string_view pattern,
                          std::string_view replacement) {
    std::string replaced(text);
    ReplaceBytes(replaced, pattern, replacement);
    if (pattern.empty() || text.find(pattern) == npos) {
        FUZZ_CHECK(replaced == text);
    } else {
        FUZZ_CHECK(replaced != text || pattern == replacement);
    }
}

void CheckAddress(std::string_view text) {
    const std::optional<ParsedAddress> parsed = ParseAddress(text);
    if (!parsed) {
        return;
    }
    const size_t separator = text.find("://");
    FUZZ_CHECK(separator != npos && separator > 0);
    std::string scheme(text.substr(0, separator));
    LowerAscii(scheme);
    FUZZ_CHECK((parsed->service == ServiceType::Http) == (scheme == "http"));
    FUZZ_CHECK((parsed->service == ServiceType::Https) == (scheme == "https"));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Patterns are the program's markers and words, never long; a long one
    // would cost std::string_view::find the product of the two lengths.
    static constexpr size_t kPatternLimit = 256;
    const auto parts = fuzz::SplitLines(fuzz::AsText(data, size), 3);
    const std::string_view pattern = parts[0].substr(0, kPatternLimit);
    const std::string_view replacement = parts[1].substr(0, kPatternLimit);
    const std::string_view text = parts[2];
    CheckTrimming(text, pattern);
    CheckPercentCoding(text);
    CheckCharacterSearch(text, pattern, replacement);
    CheckByteReplacement(text, pattern, replacement);
    CheckAddress(text);
    return 0;
}
