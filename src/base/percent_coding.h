#pragma once

// Percent escapes both ways: the query-string form of a search term, and the
// decoding of names taken from addresses and headers. Byte strings in, byte
// strings out: no character conversion. Stateless; any thread.

#include <string>
#include <string_view>

namespace bramix {

// Appends '%' and the byte's two upper-case hex digits.
void AppendPercentEscape(std::string& out, unsigned char byte);

// Query-string form: letters, digits, '-', '_' and '.' stay, white space becomes
// '+', every other byte becomes %XX.
std::string UrlEncode(std::string_view text);

// "%XX" escapes and '+' decoded. A '%' with fewer than two characters after it
// stays as it is; the input is never read past its end.
std::string PercentDecode(std::string_view text);

}  // namespace bramix
