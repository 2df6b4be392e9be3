#include <gtest/gtest.h>

#include "posts/post_analyzers.h"
#include "support/post_test.h"

namespace bramix {
namespace {

constexpr const char* kPost = "http://song.tistory.com/12";

std::string Block(const std::string& link, const std::string& text) {
    return "<div><script>player()</script><noscript><a href=\"http://" + link + "\">" + text +
           "</a></noscript></div>\n";
}

std::string Heading(const std::string& marker, const std::string& text) {
    return "<div class=\"" + marker + "\"><h2><a href=\"/12\">" + text + "</a></h2></div>\n";
}

// The finds' names joined by '|', a name of digits alone as "#.mp3".
std::string Analyze(testing::MemorySearch& search, const std::string& title,
                    const std::string& body) {
    search.web.SetPage(kPost, "<html><head><title>" + title + "</title></head><body>" + body);
    AnalyzeTistoryPost(search.job, kPost);
    std::string names;
    for (const FoundFile& found : search.recorder.finds) {
        const bool digits =
            found.fileName.find_first_not_of("0123456789") + 4 == found.fileName.size();
        names += (names.empty() ? "" : "|") + (digits ? "#.mp3" : found.fileName);
        EXPECT_EQ(found.pageUrl, kPost);
    }
    return names;
}

TEST(TistoryPostTest, NamesComeFromTheLinkTextElseTheHeadingElseThePostTitle) {
    const std::string a = Block("a.tistory.com/1", "a.mp3");
    const struct {
        std::string title, body, names;
    } rows[] = {
        {"Post",
         Block("cfile5.uf.tistory.com/attach/A1", "A.mp3") + Block("a.tistory.com/2", "C.wma"),
         "A.mp3|C.wma.mp3"},
        {"Post", Block("a.tistory.com/1", "track"), "track.mp3"},
        {"Spring", Block("a.tistory.com/1", " "), "Spring.mp3"},
        {"", Block("a.tistory.com/1", ""), "#.mp3"},                            // the tick count
        {"Post", Block("files.example.com/a.mp3", "a.mp3"), ""},                // off Tistory
        {"Post", a + a, "a.mp3"},                                               // reported once
        {"Post", Block("a.tistory.com/1", "봄.mp3"), testing::Ansi("봄.mp3")},  // UTF-8 read as 949
        // A block without a heading of its own keeps the one before it.
        {"Post",
         Heading("titleWrap", "First") + Block("a.tistory.com/1", "01.mp3") +
             Block("a.tistory.com/2", "02.mp3"),
         "First.mp3|First.mp3"},
        // "title-wrap" is tried first and lies after the first block.
        {"Post",
         Heading("head_title", "Head") + Block("a.tistory.com/1", "01.mp3") +
             Heading("title-wrap", "Wrapped") + Block("a.tistory.com/2", "02.mp3"),
         "Post.mp3|Wrapped.mp3"},
        {"Post", a + "<EMBED src=\"http://cfile5.uf.tistory.com/original/E1\" x>",
         "a.mp3|Live.mp3"},
    };
    for (const auto& row : rows) {
        testing::MemorySearch search;
        search.web.SetFile("http://cfile5.uf.tistory.com/original/E1",
                           "attachment; filename=\"Live.mp3\"", "1048576");
        EXPECT_EQ(Analyze(search, row.title, row.body), row.names) << row.body;
        // Attachment blocks are reported without asking their server.
        EXPECT_EQ(search.web.requests().size(),
                  row.names.find("Live") == std::string::npos ? 1u : 2u);
    }
}

TEST(TistoryPostTest, AStopAtAFindEndsTheScan) {
    testing::MemorySearch search;
    search.recorder.stopOnFind = &search.job.stopFlag;
    EXPECT_EQ(Analyze(search, "Post",
                      Block("a.tistory.com/1", "a.mp3") + Block("a.tistory.com/2", "b.mp3") +
                          "<EMBED src=\"http://a.tistory.com/e\" x>"),
              "a.mp3");
    EXPECT_EQ(search.web.requests().size(), 1u);
}

}  // namespace
}  // namespace bramix
