// Search terms and matching. Input: the term, a line break, the text (a
// title or file name).

#include "base/mbcs_text.h"
#include "fuzz_support.h"
#include "titles/keyword_match.h"

namespace {

using namespace bramix;

bool IsPunctuationOrSpace(unsigned char c) {
    return (c >= 0x09 && c <= 0x0D) || (c >= 0x20 && c <= 0x2F) || (c >= 0x3A && c <= 0x40) ||
           (c >= 0x5B && c <= 0x60) || (c >= 0x7B && c <= 0x7E);
}

bool IsCapital(unsigned char c) {
    return c >= 'A' && c <= 'Z';
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto parts = fuzz::SplitLines(fuzz::AsText(data, size), 2);
    const std::string_view term = parts[0];
    const std::string_view text = parts[1];

    std::string normalized(term);
    NormalizeSearchTerm(normalized);
    FUZZ_CHECK(fuzz::IsTrimmed(normalized));
    FUZZ_CHECK(fuzz::NoSingleByteCharacter(normalized, IsCapital));
    FUZZ_CHECK(!fuzz::OccursOnBoundary(normalized, "  "));

    const std::string compact = CompactForMatch(text);
    FUZZ_CHECK(compact.size() <= text.size());
    FUZZ_CHECK(fuzz::NoSingleByteCharacter(compact, IsPunctuationOrSpace));
    FUZZ_CHECK(fuzz::NoSingleByteCharacter(compact, IsCapital));

    const bool matches = MatchesSearchTerm(term, text);
    if (normalized.empty()) {
        FUZZ_CHECK(matches);
    }
    // More text around a match keeps it.
    if (matches && fuzz::EndsOnCharBoundary(text)) {
        FUZZ_CHECK(MatchesSearchTerm(term, "[x] " + std::string(text) + " - y"));
    }
    return 0;
}
