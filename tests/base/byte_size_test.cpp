#include "base/byte_size.h"

#include <gtest/gtest.h>

#include "support/web_test.h"

namespace bramix {
namespace {

// Three digits, truncated and never rounded, up to the largest unit.
TEST(FormatByteSizeTest, WritesTheSizeTexts) {
    // clang-format off
    const std::pair<uint64_t, const char*> rows[] = {
        {0, "0 바이트"}, {532, "532 바이트"}, {1023, "1023 바이트"}, {1024, "1.00 KB"},
        {1340, "1.30 KB"}, {23506, "22.9 KB"}, {921600, "900 KB"}, {1023999, "999 KB"},
        {1024000, "0.97 MB"}, {1046862, "0.99 MB"}, {2400016, "2.28 MB"}, {4718592, "4.50 MB"},
        {10695475, "10.1 MB"}, {2400000000, "2.23 GB"}, {uint64_t{1} << 40, "1.00 TB"},
        {uint64_t{1} << 50, "1.00 PB"}, {UINT64_MAX, "15.9 EB"}};
    // clang-format on
    for (const auto& [size, text] : rows) {
        EXPECT_EQ(FormatByteSize(size), testing::Ansi(text)) << size;
    }
}

}  // namespace
}  // namespace bramix
