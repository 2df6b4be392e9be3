#include "download/disk_names.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "download/download_plan.h"
#include "download/partial_file.h"
#include "support/temp_folder.h"
#include "support/web_test.h"

namespace bramix {
namespace {

using testing::Ansi;
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
    EXPECT_EQ(DownloadFolder((base / "apps/bramix").string()), downloads + "/Bramix");
    const std::string installed = (base / "usr/bin/bramix").string();
    EXPECT_EQ(DownloadFolder(installed), downloads + "/Bramix");
    EXPECT_FALSE(fs::exists(base / "usr/bin/incoming"));
    EXPECT_TRUE(MakeFolder(downloads + "/Bramix/a"));  // every missing folder on the way
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

TEST(DownloadPlanTest, AFindIsShownInUtf8AndAskedForByItsOwnBytes) {
    const DownloadEntry song =
        EntryForFind(Ansi("봄노래.mp3"), Ansi("봄 모음"), "http://h/" + Ansi("노래.mp3"));
    EXPECT_EQ(song.title, "봄 모음");
    EXPECT_EQ(song.fileUrl, "http://h/노래.mp3");
    EXPECT_EQ(song.requestUrl, "http://h/%B3%EB%B7%A1.mp3");
    EXPECT_EQ(EntryForFind("a.mp3", "", "http://h/a%20b c").requestUrl, "http://h/a%20b%20c");
    // The last four bytes cut a character: on disk each part is converted
    // on its own, as ever; the list shows the name whole.
    const DownloadEntry cut = EntryForFind(Ansi("가나") + "x", "", "http://h/x");
    EXPECT_EQ(cut.fileName, "가나x");
    EXPECT_EQ(cut.diskName, "?〕챯");
    // A name typed with an address is kept, whatever the server says.
    const auto answered = [](const std::string& disposition) { return disposition; };
    EXPECT_FALSE(EntryForAddress("http://h/a", "내 노래.mp3", "a", answered).nameFromAnswer);
}

// An earlier run's .part is taken up for its address and name. Whatever else
// stands in the folder under a .part's name is never taken up, written through
// or removed: only a regular file a download made is ours.
TEST(DownloadPlanTest, AnEarlierRunsPartIsTakenUpOnlyAsARegularFileForItsAddressAndName) {
    testing::TempFolder temp;
    const std::string url = "http://h/a.mp3";
    const std::string other = "http://h/x.mp3";
    // Ours here; another elsewhere, reached from here through a symbolic link.
    fs::create_directories(temp.path() / "outside");
    const std::string theirs = temp.string() + "/outside/x.mp3.part";
    for (const auto& [path, address] :
         {std::pair{temp.string() + "/a.mp3.part", url}, std::pair{theirs, other}}) {
        const int fd = OpenPartForWriting(path, true);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(write(fd, "user data", 9), 9);
        const bool remembered = RememberPart(fd, {address, "\"v1\""});
        close(fd);  // and with it the lock: the part is nobody's now
        if (!remembered) {
            GTEST_SKIP() << "this file system keeps no user attributes";
        }
    }
    const std::string link = temp.string() + "/t.mp3.part";
    fs::create_symlink(theirs, link);
    // A FIFO would block whoever opens it to read.
    const std::string fifo = temp.string() + "/f.mp3.part";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
    ASSERT_TRUE(FindPartOf(temp.string() + "/outside", other));  // found where it is
    EXPECT_FALSE(FindPartOf(temp.string(), other));
    EXPECT_FALSE(RecallPart(link));
    EXPECT_LT(OpenPartForWriting(link, false), 0);
    EXPECT_LT(OpenPartForWriting(fifo, false), 0);
    EXPECT_FALSE(RemovePartIfUnused(link));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(testing::ReadFile(theirs), "user data");

    const auto none = [](const std::string&) { return std::string(); };
    const std::pair<DownloadEntry, bool> rows[] = {
        {EntryForAddress(url, "a.mp3", "", none), true},
        {EntryForAddress(url, "b.mp3", "", none), false},
        {EntryForAddress(url, "", "link.mp3", none), true},  // the answer would name it
        {EntryForAddress("http://h/b.mp3", "a.mp3", "", none), false},
        {EntryForFind("a.mp3", "", url), true}};
    for (auto [entry, takenUp] : rows) {
        SCOPED_TRACE(entry.diskName);
        EXPECT_EQ(TakeUpEarlierPart(entry, temp.string()), takenUp);
        if (takenUp) {
            EXPECT_EQ(entry.path, temp.string() + "/a.mp3");
            EXPECT_EQ(entry.fileName, "a.mp3");
            EXPECT_TRUE(entry.partIsOurs);
            EXPECT_EQ(entry.validator, "\"v1\"");
            EXPECT_FALSE(entry.nameFromAnswer);
        }
    }
}

}  // namespace
}  // namespace bramix
