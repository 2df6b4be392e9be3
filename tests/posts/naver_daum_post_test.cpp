#include <gtest/gtest.h>

#include "posts/post_analyzers.h"
#include "support/memory_web.h"
#include "support/post_test.h"

namespace bramix {
namespace {

using testing::Ansi;

std::string PageWithLink(const std::string& title, const std::string& link) {
    return "<html><head><title>" + title + "</title></head><body><a href=\"" + link +
           "\" target=_blank>file</a></body></html>";
}

using NaverPostTest = testing::PostTest;

TEST_F(NaverPostTest, ASearchResultAddressIsRewrittenToTheContentPage) {
    AnalyzeNaverPost(job_, "http://blog.naver.com/spring_blog?Redirect=Log&logNo=221001");
    EXPECT_EQ(web_.RequestedUrls(),
              std::vector<std::string>{"http://blog.naver.com/PostView.nhn?blogId=spring_blog"
                                       "&logNo=221001"});
}

TEST_F(NaverPostTest, AContentPageAddressIsUsedAsItStands) {
    const std::string address = "http://blog.naver.com/PostView.nhn?blogId=a?Redirect=Log&logNo=1";
    AnalyzeNaverPost(job_, address);
    web_.Stop();  // httplib refuses this target and logs it only after answering
    EXPECT_EQ(web_.RequestedUrls(), std::vector<std::string>{address});
}

TEST_F(NaverPostTest, ABlogAddressBecomesItsContentPage) {
    AnalyzeNaverPost(job_, "http://blog.naver.com/spring_blog");
    EXPECT_EQ(web_.RequestedUrls(),
              std::vector<std::string>{"http://blog.naver.com/PostView.nhn?blogId=spring_blog"});
}

TEST_F(NaverPostTest, TheServiceNameLeavesTheTitleAndFilesAreFound) {
    const std::string page = "http://blog.naver.com/PostView.nhn?blogId=a&logNo=1";
    web_.Set(page, standin::Page(
                       Ansi(PageWithLink("Spring Day : 네이버  블로그",
                                         "http://blogfiles.naver.net/1/01.mp3?type=attachment"))));
    SetFile("http://blogfiles.naver.net/1/01.mp3", "2097152");
    AnalyzeNaverPost(job_, page);
    const auto finds = recorder_.Finds();
    ASSERT_EQ(finds.size(), 1u);
    EXPECT_EQ(finds[0].fileName, "Spring Day.mp3");  // "01" gives way to the clean title
    EXPECT_EQ(finds[0].fileUrl, "http://blogfiles.naver.net/1/01.mp3");
    EXPECT_EQ(finds[0].pageUrl, page);
}

TEST_F(NaverPostTest, OneSpaceBetweenTheWordsIsNotTheServiceName) {
    const std::string page = "http://blog.naver.com/PostView.nhn?blogId=a&logNo=2";
    web_.Set(page, standin::Page(Ansi(PageWithLink("Spring Day : 네이버 블로그",
                                                   "http://blogfiles.naver.net/2/01.mp3"))));
    SetFile("http://blogfiles.naver.net/2/01.mp3", "");
    AnalyzeNaverPost(job_, page);
    ASSERT_EQ(recorder_.Finds().size(), 1u);
    EXPECT_EQ(recorder_.Finds()[0].fileName, Ansi("Spring Day 네이버 블로그.mp3"));
}

TEST_F(NaverPostTest, AnAddressThatLeadsToNoContentPageIsNotFetched) {
    AnalyzeNaverPost(job_, "http://blog.naver.com");
    job_.stopFlag = 1;
    AnalyzeNaverPost(job_, "http://blog.naver.com/a?Redirect=Log&logNo=1");
    EXPECT_TRUE(web_.Requests().empty());
}

class DaumPostTest : public testing::PostTest {
protected:
    static constexpr const char* kPost = "http://blog.daum.net/springmusic/1234";
    static constexpr const char* kContent =
        "http://blog.daum.net/_blog/BlogView.do?blogid=0Abc&articleno=1234&categoryId=&admin=";

    void SetContent(const std::string& title) {
        web_.Set(kContent,
                 standin::Page(PageWithLink(title, "http://cfile12.uf.daum.net/attach/11AA")));
        SetFile("http://cfile12.uf.daum.net/attach/11AA", "",
                "attachment; filename=\"%EB%B4%84.mp3\"");
    }
};

TEST_F(DaumPostTest, FollowsTheMainFrameAndTidiesItsAddress) {
    web_.Set(kPost, standin::Page("<frameset><frame SRC=\"/_blog/hdn.do\"><frame SRC=\""
                                  "/_blog/BlogView.do?blogid=0Abc&articleno=1234&categoryId="
                                  "&admin=\" name=BlogMain></frameset>"));
    SetContent("My Blog - Spring Day");
    AnalyzeDaumPost(job_, kPost);
    EXPECT_EQ(
        web_.RequestedUrls(),
        (std::vector<std::string>{kPost, kContent, "http://cfile12.uf.daum.net/attach/11AA"}));
    const auto finds = recorder_.Finds();
    ASSERT_EQ(finds.size(), 1u);
    EXPECT_EQ(finds[0].fileName, Ansi("봄.mp3"));
    EXPECT_EQ(finds[0].title, "Spring Day");
    EXPECT_EQ(finds[0].pageUrl,
              "http://blog.daum.net/_blog/BlogView.do?blogid=0Abc&articleno=1234");
}

TEST_F(DaumPostTest, APostsFrameWinsOverTheBlogMainFrame) {
    web_.Set(kPost, standin::Page("<frame SRC=\"/_blog/blogMain.do?blogid=0Abc\">"
                                  "<frame SRC=\"/_blog/BlogView.do?blogid=0Abc&articleno=1234"
                                  "&categoryId=&admin=\">"));
    SetContent("T");
    AnalyzeDaumPost(job_, kPost);
    ASSERT_GE(web_.RequestedUrls().size(), 2u);
    EXPECT_EQ(web_.RequestedUrls()[1], kContent);
}

TEST_F(DaumPostTest, AContentAddressWithoutFrameIsScannedAtOnce) {
    SetContent("A - B - C");
    AnalyzeDaumPost(job_, kContent);
    ASSERT_EQ(recorder_.Finds().size(), 1u);
    EXPECT_EQ(recorder_.Finds()[0].title, "B - C");
    EXPECT_EQ(web_.RequestedUrls().front(), kContent);
}

TEST_F(DaumPostTest, APageWithoutFrameOffTheBlogPathsYieldsNothing) {
    web_.Set(kPost, standin::Page(PageWithLink("T", "http://cfile12.uf.daum.net/attach/11AA")));
    AnalyzeDaumPost(job_, kPost);
    EXPECT_EQ(web_.RequestedUrls(), std::vector<std::string>{kPost});
}

TEST_F(DaumPostTest, OnlyTheParameterNamesAreRemoved) {
    const std::string content =
        "http://blog.daum.net/_blog/BlogView.do?blogid=1&articleno=12&categoryId=5";
    web_.Set(content, standin::Page(PageWithLink("T", "http://pds1.blog.daum.net/x.mp3")));
    SetFile("http://pds1.blog.daum.net/x.mp3", "");
    AnalyzeDaumPost(job_, content);
    ASSERT_EQ(recorder_.Finds().size(), 1u);
    EXPECT_EQ(recorder_.Finds()[0].pageUrl,
              "http://blog.daum.net/_blog/BlogView.do?blogid=1&articleno=125");
}

TEST_F(DaumPostTest, ReachesTheNetworkOnlyThroughItsJobsWebClient) {
    testing::MemoryWeb memory;
    memory.SetPage(
        kPost, "<frame SRC=\"/_blog/BlogView.do?blogid=0Abc&articleno=1234&categoryId=&admin=\">");
    memory.SetPage(kContent,
                   PageWithLink("My Blog - Spring Day", "http://cfile12.uf.daum.net/attach/11AA"));
    memory.SetFile("http://cfile12.uf.daum.net/attach/11AA", "attachment; filename=\"a.mp3\"",
                   "600000");
    job_.web = &memory;
    AnalyzeDaumPost(job_, kPost);
    EXPECT_EQ(memory.requests(), (std::vector<std::string>{
                                     kPost, kContent, "http://cfile12.uf.daum.net/attach/11AA"}));
    ASSERT_EQ(recorder_.Finds().size(), 1u);
    EXPECT_EQ(recorder_.Finds()[0].fileName, "a.mp3");
    EXPECT_EQ(recorder_.Finds()[0].size, 600000u);
    EXPECT_TRUE(web_.Requests().empty());
}

TEST_F(DaumPostTest, AStopBetweenTheTwoFetchesEndsThePost) {
    web_.SetFallback([this](const standin::RecordedRequest&) -> std::optional<standin::Reply> {
        job_.stopFlag = 1;
        return standin::Page("<frame SRC=\"/_blog/BlogView.do?blogid=0Abc\">");
    });
    AnalyzeDaumPost(job_, kPost);
    EXPECT_EQ(web_.RequestedUrls(), std::vector<std::string>{kPost});
}

}  // namespace
}  // namespace bramix
