#include "ui/version_info.h"

#include <gtest/gtest.h>

#include "download/disk_names.h"

namespace bramix::ui {
namespace {

TEST(FileVersionInfoTest, AFileWithoutTheRecordReadsAsZeros) {
    FileVersionInfo info;
    EXPECT_FALSE(info.Read(ExecutablePath()));  // the test itself carries none
    EXPECT_EQ(VersionTitle("Bramix", info), "Bramix v0.0.0.0");
    EXPECT_FALSE(info.Read("/nonexistent/file"));
    EXPECT_FALSE(info.Read(""));
}

}  // namespace
}  // namespace bramix::ui
