// Search terms and matching. Input: the term, a line break, the text (a
// title or file name).

#include "fuzz_support.h"
#include "titles/keyword_match.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace bramix;
    const auto parts = fuzz::SplitLines(fuzz::AsText(data, size), 2);
    const std::string_view term = parts[0];
    const std::string_view text = parts[1];

    std::string normalized(term);
    NormalizeSearchTerm(normalized);
    const std::string normalizedCharacters = fuzz::Characters(normalized);
    FUZZ_CHECK(fuzz::IsTrimmed(normalized) && normalizedCharacters.find("  ") == std::string::npos);
    FUZZ_CHECK(normalizedCharacters.find_first_of(fuzz::kCapitals) == std::string::npos);

    // Compacting drops white space and punctuation, and lower-cases.
    const std::string compact = CompactForMatch(text);
    FUZZ_CHECK(compact.size() <= text.size());
    FUZZ_CHECK(fuzz::Characters(compact).find_first_of(
                   std::string(fuzz::kCapitals) +
                   "\t\n\v\f\r !\"#$%&'()*+,-./:;<=>?@[\\]^_`{|}~") == std::string::npos);

    const bool matches = MatchesSearchTerm(term, text);
    FUZZ_CHECK(matches || !normalized.empty());
    // More text around a match keeps it.
    if (matches && fuzz::EndsOnCharBoundary(text)) {
        FUZZ_CHECK(MatchesSearchTerm(term, "[x] " + std::string(text) + " - y"));
    }
    return 0;
}
