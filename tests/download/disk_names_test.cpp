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
    std::string spring;  // 81 characters of 3 bytes
    for (int i = 0; i < 81; ++i) {
        spring += "봄";
    }
    const struct {
        std::string stem, extension, name;
    } rows[] = {
        {"봄노래", ".mp3", "봄노래.mp3"},
        {"a\nb", ".mp3", "a b.mp3"},  // control bytes become spaces
        {"\x1B[31mred", ".mp3", "[31mred.mp3"},
        {"  song  ", ".mp3  ", "song  .mp3"},  // the ends are trimmed
        {"", ".mp3", "download.mp3"},          // only an extension
        {"../../etc/passwd", ".mp3", ".. .. etc passwd.mp3"},
        {"", "", "download"},
        {"..", "", "download"},
        {"...", "", "download"},
        {std::string("a\0b", 3), ".mp3", "a b.mp3"},
        {".", "_1234", "download_1234"},  // a second "." asked for
        {". .", ".mp3", ". ..mp3"},
        {"\xFF\xFE", ".mp3", "\xEF\xBF\xBD\xEF\xBF\xBD.mp3"},
        {"a\xED\xA0\x80", ".mp3", "a\xEF\xBF\xBD.mp3"},    // a surrogate
        {"\xEB\xB4", "\xC3", "\xEF\xBF\xBD\xEF\xBF\xBD"},  // cut short
        // Cut on a character boundary, with room for ".part".
        {"a" + spring + "봄봄", ".mp3", "a" + spring + ".mp3"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(SafeFileName(row.stem, row.extension), row.name) << row.stem << row.extension;
    }
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

// Beside the program (above Debug or Release), unless it is installed or
// that folder cannot be made; then in the user's download folder, made on
// the way.
TEST(DownloadFolderTest, IsIncomingBesideTheProgramElseTheUsersDownloadFolder) {
    testing::TempFolder temp;
    const fs::path& base = temp.path();
    const std::string home = std::getenv("HOME");
    setenv("HOME", (base / "home").c_str(), 1);
    unsetenv("XDG_CONFIG_HOME");
    const auto userDirs = [](const fs::path& config, const std::string& text) {
        fs::create_directories(config);
        std::ofstream(config / "user-dirs.dirs") << text;
    };
    const std::string downloads = (base / "home" / "Downloads").string();
    fs::create_directories(base / "Release");
    fs::create_directories(base / "debug");
    fs::create_directories(base / "usr" / "bin");
    std::ofstream(base / "apps") << "x";  // nothing can be made under a file
    EXPECT_EQ(DownloadFolder((base / "Release/bramix").string()), (base / "incoming").string());
    EXPECT_EQ(DownloadFolder((base / "debug/bramix").string()), (base / "debug/incoming").string());
    EXPECT_TRUE(fs::is_directory(base / "incoming"));
    EXPECT_EQ(DownloadFolder((base / "apps/bramix").string()), downloads + "/Bramix");
    const std::string installed = (base / "usr/bin/bramix").string();
    EXPECT_EQ(DownloadFolder(installed), downloads + "/Bramix");
    EXPECT_FALSE(fs::exists(base / "usr/bin/incoming"));
    EXPECT_TRUE(MakeFolder(downloads + "/Bramix/a"));  // every missing folder on the way
    EXPECT_TRUE(fs::is_directory(downloads + "/Bramix/a"));
    EXPECT_FALSE(MakeFolder((base / "apps/c").string()));

    // The desktop's own name for the folder, as xdg-user-dirs writes it.
    userDirs(base / "home/.config",
             "# comment\nXDG_MUSIC_DIR=\"$HOME/음악\"\nXDG_DOWNLOAD_DIR=\"$HOME/다운로드\"\n");
    EXPECT_EQ(DownloadFolder(installed), (base / "home/다운로드/Bramix").string());
    userDirs(base / "config", "XDG_DOWNLOAD_DIR=\"/srv/받은 파일\"\n");
    setenv("XDG_CONFIG_HOME", (base / "config").c_str(), 1);
    EXPECT_EQ(UserDownloadFolder(), "/srv/받은 파일");
    userDirs(base / "config", "XDG_DOWNLOAD_DIR=\"Downloads\"\n");  // no absolute folder
    EXPECT_EQ(UserDownloadFolder(), downloads);
    setenv("HOME", home.c_str(), 1);
    unsetenv("XDG_CONFIG_HOME");
}

}  // namespace
}  // namespace bramix
