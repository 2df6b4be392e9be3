#pragma once

// Whether a file name, title or half of a title matches the user's search term,
// and the normal form of a search term that the engine queries are built from.
// Stateless; any thread.

#include <string>
#include <string_view>

namespace bramix {

// Trimmed, lower-cased, free-standing "mp3" and "wma" words taken out, runs of
// spaces collapsed. Rewrites `term` in place and returns it.
std::string& NormalizeSearchTerm(std::string& term);

// The text without white space and ASCII punctuation, lower-cased.
std::string CompactForMatch(std::string_view text);

// True when every word of the term, compacted, occurs in the compacted text (or
// the whole compacted term does). An empty term matches everything.
bool MatchesSearchTerm(std::string_view term, std::string_view text);

}  // namespace bramix
