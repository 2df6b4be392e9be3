#include "download/download_plan.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include "download/partial_file.h"
#include "support/temp_folder.h"
#include "support/web_test.h"

namespace bramix {
namespace {

using testing::Ansi;

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

TEST(DownloadPlanTest, AnEarlierRunsPartIsTakenUpForItsAddressAndName) {
    testing::TempFolder temp;
    const std::string url = "http://h/a.mp3";
    const int fd = OpenPartForWriting(temp.string() + "/a.mp3.part", true);
    ASSERT_GE(fd, 0);
    const bool remembered = RememberPart(fd, {url, "\"v1\""});
    close(fd);  // and with it the lock: the part is nobody's now
    if (!remembered) {
        GTEST_SKIP() << "this file system keeps no user attributes";
    }
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
