#pragma once

// Trimming, byte classes and exact byte-sequence search of code page 949 byte
// strings. Stateless; any thread.

#include <string>
#include <string_view>

namespace bramix {

// True for the six ASCII white-space bytes: 0x09 to 0x0D and the space.
inline bool IsSpaceByte(unsigned char c) {
    return c == ' ' || (c >= 0x09 && c <= 0x0D);
}

// 0x00 to 0x1F and 0x7F: bytes that steer a terminal or end a field.
inline bool IsControlByte(unsigned char c) {
    return c < 0x20 || c == 0x7F;
}

// The text with every control byte replaced by `replacement`: for names,
// fields and echoes that must not steer a terminal or break a line.
std::string MaskControlBytes(std::string_view text, char replacement);

// A byte with the high bit set starts a two-byte character.
inline bool IsLeadByte(unsigned char c) {
    return c >= 0x80;
}

// Removes white space at both ends; a trail byte is never taken for white space.
std::string& TrimSpaces(std::string& text);

// Removes every occurrence of `ch` at both ends, stepping over two-byte characters.
std::string& TrimChar(std::string& text, char ch);

// Exact byte-sequence search and replacement, for markup and addresses.
// Where `part` first occurs at or after `from`; npos when it does not. Not
// std::string::find, which stops at every byte that could start the part: a
// hostile text can make that every byte.
size_t FindBytes(std::string_view text, std::string_view part, size_t from = 0);
inline bool Contains(std::string_view text, std::string_view part) {
    return FindBytes(text, part) != std::string_view::npos;
}
// A to Z and a to z are the same; every other byte only itself.
inline bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        const auto x = static_cast<unsigned char>(a[i]);
        const auto y = static_cast<unsigned char>(b[i]);
        if ((x >= 'A' && x <= 'Z' ? x + 32 : x) != (y >= 'A' && y <= 'Z' ? y + 32 : y)) {
            return false;
        }
    }
    return true;
}
inline bool EndsWith(std::string_view text, std::string_view end) {
    return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}
// Replaces every non-overlapping occurrence, left to right; the replacement
// is not searched again.
void ReplaceBytes(std::string& text, std::string_view from, std::string_view to);

}  // namespace bramix
