#include <gtest/gtest.h>

#include "posts/post_analyzers.h"
#include "support/post_test.h"

namespace bramix {
namespace {

using testing::Ansi;
using Urls = std::vector<std::string>;

std::string PageWithLink(const std::string& title, const std::string& link) {
    return "<html><head><title>" + title + "</title></head><body><a href=\"" + link +
           "\" target=_blank>file</a></body></html>";
}

TEST(NaverPostTest, EachAddressLeadsToItsContentPage) {
    const std::string view = "http://blog.naver.com/PostView.nhn?blogId=";
    const struct {
        std::string address;
        Urls asked;
    } rows[] = {
        {"http://blog.naver.com/spring?Redirect=Log&logNo=221001", {view + "spring&logNo=221001"}},
        {view + "a?Redirect=Log&logNo=1", {view + "a?Redirect=Log&logNo=1"}},  // as it stands
        {"http://blog.naver.com/spring", {view + "spring"}},
        {"http://blog.naver.com", {}},
    };
    for (const auto& row : rows) {
        testing::MemorySearch search;
        AnalyzeNaverPost(search.job, row.address);
        EXPECT_EQ(search.web.requests(), row.asked) << row.address;
    }
}

TEST(NaverPostTest, OnlyTheServiceNameWithTwoSpacesLeavesTheTitle) {
    const std::string page = "http://blog.naver.com/PostView.nhn?blogId=a&logNo=1";
    for (const auto& [title, name] :
         {std::pair{"Spring Day : 네이버  블로그", "Spring Day.mp3"},
          {"Spring Day : 네이버 블로그", "Spring Day 네이버 블로그.mp3"}}) {
        testing::MemorySearch search;
        search.web.SetPage(page, Ansi(PageWithLink(title,
                                                   "http://blogfiles.naver.net/1/01.mp3"
                                                   "?type=attachment")));
        search.web.SetFile("http://blogfiles.naver.net/1/01.mp3", "", "2097152");
        AnalyzeNaverPost(search.job, page);
        ASSERT_EQ(search.recorder.finds.size(), 1u);
        EXPECT_EQ(search.recorder.finds[0].fileName, Ansi(name));  // "01" gives way to the title
        EXPECT_EQ(search.recorder.finds[0].pageUrl, page);
    }
}

TEST(DaumPostTest, FollowsThePostsFrameAndTidiesItsAddress) {
    const std::string post = "http://blog.daum.net/springmusic/1234";
    const std::string view = "http://blog.daum.net/_blog/BlogView.do?blogid=0Abc&articleno=1234";
    const std::string file = "http://cfile12.uf.daum.net/attach/11AA";
    const struct {
        std::string address, firstPage;
        Urls asked;
        std::string pageUrl, title;
    } rows[] = {
        {post,
         "<frameset><frame SRC=\"/_blog/hdn.do\"><frame SRC=\"/_blog/BlogView.do?blogid=0Abc"
         "&articleno=1234&categoryId=&admin=\" name=BlogMain></frameset>",
         {post, view + "&categoryId=&admin=", file},
         view,
         "Spring Day"},
        // A post's frame wins over the blog's main page wherever each stands.
        {post,
         "<frame SRC=\"/_blog/blogMain.do?blogid=0Abc\"><frame SRC=\"/_blog/BlogView.do?"
         "blogid=0Abc&articleno=1234&categoryId=&admin=\">",
         {post, view + "&categoryId=&admin=", file},
         view,
         "Spring Day"},
        // Only the parameter names go.
        {view + "&categoryId=5", "", {view + "&categoryId=5", file}, view + "5", "B - C"},
        {post, PageWithLink("T", file), {post}, "", ""},  // no frame, off the blog's paths
        {post, "<frame SRC=\"/_blog/BlogView.do?blogid=0Abc", {post}, "", ""},  // unclosed
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.firstPage);
        testing::MemorySearch search;
        search.web.SetPage(row.address, row.firstPage);
        const std::string content = row.asked.size() == 3 ? row.asked[1] : row.address;
        if (row.firstPage.empty() || row.asked.size() == 3) {
            search.web.SetPage(content, PageWithLink("My Blog - " + row.title, file));
        }
        search.web.SetFile(file, "attachment; filename=\"%EB%B4%84.mp3\"", "");
        AnalyzeDaumPost(search.job, row.address);
        EXPECT_EQ(search.web.requests(), row.asked);
        if (row.pageUrl.empty()) {
            EXPECT_TRUE(search.recorder.finds.empty());
            continue;
        }
        ASSERT_EQ(search.recorder.finds.size(), 1u);
        EXPECT_EQ(search.recorder.finds[0].fileName, Ansi("봄.mp3"));
        EXPECT_EQ(search.recorder.finds[0].title, row.title);
        EXPECT_EQ(search.recorder.finds[0].pageUrl, row.pageUrl);
    }
}

}  // namespace
}  // namespace bramix
