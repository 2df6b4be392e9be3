// The byte and character helpers and the substring index. Input: a pattern
// line, a replacement line (each cut at 256 bytes, as the program's markers
// are short: find costs the product of the lengths), then the text.

#include "base/mbcs_text.h"
#include "base/percent_coding.h"
#include "base/substring_index.h"
#include "fuzz_support.h"
#include "net/address.h"
#include "net/http_request.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace bramix;
    constexpr size_t npos = std::string_view::npos;
    const auto parts = fuzz::SplitLines(fuzz::AsText(data, size), 3);
    const std::string_view pattern = parts[0].substr(0, 256);
    const std::string_view replacement = parts[1].substr(0, 256);
    const std::string_view text = parts[2];

    std::string trimmed(text);
    TrimSpaces(trimmed);
    FUZZ_CHECK(fuzz::IsTrimmed(trimmed) && text.find(trimmed) != npos);
    const char edge = pattern.empty() ? ' ' : pattern[0];
    std::string stripped(text);
    TrimChar(stripped, edge);
    FUZZ_CHECK(text.find(stripped) != npos && (stripped.empty() || stripped[0] != edge));
    FUZZ_CHECK(!ParseAddress(text) || text.find("://") != npos);

    // Decoding gives the text back, every white space byte as a space.
    const std::string encoded = UrlEncode(std::string(text));
    std::string spaced(text);
    std::replace_if(
        spaced.begin(), spaced.end(), [](char c) { return IsSpaceByte(c); }, ' ');
    FUZZ_CHECK(PercentDecode(encoded) == spaced && PercentDecode(text).size() <= text.size());
    const std::string wire = EscapeForRequest(text);
    FUZZ_CHECK(wire.size() >= text.size() &&
               std::all_of(wire.begin(), wire.end(), [](char c) { return c > 0x20 && c < 0x7F; }));

    const size_t found = FindOnCharBoundary(text, pattern);
    FUZZ_CHECK(found == npos || (text.substr(found, pattern.size()) == pattern &&
                                 fuzz::EndsOnCharBoundary(text.substr(0, found))));
    // The index and the character starts answer as the search does.
    const SubstringIndex index(text);
    const CharacterStarts starts(text);
    for (const std::string_view needle :
         {pattern, replacement, text.substr(std::min(found, text.size()))}) {
        const bool contained = FindOnCharBoundary(text, needle) != npos;
        FUZZ_CHECK(index.Contains(needle) == contained && starts.Contain(needle) == contained);
    }

    std::string replaced(text);
    const int count = ReplaceAll(replaced, pattern, replacement);
    FUZZ_CHECK(count >= 0 && (count == 0) == (pattern.empty() || found == npos));
    FUZZ_CHECK(replaced.size() + count * pattern.size() ==
               text.size() + count * replacement.size());

    // Repeated replacement of whole characters leaves no occurrence; for a
    // pattern that the replacement ends, it is ReplaceAll until a pass
    // replaces nothing (too dear to compare on long texts).
    if (!pattern.empty() && replacement.size() < pattern.size() &&
        fuzz::EndsOnCharBoundary(pattern) && fuzz::EndsOnCharBoundary(replacement)) {
        std::string repeated(text);
        ReplaceRepeatedly(repeated, pattern, replacement);
        FUZZ_CHECK(FindOnCharBoundary(repeated, pattern) == npos);
        if (pattern.ends_with(replacement) && text.size() <= 2048) {
            std::string passes(text);
            while (ReplaceAll(passes, pattern, replacement) > 0) {
            }
            FUZZ_CHECK(repeated == passes);
        }
    }

    std::string lowered(text);
    LowerAscii(lowered);
    FUZZ_CHECK(lowered.size() == text.size() &&
               fuzz::Characters(lowered).find_first_of(fuzz::kCapitals) == npos);
    std::string bytes(text);
    ReplaceBytes(bytes, pattern, replacement);
    FUZZ_CHECK((bytes == text) ==
               (pattern.empty() || text.find(pattern) == npos || pattern == replacement));
    return 0;
}
