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

    // Letters, digits and two-byte characters are what a compact text keeps.
    const std::string compact = CompactForMatch(text);
    FUZZ_CHECK(compact.size() <= text.size());
    for (const char c : fuzz::Characters(compact)) {
        FUZZ_CHECK((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '\x80' || c < 9 ||
                   (c > 0x0D && c < 0x20) || c == 0x7F);
    }

    const bool matches = MatchesSearchTerm(term, text);
    FUZZ_CHECK(matches || !normalized.empty());
    // More text around a match keeps it.
    if (matches && fuzz::EndsOnCharBoundary(text)) {
        FUZZ_CHECK(MatchesSearchTerm(term, "[x] " + std::string(text) + " - y"));
    }
    return 0;
}
