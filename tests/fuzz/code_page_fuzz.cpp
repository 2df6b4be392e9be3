// Code page 949 <-> UTF-8 on any bytes, read both ways. What must hold:
// non-empty in, non-empty out; UTF-8 out is valid; 949 out is valid 949 (it
// converts back without a replacement character) and never longer than its
// input; and text that loses nothing on the way comes back unchanged.
// ValidUtf8 gives valid UTF-8, the input itself when it was.

#include <algorithm>

#include "base/code_page.h"
#include "fuzz_support.h"

namespace {

using bramix::fuzz::IsValidUtf8;

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD

size_t Questions(std::string_view text) {
    return static_cast<size_t>(std::count(text.begin(), text.end(), '?'));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view input = bramix::fuzz::AsText(data, size);

    // Read as code page 949.
    const std::string utf8 = bramix::AnsiToUtf8(input);
    FUZZ_CHECK(utf8.empty() == input.empty());
    FUZZ_CHECK(IsValidUtf8(utf8));
    const std::string back = bramix::Utf8ToAnsi(utf8);
    if (utf8.find(kReplacement) == std::string::npos && Questions(utf8) == Questions(input)) {
        FUZZ_CHECK(back == input);
    }

    // Read as UTF-8.
    const std::string ansi = bramix::Utf8ToAnsi(input);
    FUZZ_CHECK(ansi.empty() == input.empty());
    FUZZ_CHECK(ansi.size() <= input.size());
    const std::string again = bramix::AnsiToUtf8(ansi);
    FUZZ_CHECK(again.find(kReplacement) == std::string::npos);
    if (IsValidUtf8(input) && Questions(ansi) == Questions(input)) {
        FUZZ_CHECK(again == input);
    }

    // Made valid: unchanged when it was.
    const std::string valid = bramix::ValidUtf8(input);
    FUZZ_CHECK(IsValidUtf8(valid));
    FUZZ_CHECK((valid == input) == IsValidUtf8(input));
    return 0;
}
