#pragma once

// How wide UTF-8 text is on a terminal, and how to shorten it to a width:
// Hangul and other wide characters take two columns. Any thread.

#include <cstddef>
#include <string>
#include <string_view>

namespace bramix {

// Columns that the text takes; invalid bytes count one each.
size_t DisplayWidth(std::string_view utf8);

// The text itself when it fits in `width` columns; else its start and end
// with "…" between them, together at most `width` columns.
std::string ShortenToWidth(std::string_view utf8, size_t width);

}  // namespace bramix
