#include <gtest/gtest.h>

#include "ui/version_info.h"

namespace bramix::ui {
namespace {

// A window built without the record shows v0.0.0.0: the window test's.
TEST(ProgramVersionTest, TheWindowCarriesTheProjectVersion) {
    FileVersionInfo info;
    EXPECT_FALSE(info.Read("/nonexistent/file"));
    EXPECT_FALSE(info.Read(""));
    ASSERT_TRUE(info.Read(BRAMIX_WINDOW_EXECUTABLE));
    EXPECT_EQ(info.fixed().signature, kVersionSignature);
    EXPECT_EQ(VersionTitle("Bramix", info), "Bramix v" BRAMIX_PROJECT_VERSION);
    EXPECT_EQ(info.translations(), std::vector<uint32_t>{0x04B00412});
}

}  // namespace
}  // namespace bramix::ui
