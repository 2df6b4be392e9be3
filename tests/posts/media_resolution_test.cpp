#include "posts/media_resolution.h"

#include <gtest/gtest.h>

#include "base/percent_coding.h"
#include "posts/site_constants.h"
#include "support/post_test.h"
#include "support/raw_server.h"

namespace bramix {
namespace {

using testing::Ansi;

class ResolveMediaLinkTest : public testing::PostTest {
protected:
    void Resolve(const std::string& link, const std::string& pageUrl = "http://x.tistory.com/1") {
        post_.pageUrl = pageUrl;
        post_.title = Ansi("봄노래 - 가수");
        ResolveMediaLink(job_, post_, link);
    }

    PostContext post_;
};

TEST_F(ResolveMediaLinkTest, ReportsAnAudioFileWithTheServersNameAndSize) {
    SetFile("http://files.example.com/a/track.MP3", "4718592",
            "attachment; filename=\"Spring Song.mp3\"");
    Resolve("http://files.example.com/a/track.MP3");
    const auto finds = recorder_.Finds();
    ASSERT_EQ(finds.size(), 1u);
    EXPECT_EQ(finds[0].fileName, "Spring Song.mp3");
    EXPECT_EQ(finds[0].size, 4718592u);
    EXPECT_EQ(finds[0].type, FILE_TYPE_MP3);
    EXPECT_EQ(finds[0].fileUrl, "http://files.example.com/a/track.MP3");
    EXPECT_EQ(finds[0].pageUrl, "http://x.tistory.com/1");
    EXPECT_EQ(finds[0].title, Ansi("봄노래 - 가수"));
}

TEST_F(ResolveMediaLinkTest, AskNothingOfLinksThatAreNoAudioFiles) {
    Resolve("http://files.example.com/a.mp3?x=1");
    Resolve("http://files.example.com/page.html");
    Resolve(URL_DUMMY_MP3);
    EXPECT_TRUE(web_.Requests().empty());
    EXPECT_TRUE(recorder_.Finds().empty());
    EXPECT_EQ(job_.seenLinks.count("http://files.example.com/page.html"), 1u);
    EXPECT_EQ(job_.seenLinks.count(URL_DUMMY_MP3), 0u);  // the placeholder is never marked
}

TEST_F(ResolveMediaLinkTest, AsksTistoryAndDaumAttachmentLinksWhateverTheirEnding) {
    SetFile("http://cfile5.uf.tistory.com/original/1A2B", "", "attachment; filename=\"a.wma\"");
    SetFile("http://cfile1.uf.daum.net/attach/9F9F?x=1", "");
    Resolve("http://cfile5.uf.tistory.com/original/1A2B");
    Resolve("http://cfile1.uf.daum.net/attach/9F9F?x=1");
    EXPECT_EQ(web_.Requests().size(), 2u);
    const auto finds = recorder_.Finds();
    ASSERT_EQ(finds.size(), 1u);  // the Daum one names no audio file
    EXPECT_EQ(finds[0].fileName, "a.wma");
    EXPECT_EQ(finds[0].type, FILE_TYPE_WMA);
    EXPECT_EQ(finds[0].size, 0u);
}

TEST_F(ResolveMediaLinkTest, NaverLinksLoseTheirAttachmentMarker) {
    SetFile("http://blogfiles.naver.net/1/a.mp3", "");
    Resolve("http://blogfiles.naver.net/1/a.mp3?type=attachment");
    Resolve("http://other.example.com/b.mp3?type=attachment", "http://blog.naver.com/x");
    EXPECT_EQ(recorder_.Finds().size(), 1u);
    EXPECT_EQ(recorder_.Finds()[0].fileUrl, "http://blogfiles.naver.net/1/a.mp3");
    EXPECT_EQ(RequestsFor("http://other.example.com/b.mp3"), 1u);  // rewritten, then asked
}

TEST_F(ResolveMediaLinkTest, DaumLinksKeepTheMarkerEvenOnNaverPages) {
    Resolve("http://pds1.blog.daum.net/a.mp3?type=attachment", "http://blog.naver.com/x");
    EXPECT_TRUE(web_.Requests().empty());
}

TEST_F(ResolveMediaLinkTest, NamesFromServersAreDecodedUnlessTheLinkIsNaver) {
    const std::string encoded = "attachment; filename=%EC%9D%8C%EC%95%85.mp3";
    SetFile("http://cfile2.uf.daum.net/attach/1", "", encoded);
    SetFile("http://blogfiles.naver.net/2/x.mp3", "", encoded);
    Resolve("http://cfile2.uf.daum.net/attach/1");
    Resolve("http://blogfiles.naver.net/2/x.mp3");
    const auto finds = recorder_.Finds();
    ASSERT_EQ(finds.size(), 2u);
    EXPECT_EQ(finds[0].fileName, Ansi("음악.mp3"));
    EXPECT_EQ(finds[1].fileName, "%EC%9D%8C%EC%95%85.mp3");
}

TEST_F(ResolveMediaLinkTest, NaverNamesArriveInCodePage949) {
    SetFile("http://blogfiles.naver.net/3/x.mp3", "",
            "attachment; filename=\"" + Ansi("봄노래.mp3") + "\"");
    Resolve("http://blogfiles.naver.net/3/x.mp3");
    ASSERT_EQ(recorder_.Finds().size(), 1u);
    EXPECT_EQ(recorder_.Finds()[0].fileName, Ansi("봄노래.mp3"));
}

TEST_F(ResolveMediaLinkTest, SmallFilesOfKnownSizeAreDropped) {
    SetFile("http://f.example.com/small.mp3", "300000");
    SetFile("http://f.example.com/edge.mp3", "524288");
    SetFile("http://f.example.com/unsized.mp3", "");
    Resolve("http://f.example.com/small.mp3");
    Resolve("http://f.example.com/edge.mp3");
    Resolve("http://f.example.com/unsized.mp3");
    const auto finds = recorder_.Finds();
    ASSERT_EQ(finds.size(), 2u);
    EXPECT_EQ(finds[0].size, 524288u);
    EXPECT_EQ(finds[1].size, 0u);
    EXPECT_EQ(job_.seenLinks.count("http://f.example.com/small.mp3"), 1u);
}

TEST_F(ResolveMediaLinkTest, TheLinkNamesTheFileWhenTheServerDoesNot) {
    SetFile("http://f.example.com/download.php?id=7&filename=a%20b.mp3", "");
    Resolve("http://f.example.com/download.php?id=7&filename=a%20b.mp3");
    ASSERT_EQ(recorder_.Finds().size(), 1u);
    EXPECT_EQ(recorder_.Finds()[0].fileName, "a b.mp3");
}

TEST_F(ResolveMediaLinkTest, NoHeadAServerSendsLosesTheFind) {
    // A Tistory link names no file: the name, and so the find, comes from
    // the head, which libcurl must not refuse. Sizes follow the search's rule.
    const std::string named = "Content-Disposition: attachment; filename=\"a.mp3\"\r\n";
    const struct {
        std::string fields;
        const char* name;
        uint32_t size;
    } rows[] = {
        {named + "Content-Length: unknown", "a.mp3", 0},
        {named + "Content-Length: ", "a.mp3", 0},
        {named + "Content-Length: -1", "a.mp3", 0xFFFFFFFF},
        {named + "Content-Length: 99999999999", "a.mp3", 0xFFFFFFFF},
        {named + "Content-Length:  7000000  ", "a.mp3", 7000000},
        {named + "Content-Length: 6000000\r\nContent-Length: 5000000", "a.mp3", 6000000},
        {named + "Transfer-Encoding: bogus", "a.mp3", 0},
        {"Content-Disposition: attachment; filename=\"a \\\"b\\\" c.mp3\"", "a b c.mp3", 0},
        {"Content-Disposition: attachment; filename=\"a\\\\b.mp3\"", "a b.mp3", 0},
        {"Content-Disposition: attachment; filename=\"song.mp3\\", "song.mp3", 0},
        {"Content-Disposition: attachment; filename=my song.mp3; size=1", "my song.mp3", 0},
        {"Content-Disposition: attachment; filename*=UTF-8''x.mp3; filename=\"y.mp3\"", "y.mp3", 0},
        {"Content-Disposition: attachment;\r\n filename=\"folded.mp3\"", "folded.mp3", 0},
    };
    for (const auto& row : rows) {
        testing::RawServer server("HTTP/1.1 200 OK\r\n" + row.fields +
                                  "\r\nConnection: close\r\n\r\n" + std::string(600000, 'x'));
        setenv("http_proxy", server.Url().c_str(), 1);
        job_.seenLinks.clear();
        const size_t before = recorder_.Finds().size();
        Resolve("http://cfile5.uf.tistory.com/original/1A2B");
        const auto finds = recorder_.Finds();
        ASSERT_EQ(finds.size(), before + 1) << row.fields;
        EXPECT_EQ(finds.back().fileName, row.name) << row.fields;
        EXPECT_EQ(finds.back().size, row.size) << row.fields;
    }
}

TEST_F(ResolveMediaLinkTest, AFailedRequestMarksTheLinkSeen) {
    web_.Set("http://f.example.com/gone.mp3", standin::Status(404));
    Resolve("http://f.example.com/gone.mp3");
    Resolve("http://f.example.com/gone.mp3");
    EXPECT_EQ(RequestsFor("http://f.example.com/gone.mp3"), 1u);
    EXPECT_TRUE(recorder_.Finds().empty());
}

TEST_F(ResolveMediaLinkTest, TheSameLinkIsAskedAndReportedOnce) {
    SetFile("http://f.example.com/a.mp3", "");
    Resolve("http://f.example.com/a.mp3");
    Resolve("http://f.example.com/a.mp3", "http://y.tistory.com/2");
    EXPECT_EQ(RequestsFor("http://f.example.com/a.mp3"), 1u);
    EXPECT_EQ(recorder_.Finds().size(), 1u);
}

TEST_F(ResolveMediaLinkTest, ALinkRewrittenIntoASeenOneIsAskedButNotReported) {
    SetFile("http://blogfiles.naver.net/4/a.mp3", "");
    job_.seenLinks.insert("http://blogfiles.naver.net/4/a.mp3");
    Resolve("http://blogfiles.naver.net/4/a.mp3?type=attachment");
    EXPECT_EQ(RequestsFor("http://blogfiles.naver.net/4/a.mp3"), 1u);
    EXPECT_TRUE(recorder_.Finds().empty());
}

class ReportFoundFileTest : public testing::PostTest {
protected:
    FoundFile Report(const std::string& fileName, const std::string& title) {
        PostContext post;
        FoundFile found;
        found.fileName = fileName;
        found.title = title;
        ReportFoundFile(job_, post, "http://f.example.com/" + std::to_string(++counter_), found,
                        SearchTerm(title));
        return recorder_.Finds().back();
    }

    int counter_ = 0;
};

TEST_F(ReportFoundFileTest, ANumberedNameGivesWayToTheTitle) {
    EXPECT_EQ(Report("01.mp3", "Spring Day").fileName, "Spring Day.mp3");
    EXPECT_EQ(Report("01.mp3", "Spring Day").title, "");
    EXPECT_EQ(Report("01 - 02.mp3", "Spring Day").fileName, "Spring Day.mp3");
    EXPECT_EQ(Report(".mp3", "Spring Day").fileName, "Spring Day.mp3");
    EXPECT_EQ(Report("track01.mp3", "Spring Day").fileName, "track01.mp3");
    EXPECT_EQ(Report("01.mp3", "").fileName, "01.mp3");
    EXPECT_EQ(Report(Ansi("일.mp3"), "Spring Day").fileName, Ansi("일.mp3"));
}

TEST_F(ReportFoundFileTest, ATitleThatAddsNothingIsEmptied) {
    job_.input = "spring";
    EXPECT_EQ(Report("Spring Day.mp3", "Some Blog").title, "");
    job_.input = "zzz";
    EXPECT_EQ(Report("Spring Day.mp3", "spring day").title, "");
    EXPECT_EQ(Report("Spring Day.mp3", "Autumn").title, "Autumn");
}

TEST_F(ReportFoundFileTest, ASeenLinkIsNotReportedAgain) {
    PostContext post;
    FoundFile found;
    found.fileName = "a.mp3";
    ReportFoundFile(job_, post, "http://f.example.com/x", found, SearchTerm(""));
    ReportFoundFile(job_, post, "http://f.example.com/x", found, SearchTerm(""));
    EXPECT_EQ(recorder_.Finds().size(), 1u);
}

TEST(PercentDecodeTest, DecodesEscapesAndPlus) {
    EXPECT_EQ(PercentDecode("a+b%41"), "a bA");
    EXPECT_EQ(PercentDecode("%4a%4A"), "JJ");
    EXPECT_EQ(PercentDecode("%EC%9D%8C"), "\xEC\x9D\x8C");
    EXPECT_EQ(PercentDecode("plain"), "plain");
}

TEST(PercentDecodeTest, ComputesAValueForAnyTwoCharacters) {
    EXPECT_EQ(PercentDecode("%zz"), std::string(1, static_cast<char>(0x33)));  // (122-55)%16 = 3
    EXPECT_EQ(PercentDecode("%!!"), std::string(1, static_cast<char>(0x11)));  // (33-48) mod 16 = 1
}

TEST(PercentDecodeTest, NeverReadsPastTheEnd) {
    EXPECT_EQ(PercentDecode("a%"), "a%");
    EXPECT_EQ(PercentDecode("a%4"), "a%4");
    const std::string text("%4", 2);  // no terminator is looked at
    EXPECT_EQ(PercentDecode(std::string_view(text.data(), 2)), "%4");
}

}  // namespace
}  // namespace bramix
