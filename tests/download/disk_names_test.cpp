#include "download/disk_names.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace bramix {
namespace {

namespace fs = std::filesystem;

TEST(SafeFileNameTest, KeepsPlainNames) {
    EXPECT_EQ(SafeFileName("봄노래", ".mp3"), "봄노래.mp3");
}

TEST(SafeFileNameTest, ControlBytesBecomeSpacesAndTheEndsAreTrimmed) {
    EXPECT_EQ(SafeFileName("a\nb", ".mp3"), "a b.mp3");
    EXPECT_EQ(SafeFileName("\x1B[31mred", ".mp3"), "[31mred.mp3");
    EXPECT_EQ(SafeFileName("\r\ttab\x7F", ".mp3"), "tab .mp3");
    EXPECT_EQ(SafeFileName("  song  ", ".mp3  "), "song  .mp3");
    EXPECT_EQ(SafeFileName("", ".mp3"), "download.mp3");  // only an extension
    EXPECT_EQ(SafeFileName(" \n ", " .mp3"), "download.mp3");
}

TEST(SafeFileNameTest, NeverLeavesTheFolder) {
    EXPECT_EQ(SafeFileName("../../etc/passwd", ".mp3"), ".. .. etc passwd.mp3");
    EXPECT_EQ(SafeFileName("", ""), "download");
    EXPECT_EQ(SafeFileName(".", ""), "download");
    EXPECT_EQ(SafeFileName("..", ""), "download");
    EXPECT_EQ(SafeFileName(std::string("a\0b", 3), ".mp3"), "a b.mp3");
}

TEST(SafeFileNameTest, NeverHidesTheFile) {
    EXPECT_EQ(SafeFileName("...", ""), "download");
    EXPECT_EQ(SafeFileName(".", "_1234"), "download_1234");  // a second "." asked for
    EXPECT_EQ(SafeFileName(". .", ".mp3"), ". ..mp3");
}

TEST(SafeFileNameTest, OnlyValidUtf8ReachesTheDisk) {
    EXPECT_EQ(SafeFileName("\xFF\xFE", ".mp3"), "\xEF\xBF\xBD\xEF\xBF\xBD.mp3");
    EXPECT_EQ(SafeFileName("a\xED\xA0\x80", ".mp3"), "a\xEF\xBF\xBD.mp3");    // a surrogate
    EXPECT_EQ(SafeFileName("\xEB\xB4", "\xC3"), "\xEF\xBF\xBD\xEF\xBF\xBD");  // cut short
}

TEST(SafeFileNameTest, ShortensLongStemsOnACharacterBoundary) {
    std::string stem;
    for (int i = 0; i < 100; ++i) {
        stem += "봄";  // three bytes each
    }
    const std::string name = SafeFileName(stem, ".mp3");
    EXPECT_LE(name.size() + 5, 255u);  // with room for ".part"
    EXPECT_EQ(name.substr(name.size() - 4), ".mp3");
    EXPECT_EQ((name.size() - 4) % 3, 0u);  // whole characters only
}

class FreeFileNameTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() / ("bramix-names-" + std::to_string(getpid()));
        fs::remove_all(folder_);
        fs::create_directories(folder_);
    }
    void TearDown() override { fs::remove_all(folder_); }

    std::string Free(const std::string& name) { return FreeFileName(folder_.string(), name, 4242); }

    fs::path folder_;
};

TEST_F(FreeFileNameTest, UsesTheNameMadeSafeWhenItIsFree) {
    EXPECT_EQ(Free("봄노래.mp3"), "봄노래.mp3");
    EXPECT_EQ(Free("AC/DC.mp3"), "AC DC.mp3");
}

TEST_F(FreeFileNameTest, AddsTheTickCountThenANumber) {
    std::ofstream(folder_ / "a.mp3") << "x";
    EXPECT_EQ(Free("a.mp3"), "a_4242.mp3");
    std::ofstream(folder_ / "a_4242.mp3") << "x";
    fs::create_directory(folder_ / "a_4242_1.mp3");
    EXPECT_EQ(Free("a.mp3"), "a_4242_2.mp3");
}

TEST_F(FreeFileNameTest, ADanglingLinkTakesTheName) {
    fs::create_symlink(folder_ / "nowhere", folder_ / "a.mp3");
    EXPECT_EQ(Free("a.mp3"), "a_4242.mp3");
}

TEST_F(FreeFileNameTest, AnotherDownloadsPartialFileTakesTheName) {
    std::ofstream(folder_ / "a.mp3.part") << "x";
    EXPECT_EQ(Free("a.mp3"), "a_4242.mp3");
}

class DownloadFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        base_ = fs::temp_directory_path() / ("bramix-folder-" + std::to_string(getpid()));
        fs::remove_all(base_);
        fs::create_directories(base_ / "home");
        setenv("HOME", (base_ / "home").c_str(), 1);
        unsetenv("XDG_CONFIG_HOME");
    }
    void TearDown() override {
        fs::remove_all(base_);
        setenv("HOME", home_.c_str(), 1);
    }

    void WriteUserDirs(const fs::path& config, const std::string& text) {
        fs::create_directories(config);
        std::ofstream(config / "user-dirs.dirs") << text;
    }

    const std::string home_ = std::getenv("HOME");
    fs::path base_;
};

TEST_F(DownloadFolderTest, IsIncomingBesideTheExecutableAboveDebugOrRelease) {
    fs::create_directories(base_ / "Release");
    fs::create_directories(base_ / "debug");
    EXPECT_EQ(DownloadFolder((base_ / "Release" / "bramix").string()),
              (base_ / "incoming").string());
    EXPECT_EQ(DownloadFolder((base_ / "debug" / "bramix").string()),
              (base_ / "debug" / "incoming").string());  // the case must match
    EXPECT_TRUE(fs::is_directory(base_ / "incoming"));
}

TEST_F(DownloadFolderTest, AnInstalledProgramSavesInTheUsersDownloadFolder) {
    fs::create_directories(base_ / "usr" / "bin");
    const std::string program = (base_ / "usr" / "bin" / "bramix").string();
    EXPECT_EQ(DownloadFolder(program), (base_ / "home" / "Downloads" / "Bramix").string());
    EXPECT_FALSE(fs::exists(base_ / "usr" / "bin" / "incoming"));

    // The desktop's own name for the folder, as xdg-user-dirs writes it.
    WriteUserDirs(base_ / "home" / ".config",
                  "# comment\nXDG_MUSIC_DIR=\"$HOME/음악\"\nXDG_DOWNLOAD_DIR=\"$HOME/다운로드\"\n");
    EXPECT_EQ(DownloadFolder(program), (base_ / "home" / "다운로드" / "Bramix").string());
    WriteUserDirs(base_ / "config", "XDG_DOWNLOAD_DIR=\"/srv/받은 파일\"\n");
    setenv("XDG_CONFIG_HOME", (base_ / "config").c_str(), 1);
    EXPECT_EQ(UserDownloadFolder(), "/srv/받은 파일");
    // A setting that is no absolute folder is no setting.
    WriteUserDirs(base_ / "config", "XDG_DOWNLOAD_DIR=\"Downloads\"\n");
    EXPECT_EQ(UserDownloadFolder(), (base_ / "home" / "Downloads").string());
}

TEST_F(DownloadFolderTest, FallsBackToTheUsersDownloadsWhenIncomingCannotBeMade) {
    // A file where the program's folder would be: nothing can be made under it.
    std::ofstream(base_ / "apps") << "x";
    EXPECT_EQ(DownloadFolder((base_ / "apps" / "bramix").string()),
              (base_ / "home" / "Downloads" / "Bramix").string());
}

TEST(MakeFolderTest, MakesEveryMissingFolderOnTheWay) {
    const fs::path base = fs::temp_directory_path() / ("bramix-make-" + std::to_string(getpid()));
    fs::remove_all(base);
    EXPECT_TRUE(MakeFolder((base / "a" / "b").string()));
    EXPECT_TRUE(fs::is_directory(base / "a" / "b"));
    EXPECT_TRUE(MakeFolder((base / "a").string()));
    std::ofstream(base / "file") << "x";
    EXPECT_FALSE(MakeFolder((base / "file" / "c").string()));
    fs::remove_all(base);
}

}  // namespace
}  // namespace bramix
