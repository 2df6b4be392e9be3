#include <gtest/gtest.h>

#include "ui/version_info.h"

namespace bramix::ui {

TEST(ProgramVersionTest, TheWindowCarriesTheProjectVersion) {
    FileVersionInfo info;
    EXPECT_FALSE(info.Read("/nonexistent/file"));
    ASSERT_TRUE(info.Read(BRAMIX_WINDOW_EXECUTABLE));
    EXPECT_EQ(info.fixed().signature, kVersionSignature);
    EXPECT_EQ(VersionTitle("Bramix", info), "Bramix v" BRAMIX_PROJECT_VERSION);
    EXPECT_EQ(info.translations(), std::vector<uint32_t>{0x04B00412});
}

}  // namespace bramix::ui
