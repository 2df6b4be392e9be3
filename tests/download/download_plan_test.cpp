#include "download/download_plan.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "download/partial_file.h"
#include "support/temp_folder.h"
#include "support/web_test.h"

namespace bramix {
namespace {

using testing::Ansi;
namespace fs = std::filesystem;

TEST(DownloadPlanTest, AFindIsShownInUtf8AndAskedForByItsOwnBytes) {
    const DownloadEntry song =
        EntryForFind(Ansi("봄노래.mp3"), Ansi("봄 모음"), "http://h/" + Ansi("노래.mp3"));
    EXPECT_EQ(song.fileName, "봄노래.mp3");
    EXPECT_EQ(song.diskName, "봄노래.mp3");
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
