#include "search/search_engines.h"

#include <gtest/gtest.h>

#include "support/web_test.h"

namespace bramix {
namespace {

using testing::Ansi;

const std::string kGoogle = "http://www.google.co.kr/search?as_q=";
const std::string kNaver = "http://search.naver.com/search.naver?where=post&query=";

std::string GooglePage(const std::vector<std::string>& addresses) {
    std::string page = "<html><head></head><body><ol>";
    for (const std::string& address : addresses) {
        page += "<li class=g><h3 class=r><a href=\"" + address + "\" class=l>t</a></h3></li>";
    }
    return page + "</ol></body></html>";
}

std::string NaverPage(const std::vector<std::string>& addresses) {
    std::string page = "<html><body><dl>";
    for (const std::string& address : addresses) {
        page += "<dt><a href=\"" + address + "\" class=\"url\">t</a></dt>";
    }
    return page + "</dl></body></html>";
}

class SearchEnginesTest : public testing::WebTest {
protected:
    std::vector<std::string> Collect(const std::string& term, int pass) {
        job_.input = term;
        std::vector<std::string> addresses{"left over"};
        result_ = CollectPostAddresses(job_, addresses, pass);
        return addresses;
    }

    SearchJob job_;
    bool result_ = false;
};

TEST_F(SearchEnginesTest, PassZeroAsksGoogleForTheFirstTistoryPage) {
    Collect("abc def", 0);
    EXPECT_EQ(
        web_.RequestedUrls(),
        std::vector<std::string>{kGoogle + "abc+def+mp3&num=10&as_sitesearch=tistory.com&start=0"});
}

TEST_F(SearchEnginesTest, PassesTwoAndThreeAskDaumAndNaverForMp3AndWmaThenTistory) {
    Collect("abc def", 2);
    EXPECT_EQ(web_.RequestedUrls(),
              (std::vector<std::string>{
                  kGoogle + "abc+def+mp3&num=10&as_sitesearch=blog.daum.net&start=0",
                  kGoogle + "abc+def+wma&num=10&as_sitesearch=blog.daum.net&start=0",
                  kNaver + "abc+def%20mp3&start=10",
                  kNaver + "abc+def%20wma&start=10",
                  kGoogle + "abc+def+mp3&num=10&as_sitesearch=tistory.com&start=20",
              }));
    web_.ClearRequests();
    Collect("abc def", 3);
    EXPECT_EQ(web_.RequestedUrls(),
              (std::vector<std::string>{
                  kGoogle + "abc+def+mp3&num=10&as_sitesearch=blog.daum.net&start=10",
                  kGoogle + "abc+def+wma&num=10&as_sitesearch=blog.daum.net&start=10",
                  kNaver + "abc+def%20mp3&start=20",
                  kNaver + "abc+def%20wma&start=20",
                  kGoogle + "abc+def+mp3&num=10&as_sitesearch=tistory.com&start=30",
              }));
}

TEST_F(SearchEnginesTest, PassesOneAndFourAskOnlyForTistory) {
    Collect("abc", 1);
    Collect("abc", 4);
    EXPECT_EQ(web_.RequestedUrls(),
              (std::vector<std::string>{
                  kGoogle + "abc+mp3&num=10&as_sitesearch=tistory.com&start=10",
                  kGoogle + "abc+mp3&num=10&as_sitesearch=tistory.com&start=40",
              }));
}

TEST_F(SearchEnginesTest, GoogleGetsTheTermInUtf8AndNaverInCodePage949) {
    Collect(Ansi("가 MP3"), 2);
    const auto urls = web_.RequestedUrls();
    ASSERT_EQ(urls.size(), 5u);
    EXPECT_EQ(urls[0], kGoogle + "%EA%B0%80+mp3&num=10&as_sitesearch=blog.daum.net&start=0");
    EXPECT_EQ(urls[2], kNaver + "%B0%A1%20mp3&start=10");
}

TEST_F(SearchEnginesTest, ATermOfFormatWordsOnlyAsksNothing) {
    EXPECT_TRUE(Collect("  MP3 ", 0).empty());
    EXPECT_FALSE(result_);
    EXPECT_TRUE(web_.Requests().empty());
}

TEST_F(SearchEnginesTest, JoinsTheListsInTheirFixedOrderKeepingDuplicates) {
    const std::string term = "abc";
    web_.Set(kGoogle + "abc+mp3&num=10&as_sitesearch=blog.daum.net&start=0",
             standin::Page(GooglePage({"daum-mp3", "same"})));
    web_.Set(kGoogle + "abc+wma&num=10&as_sitesearch=blog.daum.net&start=0",
             standin::Page(GooglePage({"daum-wma", "same"})));
    web_.Set(kNaver + "abc%20mp3&start=10", standin::Page(NaverPage({"naver-mp3"})));
    web_.Set(kNaver + "abc%20wma&start=10", standin::Page(NaverPage({"naver-wma"})));
    web_.Set(kGoogle + "abc+mp3&num=10&as_sitesearch=tistory.com&start=20",
             standin::Page(GooglePage({"tistory"})));
    EXPECT_EQ(Collect(term, 2),
              (std::vector<std::string>{"tistory", "daum-mp3", "same", "naver-mp3", "daum-wma",
                                        "same", "naver-wma"}));
    EXPECT_TRUE(result_);
}

TEST_F(SearchEnginesTest, FailedFetchesContributeNothing) {
    web_.Set(kGoogle + "abc+mp3&num=10&as_sitesearch=tistory.com&start=0", standin::Status(500));
    EXPECT_TRUE(Collect("abc", 0).empty());
    EXPECT_FALSE(result_);
}

TEST_F(SearchEnginesTest, AStopAbandonsThePageUnderWayAndKeepsWhatWasParsed) {
    const std::string daumWma = kGoogle + "abc+wma&num=10&as_sitesearch=blog.daum.net&start=0";
    web_.Set(kGoogle + "abc+mp3&num=10&as_sitesearch=blog.daum.net&start=0",
             standin::Page(GooglePage({"daum-mp3"})));
    web_.SetFallback([&](const standin::RecordedRequest& request) -> std::optional<standin::Reply> {
        if (request.url == daumWma) {
            job_.stopFlag = 1;  // the user stops while this page loads
            return standin::Page(GooglePage({"daum-wma"}));
        }
        return std::nullopt;
    });
    EXPECT_EQ(Collect("abc", 2), std::vector<std::string>{"daum-mp3"});
    EXPECT_EQ(web_.Requests().size(), 2u);
}

TEST_F(SearchEnginesTest, AStopBeforehandAsksNothing) {
    job_.stopFlag = 1;
    Collect("abc", 2);
    EXPECT_TRUE(web_.Requests().empty());
}

TEST(ResultParsersTest, TakeAddressesAsWrittenAfterTheBody) {
    std::vector<std::string> results{"old"};
    const std::string page =
        "<head><script>'<li class=g><h3 class=r><a href=\"http://head/\" '</script></head>"
        "<body><li class=g><h3 class=r><a href=\"http://a/?x=1&amp;y=2\" class=l>"
        "<li class=g><h3 class=r><a href=\"http://b/\" >";
    EXPECT_TRUE(ParseGoogleResults(page, results));
    EXPECT_EQ(results, (std::vector<std::string>{"http://a/?x=1&amp;y=2", "http://b/"}));
}

TEST(ResultParsersTest, AMarkerWithoutItsEndStopsTheParse) {
    std::vector<std::string> results;
    EXPECT_TRUE(ParseNaverResults("<body><dt><a href=\"one\" x<dt><a href=\"two\">", results));
    EXPECT_EQ(results, std::vector<std::string>{"one"});
    EXPECT_FALSE(ParseNaverResults("<body>nothing here", results));
    EXPECT_TRUE(results.empty());
}

TEST(ResultParsersTest, WithoutABodyTheWholePageIsSearched) {
    std::vector<std::string> results;
    EXPECT_TRUE(ParseNaverResults("<dt><a href=\"one\" ", results));
    EXPECT_EQ(results, std::vector<std::string>{"one"});
}

}  // namespace
}  // namespace bramix
