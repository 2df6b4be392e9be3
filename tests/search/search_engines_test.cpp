#include "search/search_engines.h"

#include <gtest/gtest.h>

#include "support/post_test.h"

namespace bramix {
namespace {

using Urls = std::vector<std::string>;

std::string Google(const std::string& term, const std::string& site, int start) {
    return "http://www.google.co.kr/search?as_q=" + term + "&num=10&as_sitesearch=" + site +
           "&start=" + std::to_string(start);
}

std::string Naver(const std::string& term, int start) {
    return "http://search.naver.com/search.naver?where=post&query=" + term +
           "&start=" + std::to_string(start);
}

std::string GooglePage(const Urls& addresses) {
    std::string page = "<body>";
    for (const std::string& address : addresses) {
        page += "<li class=g><h3 class=r><a href=\"" + address + "\" class=l>";
    }
    return page;
}

// Pass by pass: Tistory alone, then Daum and Naver for mp3 and wma before
// Tistory. Google takes the term in UTF-8, Naver in code page 949.
TEST(SearchEnginesTest, EachPassAsksItsServicesForItsPage) {
    const std::string t = "%EA%B0%80+b", n = "%B0%A1+b";
    const auto all = [&](int daum, int naver, int tistory) {
        return Urls{Google(t + "+mp3", "blog.daum.net", daum),
                    Google(t + "+wma", "blog.daum.net", daum), Naver(n + "%20mp3", naver),
                    Naver(n + "%20wma", naver), Google(t + "+mp3", "tistory.com", tistory)};
    };
    const Urls rows[] = {{Google(t + "+mp3", "tistory.com", 0)},
                         {Google(t + "+mp3", "tistory.com", 10)},
                         all(0, 10, 20),
                         all(10, 20, 30),
                         {Google(t + "+mp3", "tistory.com", 40)}};
    for (int pass = 0; pass < 5; ++pass) {
        testing::MemorySearch search;
        search.job.input = testing::Ansi("가 b MP3");
        std::vector<std::string> addresses{"left over"};
        EXPECT_FALSE(CollectPostAddresses(search.job, addresses, pass));  // nothing answers
        EXPECT_TRUE(addresses.empty());
        EXPECT_EQ(search.web.requests(), rows[pass]) << pass;
    }
}

TEST(SearchEnginesTest, JoinsTheListsInTheirFixedOrderKeepingDuplicates) {
    testing::MemorySearch search;
    search.job.input = "abc";
    search.web.SetPage(Google("abc+mp3", "blog.daum.net", 0), GooglePage({"daum-mp3", "same"}));
    search.web.SetPage(Google("abc+wma", "blog.daum.net", 0), GooglePage({"daum-wma", "same"}));
    search.web.SetPage(Naver("abc%20mp3", 10), "<body><dt><a href=\"naver-mp3\" class=x>");
    search.web.SetPage(Google("abc+mp3", "tistory.com", 20), GooglePage({"tistory"}));
    std::vector<std::string> addresses;
    EXPECT_TRUE(CollectPostAddresses(search.job, addresses, 2));
    // Naver's wma page fails and adds nothing.
    EXPECT_EQ(addresses, (Urls{"tistory", "daum-mp3", "same", "naver-mp3", "daum-wma", "same"}));

    // A stop abandons the page under way and keeps what was parsed.
    search.StopAt(Google("abc+wma", "blog.daum.net", 0));
    EXPECT_TRUE(CollectPostAddresses(search.job, addresses, 2));
    EXPECT_EQ(addresses, (Urls{"daum-mp3", "same"}));
    EXPECT_EQ(search.web.requests().size(), 5u + 2u);
}

TEST(ResultParsersTest, TakeAddressesAsWrittenAfterTheBody) {
    const struct {
        bool google;
        std::string page;
        Urls results;
    } rows[] = {
        {true,
         "<head>'<li class=g><h3 class=r><a href=\"http://head/\" '</head><body><li class=g><h3 "
         "class=r><a href=\"http://a/?x=1&amp;y=2\" class=l><li class=g><h3 class=r><a "
         "href=\"http://b/\" >",
         {"http://a/?x=1&amp;y=2", "http://b/"}},
        {false, "<body><dt><a href=\"one\" x<dt><a href=\"two\">", {"one"}},  // no end: stop
        {false, "<body>nothing here", {}},
        {false, "<dt><a href=\"one\" ", {"one"}},  // no body: the whole page
    };
    for (const auto& row : rows) {
        std::vector<std::string> results{"old"};
        EXPECT_EQ((row.google ? ParseGoogleResults : ParseNaverResults)(row.page, results),
                  !row.results.empty());
        EXPECT_EQ(results, row.results) << row.page;
    }
}

}  // namespace
}  // namespace bramix
