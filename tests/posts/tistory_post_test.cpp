#include <gtest/gtest.h>

#include "posts/post_analyzers.h"
#include "support/post_test.h"

namespace bramix {
namespace {

using testing::Ansi;

constexpr const char* kPost = "http://song.tistory.com/12";

std::string Block(const std::string& link, const std::string& text) {
    return "<div><script>player()</script><noscript><a href=\"" + link + "\">" + text +
           "</a></noscript></div>\n";
}

std::string Heading(const std::string& marker, const std::string& text) {
    return "<div class=" + marker + "\"><h2><a href=\"/12\">" + text + "</a></h2></div>\n";
}

class TistoryPostTest : public testing::PostTest {
protected:
    void Analyze(const std::string& body, const std::string& title = "Post Title") {
        web_.Set(kPost, standin::Page("<html><head><title>" + title + "</title></head><body>" +
                                      body + "</body></html>"));
        AnalyzeTistoryPost(job_, kPost);
    }
};

TEST_F(TistoryPostTest, ReportsEachAttachmentBlockWithoutAskingItsServer) {
    Analyze(Block("http://cfile5.uf.tistory.com/attach/A1", "Song A.mp3") +
            Block("http://cfile5.uf.tistory.com/attach/B2", "Song B.mp3"));
    const auto finds = recorder_.Finds();
    ASSERT_EQ(finds.size(), 2u);
    EXPECT_EQ(finds[0].fileName, "Song A.mp3");
    EXPECT_EQ(finds[0].fileUrl, "http://cfile5.uf.tistory.com/attach/A1");
    EXPECT_EQ(finds[0].pageUrl, kPost);
    EXPECT_EQ(finds[0].size, 0u);
    EXPECT_EQ(finds[0].type, FILE_TYPE_MP3);
    EXPECT_EQ(finds[1].fileName, "Song B.mp3");
    EXPECT_EQ(web_.RequestedUrls(), std::vector<std::string>{kPost});
}

TEST_F(TistoryPostTest, EveryNameEndsInMp3) {
    Analyze(Block("http://a.tistory.com/1", "track") +
            Block("http://a.tistory.com/2", "Song C.wma"));
    const auto finds = recorder_.Finds();
    ASSERT_EQ(finds.size(), 2u);
    EXPECT_EQ(finds[0].fileName, "track.mp3");
    EXPECT_EQ(finds[1].fileName, "Song C.wma.mp3");
}

TEST_F(TistoryPostTest, AnEmptyLinkTextTakesTheTitle) {
    Analyze(Block("http://a.tistory.com/1", " "), "Spring Song");
    ASSERT_EQ(recorder_.Finds().size(), 1u);
    EXPECT_EQ(recorder_.Finds()[0].fileName, "Spring Song.mp3");
    EXPECT_EQ(recorder_.Finds()[0].title, "");
}

TEST_F(TistoryPostTest, AnEmptyLinkTextWithoutTitleFallsBackToTheTickCount) {
    Analyze(Block("http://a.tistory.com/1", ""), "");
    ASSERT_EQ(recorder_.Finds().size(), 1u);
    const std::string name = recorder_.Finds()[0].fileName;
    ASSERT_GT(name.size(), 4u);
    EXPECT_EQ(name.substr(name.size() - 4), ".mp3");
    EXPECT_EQ(name.find_first_not_of("0123456789"), name.size() - 4);
}

TEST_F(TistoryPostTest, IgnoresLinksOffTistory) {
    Analyze(Block("http://files.example.com/a.mp3", "a.mp3"));
    EXPECT_TRUE(recorder_.Finds().empty());
}

TEST_F(TistoryPostTest, AnHrefFollowedByAnotherAttributeRunsToItsEnd) {
    Analyze("<noscript><a href=\"http://a.tistory.com/1\" class=\"x\">n.mp3</a></noscript>");
    ASSERT_EQ(recorder_.Finds().size(), 1u);
    EXPECT_EQ(recorder_.Finds()[0].fileUrl, "http://a.tistory.com/1\" class=\"x");
}

TEST_F(TistoryPostTest, ItemsTakeTheHeadingBeforeThem) {
    Analyze(Heading("\"titleWrap", "First Song") + Block("http://a.tistory.com/1", "01.mp3") +
            Block("http://a.tistory.com/2", "02.mp3"));
    const auto finds = recorder_.Finds();
    ASSERT_EQ(finds.size(), 2u);
    EXPECT_EQ(finds[0].fileName, "First Song.mp3");
    EXPECT_EQ(finds[1].fileName, "First Song.mp3");  // a block without a heading of its own
}

TEST_F(TistoryPostTest, TheMarkerOrderDecidesNotThePosition) {
    // "title-wrap" is tried first; it lies after the first block, so that
    // block gets no item title and keeps the post's.
    Analyze(Heading("\"head_title", "Head") + Block("http://a.tistory.com/1", "01.mp3") +
                Heading("\"title-wrap", "Wrapped") + Block("http://a.tistory.com/2", "02.mp3"),
            "Post");
    const auto finds = recorder_.Finds();
    ASSERT_EQ(finds.size(), 2u);
    EXPECT_EQ(finds[0].fileName, "Post.mp3");
    EXPECT_EQ(finds[1].fileName, "Wrapped.mp3");
}

TEST_F(TistoryPostTest, TheSameAttachmentTwiceIsReportedOnce) {
    Analyze(Block("http://a.tistory.com/1", "a.mp3") + Block("http://a.tistory.com/1", "a.mp3"));
    EXPECT_EQ(recorder_.Finds().size(), 1u);
}

TEST_F(TistoryPostTest, TheServicesOwnPagesAreNotFetched) {
    AnalyzeTistoryPost(job_, "http://www.tistory.com/toptag/music");
    AnalyzeTistoryPost(job_, "http://cfile5.tistory.com/media/1");
    EXPECT_TRUE(web_.Requests().empty());
}

TEST_F(TistoryPostTest, APageInUtf8IsReadInCodePage949) {
    Analyze(Block("http://a.tistory.com/1", "봄노래.mp3"));
    ASSERT_EQ(recorder_.Finds().size(), 1u);
    EXPECT_EQ(recorder_.Finds()[0].fileName, Ansi("봄노래.mp3"));
}

TEST_F(TistoryPostTest, EmbeddedPlayersAreResolvedAfterTheBlocks) {
    SetFile("http://cfile5.uf.tistory.com/original/E1", "1048576",
            "attachment; filename=\"Live.mp3\"");
    Analyze(Block("http://a.tistory.com/1", "a.mp3") +
            "<EMBED src=\"http://cfile5.uf.tistory.com/original/E1\" width=300>");
    const auto finds = recorder_.Finds();
    ASSERT_EQ(finds.size(), 2u);
    EXPECT_EQ(finds[1].fileName, "Live.mp3");
    EXPECT_EQ(finds[1].size, 1048576u);
}

TEST_F(TistoryPostTest, AStopBeforehandFetchesNothing) {
    job_.stopFlag = 1;
    AnalyzeTistoryPost(job_, kPost);
    EXPECT_TRUE(web_.Requests().empty());
}

TEST_F(TistoryPostTest, AStopAfterAFindEndsTheScan) {
    class StopAtFind : public SearchListener {
    public:
        StopAtFind(SearchJob& job, testing::EventRecorder& recorder)
            : job_(job), recorder_(recorder) {}
        void OnFound(const FoundFile& found) override {
            job_.stopFlag = 1;
            recorder_.OnFound(found);
        }

    private:
        SearchJob& job_;
        testing::EventRecorder& recorder_;
    } stopAtFind(job_, recorder_);
    job_.listener = &stopAtFind;
    Analyze(Block("http://a.tistory.com/1", "a.mp3") + Block("http://a.tistory.com/2", "b.mp3") +
            "<EMBED src=\"http://cfile5.uf.tistory.com/original/E1\" width=300>");
    EXPECT_EQ(recorder_.Finds().size(), 1u);
    EXPECT_EQ(web_.Requests().size(), 1u);
}

}  // namespace
}  // namespace bramix
