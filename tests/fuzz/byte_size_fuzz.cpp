// FormatByteSize of the first 8 bytes (little-endian). Beyond the byte counts,
// the text must read back as the size truncated to at most three significant
// digits in the smallest unit that keeps the number under 1000.

#include <cstring>

#include "base/byte_size.h"
#include "base/code_page.h"
#include "fuzz_support.h"

namespace {

using Wide = unsigned __int128;

Wide Power(Wide base, int exponent) {
    Wide result = 1;
    while (exponent-- > 0) {
        result *= base;
    }
    return result;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    uint64_t value = 0;
    for (size_t i = 0; i < 8 && i < size; ++i) {
        value |= uint64_t{data[i]} << (8 * i);
    }
    const std::string text = bramix::FormatByteSize(value);
    if (value < 1024) {
        FUZZ_CHECK(text == std::to_string(value) + bramix::Utf8ToAnsi(" 바이트"));
        return 0;
    }
    // "<whole>[.<fraction>] <unit>"
    const size_t space = text.find(' ');
    FUZZ_CHECK(space != std::string::npos);
    const std::string number = text.substr(0, space);
    const std::string unitName = text.substr(space + 1);
    static constexpr const char* kUnits[] = {"KB", "MB", "GB", "TB", "PB", "EB"};
    int exponent = 0;
    for (int i = 0; i < 6; ++i) {
        if (unitName == kUnits[i]) {
            exponent = i + 1;
        }
    }
    FUZZ_CHECK(exponent != 0);
    const size_t point = number.find('.');
    const int decimals =
        point == std::string::npos ? 0 : static_cast<int>(number.size() - point - 1);
    std::string digits = number;
    if (point != std::string::npos) {
        digits.erase(point, 1);
    }
    FUZZ_CHECK(!digits.empty() && digits.find_first_not_of("0123456789") == std::string::npos);
    const size_t significant = digits.find_first_not_of('0');
    FUZZ_CHECK(significant != std::string::npos && digits.size() - significant <= 3);

    const Wide shown = std::stoull(digits);
    const Wide unit = Power(1024, exponent);
    const Wide scale = Power(10, decimals);
    FUZZ_CHECK(shown * unit <= Wide{value} * scale);  // truncated, never rounded up
    FUZZ_CHECK(Wide{value} * scale < (shown + 1) * unit);
    FUZZ_CHECK(exponent == 6 || Wide{value} < 1000 * unit);
    FUZZ_CHECK(exponent == 1 || Wide{value} >= 1000 * (unit / 1024));
    return 0;
}
