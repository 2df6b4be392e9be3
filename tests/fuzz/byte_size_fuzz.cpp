// FormatByteSize of the first 8 bytes (little-endian): "N bytes" below a
// kilobyte, else at most three significant digits in the smallest unit that
// keeps the number under 1000, truncated and never rounded up.

#include <algorithm>
#include <cmath>
#include <cstring>

#include "base/byte_size.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using Wide = unsigned __int128;
    uint64_t value = 0;
    std::memcpy(&value, data, std::min<size_t>(size, 8));
    const std::string text = bramix::FormatByteSize(value);
    const size_t space = text.find(' ');
    FUZZ_CHECK(space != std::string::npos);
    std::string digits = text.substr(0, space);
    if (value < 1024) {
        FUZZ_CHECK(digits == std::to_string(value));
        return 0;
    }
    const size_t exponent = std::string_view("KMGTPE").find(text[space + 1]) + 1;
    FUZZ_CHECK(exponent != 0 && text.substr(space + 2) == "B");
    const Wide unit = Wide{1} << (10 * exponent);
    const size_t point = std::min(digits.find('.'), digits.size());
    const Wide scale =
        static_cast<uint64_t>(std::pow(10, digits.size() - std::min(point + 1, digits.size())));
    digits.erase(point, 1);
    FUZZ_CHECK(!digits.empty() && digits.find_first_not_of("0123456789") == std::string::npos);
    FUZZ_CHECK(digits.find_first_not_of('0') + 3 >= digits.size());
    const Wide shown = std::stoull(digits);
    FUZZ_CHECK(shown > 0 && shown * unit <= Wide{value} * scale &&
               Wide{value} * scale < (shown + 1) * unit);
    FUZZ_CHECK(unit == Wide{1} << 60 || Wide{value} < 1000 * unit);
    FUZZ_CHECK(unit == 1024 || Wide{value} >= 1000 * (unit / 1024));
    return 0;
}
