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

std::string Page(const std::string& title, const std::string& body) {
    return "<html><head><title>" + title + "</title></head><body>" + body + "</body></html>";
}

// The finds' names, joined by '|'.
std::string Names(const std::vector<FoundFile>& finds) {
    std::string names;
    for (const FoundFile& found : finds) {
        names += (names.empty() ? "" : "|") + found.fileName;
    }
    return names;
}

TEST(TistoryPostTest, NamesComeFromTheLinkTextElseTheHeadingElseThePostTitle) {
    const std::string a = Block("http://a.tistory.com/1", "a.mp3");
    const struct {
        std::string title, body, names;
    } rows[] = {
        {"Post",
         Block("http://cfile5.uf.tistory.com/attach/A1", "Song A.mp3") +
             Block("http://a.tistory.com/2", "Song C.wma"),
         "Song A.mp3|Song C.wma.mp3"},
        {"Post", Block("http://a.tistory.com/1", "track"), "track.mp3"},
        {"Spring Song", Block("http://a.tistory.com/1", " "), "Spring Song.mp3"},
        {"Post", Block("http://files.example.com/a.mp3", "a.mp3"), ""},  // off Tistory
        {"Post", a + a, "a.mp3"},                                        // once
        {"Post", Block("http://a.tistory.com/1", "봄노래.mp3"), Ansi("봄노래.mp3")},
        // A block without a heading of its own keeps the one before it.
        {"Post",
         Heading("\"titleWrap", "First") + Block("http://a.tistory.com/1", "01.mp3") +
             Block("http://a.tistory.com/2", "02.mp3"),
         "First.mp3|First.mp3"},
        // "title-wrap" is tried first and lies after the first block, which
        // so keeps the post's title.
        {"Post",
         Heading("\"head_title", "Head") + Block("http://a.tistory.com/1", "01.mp3") +
             Heading("\"title-wrap", "Wrapped") + Block("http://a.tistory.com/2", "02.mp3"),
         "Post.mp3|Wrapped.mp3"},
        // Embedded players come after the blocks.
        {"Post", a + "<EMBED src=\"http://cfile5.uf.tistory.com/original/E1\" width=300>",
         "a.mp3|Live.mp3"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.body);
        testing::MemorySearch search;
        search.web.SetPage(kPost, Page(row.title, row.body));
        search.web.SetFile("http://cfile5.uf.tistory.com/original/E1",
                           "attachment; filename=\"Live.mp3\"", "1048576");
        AnalyzeTistoryPost(search.job, kPost);
        EXPECT_EQ(Names(search.recorder.finds), row.names);
        for (const FoundFile& found : search.recorder.finds) {
            EXPECT_EQ(found.pageUrl, kPost);
        }
        // Attachment blocks are reported without asking their server.
        EXPECT_EQ(search.web.requests().size(),
                  row.names.find("Live") == std::string::npos ? 1u : 2u);
    }
}

TEST(TistoryPostTest, ALinkTextOfNothingAndNoTitleGiveATickCountName) {
    testing::MemorySearch search;
    search.web.SetPage(kPost, Page("", Block("http://a.tistory.com/1", "")));
    AnalyzeTistoryPost(search.job, kPost);
    ASSERT_EQ(search.recorder.finds.size(), 1u);
    const std::string name = search.recorder.finds[0].fileName;
    EXPECT_EQ(name.find_first_not_of("0123456789"), name.size() - 4);
    EXPECT_EQ(name.substr(name.size() - 4), ".mp3");
}

TEST(TistoryPostTest, AnHrefFollowedByAnotherAttributeRunsToItsEnd) {
    testing::MemorySearch search;
    search.web.SetPage(kPost,
                       "<noscript><a href=\"http://a.tistory.com/1\" x=\"y\">n</a></noscript>");
    AnalyzeTistoryPost(search.job, kPost);
    ASSERT_EQ(search.recorder.finds.size(), 1u);
    EXPECT_EQ(search.recorder.finds[0].fileUrl, "http://a.tistory.com/1\" x=\"y");
}

TEST(TistoryPostTest, AStopAtAFindEndsTheScan) {
    testing::MemorySearch search;
    search.recorder.stopOnFind = &search.job.stopFlag;
    search.web.SetPage(kPost, Page("Post", Block("http://a.tistory.com/1", "a.mp3") +
                                               Block("http://a.tistory.com/2", "b.mp3") +
                                               "<EMBED src=\"http://a.tistory.com/e\" x>"));
    AnalyzeTistoryPost(search.job, kPost);
    EXPECT_EQ(search.recorder.finds.size(), 1u);
    EXPECT_EQ(search.web.requests().size(), 1u);
}

}  // namespace
}  // namespace bramix
