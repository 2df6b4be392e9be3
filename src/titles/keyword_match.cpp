#include "titles/keyword_match.h"

#include <algorithm>
#include <optional>
#include <unordered_set>
#include <vector>

#include "base/mbcs_text.h"
#include "base/substring_index.h"
#include "base/text_helpers.h"

namespace bramix {

namespace {

// A byte search of the text costs a fraction of a nanosecond a byte, indexing
// it some hundred times that: worth it past this many words (measured on
// ASCII and on Hangul texts; a cleaned title has fewer).
constexpr size_t kWordsWorthAnIndex = 512;

// The "C" locale's punctuation: printable ASCII that is neither a letter, a
// digit nor the space.
bool IsPunctuationByte(unsigned char c) {
    return (c >= 0x21 && c <= 0x2F) || (c >= 0x3A && c <= 0x40) || (c >= 0x5B && c <= 0x60) ||
           (c >= 0x7B && c <= 0x7E);
}

// Appends the text without spaces and punctuation, its ASCII letters in
// lower case. A lead byte cut off at the end stays alone.
void AppendCompacted(std::string_view text, std::string& out) {
    for (size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (IsLeadByte(c)) {
            out += text.substr(i, 2);
            ++i;
        } else if (c >= 'A' && c <= 'Z') {
            out += static_cast<char>(c - 'A' + 'a');
        } else if (!IsSpaceByte(c) && !IsPunctuationByte(c)) {
            out += static_cast<char>(c);
        }
    }
}

}  // namespace

std::string& NormalizeSearchTerm(std::string& term) {
    TrimSpaces(term);
    LowerAscii(term);
    term.insert(term.begin(), ' ');
    term += ' ';
    // The surrounding spaces go with the word, so its neighbours join.
    ReplaceAll(term, " mp3 ", "");
    ReplaceAll(term, " wma ", "");
    ReplaceRepeatedly(term, "  ", " ");
    return TrimSpaces(term);
}

std::string CompactForMatch(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    AppendCompacted(text, out);
    return out;
}

SearchTerm::SearchTerm(std::string_view term) {
    std::string normalized(term);
    NormalizeSearchTerm(normalized);
    whole_ = CompactForMatch(normalized);
    // Each word once: a title can be the term, and a long one repeats itself.
    std::vector<std::pair<size_t, size_t>> spans;
    words_.reserve(normalized.size());
    for (size_t start = 0; start <= normalized.size();) {
        const size_t space = std::min(normalized.find(' ', start), normalized.size());
        const size_t begin = words_.size();
        AppendCompacted(std::string_view(normalized).substr(start, space - start), words_);
        spans.emplace_back(begin, words_.size() - begin);
        start = space + 1;
    }
    std::unordered_set<std::string_view> seen(2 * spans.size());
    for (const auto& [begin, size] : spans) {
        if (seen.insert(std::string_view(words_).substr(begin, size)).second) {
            wordSpans_.emplace_back(begin, size);
        }
    }
}

bool SearchTerm::MatchedBy(std::string_view text) const {
    const std::string compactText = CompactForMatch(text);
    if (ContainsOnCharBoundary(compactText, whole_)) {
        return true;
    }
    // A byte search per word, on character starts worked out once; for very
    // many words one index of the text costs less.
    std::optional<SubstringIndex> index;
    std::optional<CharacterStarts> starts;
    if (wordSpans_.size() > kWordsWorthAnIndex) {
        index.emplace(compactText);
    } else {
        starts.emplace(compactText);
    }
    for (const auto& [begin, size] : wordSpans_) {
        const std::string_view word = std::string_view(words_).substr(begin, size);
        if (!(index ? index->Contains(word) : starts->Contain(word))) {
            return false;
        }
    }
    return true;
}

bool MatchesSearchTerm(std::string_view term, std::string_view text) {
    return SearchTerm(term).MatchedBy(text);
}

}  // namespace bramix
