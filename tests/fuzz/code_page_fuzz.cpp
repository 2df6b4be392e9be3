// Code page 949 <-> UTF-8 on any bytes, read both ways: non-empty stays
// non-empty, what comes out is valid, 949 is never longer than its UTF-8, and
// text that loses nothing on the way comes back unchanged.

#include <algorithm>

#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace bramix;
    using fuzz::IsValidUtf8;
    constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD
    const std::string_view input = fuzz::AsText(data, size);
    const auto questions = [](std::string_view text) { return std::ranges::count(text, '?'); };

    const std::string utf8 = AnsiToUtf8(input);
    FUZZ_CHECK(utf8.empty() == input.empty() && IsValidUtf8(utf8));
    const bool lossless =
        utf8.find(kReplacement) == std::string::npos && questions(utf8) == questions(input);
    FUZZ_CHECK(!lossless || Utf8ToAnsi(utf8) == input);

    const std::string ansi = Utf8ToAnsi(input);
    FUZZ_CHECK(ansi.empty() == input.empty() && ansi.size() <= input.size());
    const std::string again = AnsiToUtf8(ansi);
    FUZZ_CHECK(again.find(kReplacement) == std::string::npos);
    FUZZ_CHECK(!IsValidUtf8(input) || questions(ansi) != questions(input) || again == input);

    const std::string valid = ValidUtf8(input);
    FUZZ_CHECK(IsValidUtf8(valid) && (valid == input) == IsValidUtf8(input));
    return 0;
}
