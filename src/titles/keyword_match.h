#pragma once

// Whether a file name, title or half of a title matches the user's search term,
// and the normal form of a search term that the engine queries are built from.
// Stateless; any thread.

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace bramix {

// Trimmed, lower-cased, free-standing "mp3" and "wma" words taken out, runs of
// spaces collapsed. Rewrites `term` in place and returns it.
std::string& NormalizeSearchTerm(std::string& term);

// The text without white space and ASCII punctuation, lower-cased.
std::string CompactForMatch(std::string_view text);

// A term made ready to match texts against: normalized, compacted and cut
// into its distinct words once, where a page's many finds share one title.
class SearchTerm {
public:
    explicit SearchTerm(std::string_view term);

    // True when every word of the term, compacted, occurs in the compacted
    // text (or the whole compacted term does). An empty term matches
    // everything.
    bool MatchedBy(std::string_view text) const;

private:
    std::string whole_;  // the normalized term, compacted
    std::string words_;  // its distinct words, compacted, one after another
    std::vector<std::pair<size_t, size_t>> wordSpans_;  // in words_
};

// SearchTerm(term).MatchedBy(text), for a term used once.
bool MatchesSearchTerm(std::string_view term, std::string_view text);

}  // namespace bramix
