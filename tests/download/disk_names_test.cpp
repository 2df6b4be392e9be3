#include "download/disk_names.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "support/web_test.h"

namespace bramix {
namespace {

using testing::Ansi;
namespace fs = std::filesystem;

TEST(SafeFileNameTest, KeepsPlainNames) {
    EXPECT_EQ(SafeFileName("봄노래", ".mp3"), "봄노래.mp3");
}

TEST(SafeFileNameTest, NeverLeavesTheFolder) {
    EXPECT_EQ(SafeFileName("../../etc/passwd", ".mp3"), ".. .. etc passwd.mp3");
    EXPECT_EQ(SafeFileName("", ""), "download");
    EXPECT_EQ(SafeFileName(".", ""), "download");
    EXPECT_EQ(SafeFileName("..", ""), "download");
    EXPECT_EQ(SafeFileName(std::string("a\0b", 3), ".mp3"), "a b.mp3");
}

TEST(SafeFileNameTest, ShortensLongStemsOnACharacterBoundary) {
    std::string stem;
    for (int i = 0; i < 100; ++i) {
        stem += "봄";  // three bytes each
    }
    const std::string name = SafeFileName(stem, ".mp3");
    EXPECT_LE(name.size(), 255u);
    EXPECT_EQ(name.substr(name.size() - 4), ".mp3");
    EXPECT_EQ((name.size() - 4) % 3, 0u);  // whole characters only
}

class FreeDownloadPathTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() / ("bramix-names-" + std::to_string(getpid()));
        fs::remove_all(folder_);
        fs::create_directories(folder_);
    }
    void TearDown() override { fs::remove_all(folder_); }

    std::string Free(const std::string& utf8Name, std::string& listName) {
        return FreeDownloadPath(folder_.string(), Ansi(utf8Name), 4242, listName);
    }

    fs::path folder_;
};

TEST_F(FreeDownloadPathTest, UsesTheNameInUtf8WhenItIsFree) {
    std::string listName;
    EXPECT_EQ(Free("봄노래.mp3", listName), (folder_ / "봄노래.mp3").string());
    EXPECT_EQ(listName, Ansi("봄노래.mp3"));
}

TEST_F(FreeDownloadPathTest, AddsTheTickCountThenANumber) {
    std::ofstream(folder_ / "a.mp3") << "x";
    std::string listName;
    EXPECT_EQ(Free("a.mp3", listName), (folder_ / "a_4242.mp3").string());
    EXPECT_EQ(listName, "a_4242.mp3");
    std::ofstream(folder_ / "a_4242.mp3") << "x";
    fs::create_directory(folder_ / "a_4242_1.mp3");
    EXPECT_EQ(Free("a.mp3", listName), (folder_ / "a_4242_2.mp3").string());
}

TEST_F(FreeDownloadPathTest, ADanglingLinkTakesTheName) {
    fs::create_symlink(folder_ / "nowhere", folder_ / "a.mp3");
    std::string listName;
    EXPECT_EQ(Free("a.mp3", listName), (folder_ / "a_4242.mp3").string());
}

TEST_F(FreeDownloadPathTest, AnUnsafeListNameBecomesSafe) {
    std::string listName;
    EXPECT_EQ(Free("AC/DC.mp3", listName), (folder_ / "AC DC.mp3").string());
    EXPECT_EQ(listName, "AC DC.mp3");
}

TEST(DownloadFolderTest, IsIncomingBesideTheExecutableAboveDebugOrRelease) {
    const fs::path base = fs::temp_directory_path() / ("bramix-folder-" + std::to_string(getpid()));
    fs::remove_all(base);
    fs::create_directories(base / "Release");
    fs::create_directories(base / "debug");
    EXPECT_EQ(DownloadFolder((base / "Release" / "bramix").string(), "/nonexistent"),
              (base / "incoming").string());
    EXPECT_EQ(DownloadFolder((base / "debug" / "bramix").string(), "/nonexistent"),
              (base / "debug" / "incoming").string());  // the case must match
    EXPECT_TRUE(fs::is_directory(base / "incoming"));
    fs::remove_all(base);
}

TEST(DownloadFolderTest, FallsBackToTheUsersDownloadsWhenTheFolderCannotBeMade) {
    const fs::path base =
        fs::temp_directory_path() / ("bramix-fallback-" + std::to_string(getpid()));
    fs::remove_all(base);
    fs::create_directories(base);
    // A file where the program's folder would be: nothing can be made under it.
    std::ofstream(base / "bin") << "x";
    EXPECT_EQ(DownloadFolder((base / "bin" / "bramix").string(), (base / "Downloads").string()),
              (base / "Downloads" / "Bramix").string());
    EXPECT_TRUE(fs::is_directory(base / "Downloads" / "Bramix"));
    fs::remove_all(base);
}

}  // namespace
}  // namespace bramix
