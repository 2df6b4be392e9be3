#pragma once

// Conversions between code page 949 (the program's text) and UTF-8 (pages,
// file names, the terminal and the window). Character by character: one bad
// character never stops a conversion, and a non-empty input never gives an
// empty or cut result. Stateless for callers; any thread.

#include <string>
#include <string_view>

namespace bramix {

// 949 -> UTF-8. A byte pair that code page 949 does not define becomes U+FFFD;
// a lone lead byte at the very end becomes '?'.
std::string AnsiToUtf8(std::string_view ansi);

// UTF-8 -> 949. Each invalid UTF-8 sequence (lone continuation byte, truncated
// sequence, overlong form, surrogate, beyond U+10FFFF) and each character that
// 949 lacks becomes one '?'.
std::string Utf8ToAnsi(std::string_view utf8);

// UTF-8 -> UTF-8 that is valid: each invalid sequence (as Utf8ToAnsi sees
// them) becomes U+FFFD, for text that goes where only UTF-8 may (names on
// disk, the terminal).
std::string ValidUtf8(std::string_view text);

}  // namespace bramix
