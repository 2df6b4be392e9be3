#include "download/disk_names.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "support/temp_folder.h"

namespace bramix {
namespace {

namespace fs = std::filesystem;

TEST(SafeFileNameTest, NeverLeavesTheFolderNorHidesTheFileAndKeepsOnlyValidUtf8) {
    const struct {
        std::string stem, extension, name;
    } rows[] = {
        {"봄노래", ".mp3", "봄노래.mp3"},
        {"a\nb", ".mp3", "a b.mp3"},  // control bytes become spaces
        {"\x1B[31mred", ".mp3", "[31mred.mp3"},
        {"\r\ttab\x7F", ".mp3", "tab .mp3"},
        {"  song  ", ".mp3  ", "song  .mp3"},  // the ends are trimmed
        {"", ".mp3", "download.mp3"},          // only an extension
        {" \n ", " .mp3", "download.mp3"},
        {"../../etc/passwd", ".mp3", ".. .. etc passwd.mp3"},
        {"", "", "download"},
        {".", "", "download"},
        {"..", "", "download"},
        {"...", "", "download"},
        {std::string("a\0b", 3), ".mp3", "a b.mp3"},
        {".", "_1234", "download_1234"},  // a second "." asked for
        {". .", ".mp3", ". ..mp3"},
        {"\xFF\xFE", ".mp3", "\xEF\xBF\xBD\xEF\xBF\xBD.mp3"},
        {"a\xED\xA0\x80", ".mp3", "a\xEF\xBF\xBD.mp3"},    // a surrogate
        {"\xEB\xB4", "\xC3", "\xEF\xBF\xBD\xEF\xBF\xBD"},  // cut short
    };
    for (const auto& row : rows) {
        EXPECT_EQ(SafeFileName(row.stem, row.extension), row.name) << row.stem << row.extension;
    }
    // A long stem is cut on a character boundary, with room for ".part".
    std::string stem;
    for (int i = 0; i < 100; ++i) {
        stem += "봄";
    }
    const std::string name = SafeFileName(stem, ".mp3");
    EXPECT_LE(name.size() + 5, 255u);
    EXPECT_EQ(name.substr(name.size() - 4), ".mp3");
    EXPECT_EQ((name.size() - 4) % 3, 0u);
}

TEST(FreeFileNameTest, AddsTheTickCountThenANumberUntilNothingStandsOnTheName) {
    testing::TempFolder temp;
    const auto free = [&temp](const char* name) { return FreeFileName(temp.string(), name, 4242); };
    EXPECT_EQ(free("AC/DC.mp3"), "AC DC.mp3");
    std::ofstream(temp.path() / "a.mp3") << "x";
    EXPECT_EQ(free("a.mp3"), "a_4242.mp3");
    std::ofstream(temp.path() / "a_4242.mp3.part") << "x";  // another download's
    fs::create_directory(temp.path() / "a_4242_1.mp3");
    EXPECT_EQ(free("a.mp3"), "a_4242_2.mp3");
    fs::create_symlink(temp.path() / "nowhere", temp.path() / "b.mp3");
    EXPECT_EQ(free("b.mp3"), "b_4242.mp3");
}

class DownloadFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(base_ / "home");
        setenv("HOME", (base_ / "home").c_str(), 1);
        unsetenv("XDG_CONFIG_HOME");
    }
    void TearDown() override { setenv("HOME", home_.c_str(), 1); }

    void WriteUserDirs(const fs::path& config, const std::string& text) {
        fs::create_directories(config);
        std::ofstream(config / "user-dirs.dirs") << text;
    }

    const std::string home_ = std::getenv("HOME");
    testing::TempFolder temp_;
    const fs::path& base_ = temp_.path();
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
    EXPECT_FALSE(MakeFolder((base_ / "apps" / "c").string()));
    EXPECT_TRUE(MakeFolder((base_ / "a" / "b").string()));  // every missing folder on the way
    EXPECT_TRUE(fs::is_directory(base_ / "a" / "b"));
    EXPECT_TRUE(MakeFolder((base_ / "a").string()));
}

}  // namespace
}  // namespace bramix
