#pragma once

// Turns page titles and post headings into short song titles, and tidies file
// names taken from links. Texts are code page 949. Stateless; any thread.

#include <optional>
#include <string>
#include <string_view>

namespace bramix {

// The text between the page's first "<title>" and the next "</title>",
// untouched; empty when either is missing.
std::string ExtractPageTitle(std::string_view page);

// Removes everything from each "<" through the next ">"; an unclosed "<"
// removes the rest of the text.
void StripTags(std::string& text);

// No cleaned title is longer: every find of a page carries its title, so a
// hostile page's long one would be copied into each of them.
inline constexpr size_t kLongestTitle = 1024;

// Markup, entities, decorative symbols and stock phrases ("듣기/가사",
// "mp3 다운로드", ...) out; a "blog :: song" title cut to the part that says
// more or matches the term; then TidyText; then cut to kLongestTitle bytes
// on a character boundary.
void CleanTitle(std::string& title, std::optional<std::string_view> term);

// Collapses runs of punctuation, spaces out hyphens, turns characters that are
// unsafe in file names into spaces, and trims.
void TidyText(std::string& text);

// TidyText for the stem of a name that ends in a four-byte extension, the
// stem first cut to kLongestTitle bytes; the extension is only lower-cased.
void TidyFileName(std::string& name);

}  // namespace bramix
