#include "titles/keyword_match.h"

#include <optional>
#include <unordered_set>
#include <vector>

#include "base/mbcs_text.h"
#include "base/substring_index.h"
#include "base/text_helpers.h"

namespace bramix {

namespace {

// A search of the text costs about the text's length, indexing it some tens
// of times that: worth it when this many words would search it.
constexpr size_t kWordsWorthAnIndex = 64;

// The "C" locale's punctuation: printable ASCII that is neither a letter, a
// digit nor the space.
bool IsPunctuationByte(unsigned char c) {
    return (c >= 0x21 && c <= 0x2F) || (c >= 0x3A && c <= 0x40) || (c >= 0x5B && c <= 0x60) ||
           (c >= 0x7B && c <= 0x7E);
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
    for (size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (IsLeadByte(c)) {
            out += text.substr(i, 2);  // a lead byte cut off at the end stays alone
            ++i;
        } else if (!IsSpaceByte(c) && !IsPunctuationByte(c)) {
            out += static_cast<char>(c);
        }
    }
    LowerAscii(out);
    return out;
}

bool MatchesSearchTerm(std::string_view term, std::string_view text) {
    std::string normalized(term);
    NormalizeSearchTerm(normalized);
    const std::string compactText = CompactForMatch(text);
    if (ContainsOnCharBoundary(compactText, CompactForMatch(normalized))) {
        return true;
    }
    // Each word once: a title can be the term, and a long one repeats itself.
    std::vector<std::string> words;
    std::unordered_set<std::string> seen;
    normalized += ' ';
    size_t start = 0;
    for (size_t space = normalized.find(' '); space != std::string::npos;
         space = normalized.find(' ', start)) {
        std::string word =
            CompactForMatch(std::string_view(normalized).substr(start, space - start));
        if (seen.insert(word).second) {
            words.push_back(std::move(word));
        }
        start = space + 1;
    }
    // Many words and a long text: one index of the text spares a search of it
    // per word.
    std::optional<SubstringIndex> index;
    if (words.size() > kWordsWorthAnIndex && compactText.size() > kWordsWorthAnIndex) {
        index.emplace(compactText);
    }
    for (const std::string& word : words) {
        if (!(index ? index->Contains(word) : ContainsOnCharBoundary(compactText, word))) {
            return false;
        }
    }
    return true;
}

}  // namespace bramix
