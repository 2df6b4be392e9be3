#include "ui/version_info.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>

#include "download/disk_names.h"

namespace bramix::ui {
namespace {

TEST(FileVersionInfoTest, ReadsTheRecordOfTheProgram) {
    FileVersionInfo info;
    ASSERT_TRUE(info.Read(BRAMIX_WINDOW_EXECUTABLE));
    EXPECT_EQ(info.fixed().signature, kVersionSignature);
    EXPECT_EQ(VersionTitle("Bramix", info), "Bramix v" BRAMIX_PROJECT_VERSION);
    EXPECT_EQ(info.translations(), std::vector<uint32_t>{0x04B00412});
}

TEST(FileVersionInfoTest, AFileWithoutTheRecordReadsAsZeros) {
    FileVersionInfo info;
    EXPECT_FALSE(info.Read(ExecutablePath()));  // the test itself carries none
    EXPECT_EQ(VersionTitle("Bramix", info), "Bramix v0.0.0.0");
    EXPECT_FALSE(info.Read("/nonexistent/file"));
    EXPECT_FALSE(info.Read(""));
    const std::string text = "/tmp/bramix-not-elf-" + std::to_string(getpid());
    std::ofstream(text) << "not an executable";
    EXPECT_FALSE(info.Read(text));
    unlink(text.c_str());
}

}  // namespace
}  // namespace bramix::ui
