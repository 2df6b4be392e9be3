#include "base/byte_size.h"

#include <gtest/gtest.h>

#include "support/web_test.h"

namespace bramix {
namespace {

using testing::Ansi;

TEST(FormatByteSizeTest, CountsBytesBelowOneKilobyte) {
    EXPECT_EQ(FormatByteSize(0), Ansi("0 바이트"));
    EXPECT_EQ(FormatByteSize(532), Ansi("532 바이트"));
    EXPECT_EQ(FormatByteSize(1023), Ansi("1023 바이트"));
}

TEST(FormatByteSizeTest, ShowsThreeDigitsTruncatedNeverRounded) {
    EXPECT_EQ(FormatByteSize(1024), "1.00 KB");
    EXPECT_EQ(FormatByteSize(1340), "1.30 KB");
    EXPECT_EQ(FormatByteSize(23506), "22.9 KB");
    EXPECT_EQ(FormatByteSize(921600), "900 KB");
    EXPECT_EQ(FormatByteSize(1023999), "999 KB");
    EXPECT_EQ(FormatByteSize(1024000), "0.97 MB");
    EXPECT_EQ(FormatByteSize(1046862), "0.99 MB");
    EXPECT_EQ(FormatByteSize(2400016), "2.28 MB");
    EXPECT_EQ(FormatByteSize(4718592), "4.50 MB");
    EXPECT_EQ(FormatByteSize(10695475), "10.1 MB");
    EXPECT_EQ(FormatByteSize(2400000000), "2.23 GB");
}

TEST(FormatByteSizeTest, ReachesTheLargestUnitsWithoutOverflow) {
    EXPECT_EQ(FormatByteSize(uint64_t{1} << 40), "1.00 TB");
    EXPECT_EQ(FormatByteSize(uint64_t{1} << 50), "1.00 PB");
    EXPECT_EQ(FormatByteSize(UINT64_MAX), "15.9 EB");
}

}  // namespace
}  // namespace bramix
