#include "base/byte_size.h"

#include <cstdio>

#include "base/code_page.h"

namespace bramix {

namespace {

std::string FormatWithUnits(uint64_t size, const std::string& bytes) {
    if (size < 1024) {
        return std::to_string(size) + bytes;
    }
    static constexpr const char* kUnits[] = {"KB", "MB", "GB", "TB", "PB", "EB"};
    // 128-bit so that 1000 x 1024^6 and size x 100 cannot overflow.
    using Wide = unsigned __int128;
    const Wide value = size;
    Wide unit = 1024;
    for (const char* name : kUnits) {
        int decimals = -1;
        if (value < 10 * unit) {
            decimals = 2;
        } else if (value < 100 * unit) {
            decimals = 1;
        } else if (value < 1000 * unit || unit == Wide{1} << 60) {
            decimals = 0;
        }
        if (decimals >= 0) {
            Wide scale = 1;
            for (int i = 0; i < decimals; ++i) {
                scale *= 10;
            }
            const auto shown = static_cast<uint64_t>(value * scale / unit);
            const auto whole = static_cast<unsigned long long>(shown / scale);
            const auto fraction = static_cast<unsigned long long>(shown % scale);
            char text[64];
            if (decimals == 0) {
                std::snprintf(text, sizeof text, "%llu %s", whole, name);
            } else {
                std::snprintf(text, sizeof text, "%llu.%0*llu %s", whole, decimals, fraction, name);
            }
            return text;
        }
        unit *= 1024;
    }
    return {};  // unreachable: EB takes every remaining size
}

}  // namespace

std::string FormatByteSize(uint64_t size) {
    static const std::string bytes = Utf8ToAnsi(" 바이트");
    return FormatWithUnits(size, bytes);
}

std::string FormatByteSizeInEnglish(uint64_t size) {
    return FormatWithUnits(size, " bytes");
}

}  // namespace bramix
