#include "titles/keyword_match.h"

#include <optional>

#include "base/mbcs_text.h"
#include "base/substring_index.h"
#include "base/text_helpers.h"

namespace bramix {

namespace {

// Texts and terms whose sizes multiply to more than this are indexed: a plain
// search costs up to their product, the index a fixed cost per character.
constexpr size_t kIndexedAbove = 1 << 16;

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
    const std::string compactTerm = CompactForMatch(normalized);
    // A title can be the term, and a page can make both long: then one index
    // of the text keeps the many words from costing a search of it each.
    std::optional<SubstringIndex> index;
    if (compactText.size() * compactTerm.size() > kIndexedAbove) {
        index.emplace(compactText);
    }
    auto contains = [&](std::string_view part) {
        return index ? index->Contains(part) : ContainsOnCharBoundary(compactText, part);
    };
    if (contains(compactTerm)) {
        return true;
    }
    normalized += ' ';
    size_t start = 0;
    for (size_t space = normalized.find(' '); space != std::string::npos;
         space = normalized.find(' ', start)) {
        const std::string_view word = std::string_view(normalized).substr(start, space - start);
        if (!contains(CompactForMatch(word))) {
            return false;
        }
        start = space + 1;
    }
    return true;
}

}  // namespace bramix
