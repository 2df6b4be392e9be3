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
    std::string page = "<head><li class=g><h3 class=r><a href=\"head\" </head><body>";
    for (const std::string& address : addresses) {
        page += "<li class=g><h3 class=r><a href=\"" + address + "\" class=l>";
    }
    return page;
}

// Pass by pass: Tistory alone, then Daum and Naver for mp3 and wma before
// Tistory. Google takes the term in UTF-8, Naver in code page 949. The lists
// are joined in a fixed order, duplicates kept, each address as written up to
// its `" `, after the body if the page has one.
TEST(SearchEnginesTest, EachPassAsksItsServicesAndJoinsTheirLists) {
    const std::string t = "%EA%B0%80+b", n = "%B0%A1+b";
    const auto all = [&](int daum, int naver, int tistory) {
        return Urls{Google(t + "+mp3", "blog.daum.net", daum),
                    Google(t + "+wma", "blog.daum.net", daum), Naver(n + "%20mp3", naver),
                    Naver(n + "%20wma", naver), Google(t + "+mp3", "tistory.com", tistory)};
    };
    const Urls pass2 = all(0, 10, 20);
    const struct {
        int pass;
        Urls asked, found;
        std::string stopAt = "";
    } rows[] = {
        {0, {Google(t + "+mp3", "tistory.com", 0)}, {}},
        // Naver's wma page fails and adds nothing.
        {2, pass2, {"tistory?a=1&amp;b", "daum-mp3", "same", "naver-mp3", "daum-wma", "same"}},
        {3, all(10, 20, 30), {}},
        {4, {Google(t + "+mp3", "tistory.com", 40)}, {}},
        // A stop abandons the page under way and keeps what was parsed.
        {2, {pass2[0], pass2[1]}, {"daum-mp3", "same"}, pass2[1]},
    };
    for (const auto& row : rows) {
        testing::MemorySearch search;
        search.job.input = testing::Ansi("가 b MP3");
        search.StopAt(row.stopAt);
        search.web.SetPage(pass2[0], GooglePage({"daum-mp3", "same"}));
        search.web.SetPage(pass2[1], GooglePage({"daum-wma", "same"}));
        search.web.SetPage(pass2[2], "<dt><a href=\"naver-mp3\" class=x><dt><a href=\"cut\">");
        search.web.SetPage(pass2[4], GooglePage({"tistory?a=1&amp;b"}));
        std::vector<std::string> addresses{"left over"};
        EXPECT_EQ(CollectPostAddresses(search.job, addresses, row.pass), !row.found.empty());
        EXPECT_EQ(addresses, row.found) << row.pass;
        EXPECT_EQ(search.web.requests(), row.asked) << row.pass;
    }
}

}  // namespace
}  // namespace bramix
