#include <gtest/gtest.h>

#include "posts/post_analyzers.h"
#include "support/post_test.h"

namespace bramix {
namespace {

using testing::Ansi;
using Urls = std::vector<std::string>;

constexpr const char* kFile = "http://cfile12.uf.daum.net/attach/11AA";

std::string PageWithFile(const std::string& title) {
    return "<html><head><title>" + title + "</title></head><body><a href=\"" + kFile +
           "\" target=_blank>file</a></body></html>";
}

// The content page each address leads to, and the title left of "... : 네이버  블로그".
TEST(NaverPostTest, EachAddressLeadsToItsContentPage) {
    const std::string view = "http://blog.naver.com/PostView.nhn?blogId=";
    const struct {
        std::string address, asked, title;
    } rows[] = {
        {"http://blog.naver.com/s?Redirect=Log&logNo=22", view + "s&logNo=22",
         "Day : 네이버  블로그"},
        {view + "a?Redirect=Log&logNo=1", view + "a?Redirect=Log&logNo=1", "Day : 네이버 블로그"},
        {"http://blog.naver.com/s", view + "s", ""},
        {"http://blog.naver.com", "", ""},
    };
    for (const auto& row : rows) {
        testing::MemorySearch search;
        search.web.SetPage(row.asked, Ansi(PageWithFile(row.title)));
        search.web.SetFile(kFile, "attachment; filename=\"01.mp3\"", "");
        AnalyzeNaverPost(search.job, row.address);
        EXPECT_EQ(search.web.requests(), (row.asked.empty() ? Urls{} : Urls{row.asked, kFile}));
        if (!row.title.empty()) {  // only two spaces make the service's name
            ASSERT_EQ(search.recorder.finds.size(), 1u);
            EXPECT_EQ(
                search.recorder.finds[0].fileName,
                Ansi(row.title == "Day : 네이버  블로그" ? "Day.mp3" : "Day 네이버 블로그.mp3"));
        }
    }
}

TEST(DaumPostTest, FollowsThePostsFrameAndTidiesItsAddress) {
    const std::string post = "http://blog.daum.net/springmusic/1234";
    const std::string view = "http://blog.daum.net/_blog/BlogView.do?blogid=0Abc&articleno=1234";
    const std::string frame =
        "<frame SRC=\"/_blog/BlogView.do?blogid=0Abc&articleno=1234&admin=\">";
    const struct {
        std::string address, firstPage;
        Urls asked;
        std::string pageUrl;
    } rows[] = {
        {post,
         "<frameset><frame SRC=\"/_blog/hdn.do\">" + frame,
         {post, view + "&admin=", kFile},
         view},
        // A post's frame wins over the blog's main page wherever each stands.
        {post,
         "<frame SRC=\"/_blog/blogMain.do?blogid=0Abc\">" + frame,
         {post, view + "&admin=", kFile},
         view},
        {view + "&categoryId=5", "", {view + "&categoryId=5", kFile}, view + "5"},  // names go
        {post, PageWithFile("T"), {post}, ""},                                      // off the blog
        {post, "<frame SRC=\"/_blog/BlogView.do?blogid=0Abc", {post}, ""},          // unclosed
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.firstPage);
        testing::MemorySearch search;
        search.web.SetPage(row.address, row.firstPage);
        if (row.asked.size() > 1) {
            search.web.SetPage(row.asked[row.asked.size() - 2], PageWithFile("My Blog - B - C"));
        }
        search.web.SetFile(kFile, "attachment; filename=\"%EB%B4%84.mp3\"", "");
        AnalyzeDaumPost(search.job, row.address);
        EXPECT_EQ(search.web.requests(), row.asked);
        ASSERT_EQ(search.recorder.finds.size(), row.pageUrl.empty() ? 0u : 1u);
        if (!row.pageUrl.empty()) {
            EXPECT_EQ(search.recorder.finds[0].fileName, Ansi("봄.mp3"));
            EXPECT_EQ(search.recorder.finds[0].title, "B - C");
            EXPECT_EQ(search.recorder.finds[0].pageUrl, row.pageUrl);
        }
    }
}

}  // namespace
}  // namespace bramix
