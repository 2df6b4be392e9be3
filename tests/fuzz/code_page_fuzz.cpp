// Code page 949 <-> UTF-8 on any bytes, read both ways. What must hold:
// non-empty in, non-empty out; UTF-8 out is valid; 949 out is valid 949 (it
// converts back without a replacement character) and never longer than its
// input; and text that loses nothing on the way comes back unchanged.

#include <algorithm>

#include "base/code_page.h"
#include "fuzz_support.h"

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD

// Strict UTF-8: no overlong forms, surrogates or values beyond U+10FFFF.
bool IsValidUtf8(std::string_view text) {
    for (size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        size_t length;
        char32_t value;
        if (lead < 0x80) {
            ++i;
            continue;
        } else if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2, value = lead & 0x1F;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3, value = lead & 0x0F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4, value = lead & 0x07;
        } else {
            return false;
        }
        if (i + length > text.size()) {
            return false;
        }
        for (size_t k = 1; k < length; ++k) {
            const auto c = static_cast<unsigned char>(text[i + k]);
            if ((c & 0xC0) != 0x80) {
                return false;
            }
            value = (value << 6) | (c & 0x3F);
        }
        const char32_t minimum = length == 2 ? 0x80 : length == 3 ? 0x800 : 0x10000;
        if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
            return false;
        }
        i += length;
    }
    return true;
}

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
    return 0;
}
