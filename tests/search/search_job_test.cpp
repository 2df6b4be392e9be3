#include "search/search_job.h"

#include <gtest/gtest.h>

#include <thread>

#include "search/search_engines.h"
#include "support/post_test.h"

namespace bramix {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

const std::string kPass0 =
    "http://www.google.co.kr/search?as_q=abc+mp3&num=10&as_sitesearch=tistory.com&start=0";

std::string ResultsPage(const std::vector<std::string>& addresses) {
    std::string page = "<body>";
    for (const std::string& address : addresses) {
        page += "<li class=g><h3 class=r><a href=\"http://" + address + "\" class=l>";
    }
    return page;
}

const std::string kPostWithFile =
    "<body><noscript><a href=\"http://a.tistory.com/f1\">abc.mp3</a></noscript>";

// A post that also names files on f.com, whose probes answer `late` or at once.
void SetPost(testing::MemoryWeb& web, const char* post, std::initializer_list<const char*> files,
             int late) {
    std::string page = kPostWithFile;
    for (const char* file : files) {
        const std::string url = "http://f.com/" + std::string(file);
        page += "<EMBED src=\"" + url + "\" x>";
        web.SetFile(file[0] == 'c' ? "" : url, "", "");  // c.mp3 is not there
        web.DelayProbe(url, late * ('e' - file[0]));     // the first asked answers last
    }
    web.SetPage(post, page);
}

// Each row: an input, and whether the job's stop was asked for before it ran.
TEST(SearchJobTest, NothingIsAskedOfAnInputOrAStopThatLeavesNothingToAsk) {
    const std::pair<const char*, bool> rows[] = {{"abc", true},
                                                 {" MP3 ", false},
                                                 {"https://blog.naver.com/a/1", false},
                                                 {"http://a.tistory.com/1", true},
                                                 {"http://blog.naver.com/a", true},
                                                 {"http://blog.daum.net/a/1", true},
                                                 {"http://www.tistory.com/toptag", false},
                                                 {"http://cfile5.tistory.com/media/1", false}};
    for (const auto& [input, stopped] : rows) {
        testing::MemorySearch search(input);
        search.job.stopFlag = stopped ? 1 : 0;
        SearchThreadProc(&search.job);
        EXPECT_TRUE(search.web.requests().empty()) << input;
        EXPECT_TRUE(search.job.stats.NothingAsked()) << input;
    }
    testing::MemorySearch search("abc");
    search.job.stopFlag = 1;
    std::vector<std::string> addresses;
    CollectPostAddresses(search.job, addresses, 2);
    EXPECT_TRUE(search.web.requests().empty());
}

TEST(SearchJobTest, AnHttpAddressIsAnalysedAloneEachTimeAndAnyOtherInputSearched) {
    testing::MemorySearch search("http://a.tistory.com/1");
    search.web.SetPage("http://a.tistory.com/1", kPostWithFile);
    SearchThreadProc(&search.job);
    SearchThreadProc(&search.job);  // with no links seen again
    EXPECT_EQ(search.recorder.kinds, "RFPERFPE");
    EXPECT_EQ(search.web.requests(), std::vector<std::string>(2, "http://a.tistory.com/1"));
    search.job.input = "blog.naver.com/a/1";  // no scheme: a search term
    SearchThreadProc(&search.job);
    EXPECT_EQ(search.web.requests()[2].find("http://www.google.co.kr/search?as_q=blog"), 0u);
}

// However the probes answer, the listener hears the same events in the same
// order. Posts are asked a pause apart, from one request's start to the
// next, and blog pages one at a time.
TEST(SearchJobTest, PassesGoOnUntilOneFromTheThirdOnFindsNoPosts) {
    const struct {
        std::vector<std::string> pass0Posts;
        size_t pages, finds;
    } rows[] = {
        {{}, 1 + 5, 0},                           // Daum and Naver are still asked, in pass 2
        {{"a.tistory.com/1"}, 1 + 1 + 1 + 5, 3},  // pass 1 finds none, pass 2 none: the end
        // A post named twice is analysed once; a file in two posts found once.
        {{"a.tistory.com/1", "a.tistory.com/1", "b.tistory.com/2"}, 1 + 2 + 1 + 5, 4},
    };
    for (const auto& row : rows) {
        std::string heard[2];
        for (const int late : {0, 1}) {
            testing::MemorySearch search("abc");
            search.job.postPause = 50ms;
            search.web.onRequest = [](const std::string&) { std::this_thread::sleep_for(10ms); };
            search.web.SetPage(kPass0, ResultsPage(row.pass0Posts));
            SetPost(search.web, "http://a.tistory.com/1", {"a.mp3", "b.mp3"}, late);
            SetPost(search.web, "http://b.tistory.com/2", {"b.mp3", "c.mp3", "d.wma"}, late);
            SearchThreadProc(&search.job);
            const auto& pages = search.web.pagesAsked;
            ASSERT_EQ(pages.size(), row.pages);
            for (size_t i = 1; i < pages.size(); ++i) {
                const bool afterPost = pages[i - 1].first.find("tistory.com/") == 9;
                EXPECT_GE(pages[i].second - pages[i - 1].second, afterPost ? 45ms : 10ms);
            }
            EXPECT_LE(search.web.Count("http://f.com/b.mp3"), 1u);
            EXPECT_EQ(search.recorder.kinds.back(), 'E');
            EXPECT_TRUE(std::ranges::is_sorted(search.recorder.positions));
            heard[late] = search.recorder.kinds + search.job.stats.FirstError();
            for (const FoundFile& found : search.recorder.finds) {
                heard[late] += " " + found.fileUrl + "|" + found.fileName + "|" + found.pageUrl;
            }
        }
        EXPECT_EQ(heard[1], heard[0]);
        EXPECT_EQ(std::count(heard[0].begin(), heard[0].end(), 'F'), row.finds);
    }
}

// Through libcurl: a post that never answers, a post that stalls after its
// headers, files whose servers never answer (a find behind them is not told),
// more of them than may wait.
class SearchJobOnTheWebTest : public testing::WebTest {};

TEST_F(SearchJobOnTheWebTest, AStopEndsTheJobPromptlyWhereverItWaits) {
    web_.Set(kPass0,
             standin::Page(ResultsPage({"a.tistory.com/1", "b.tistory.com/2", "c.tistory.com/3"})));
    web_.Set("http://a.tistory.com/1", standin::StallBeforeHeaders());
    web_.Set("http://b.tistory.com/2", standin::StallAfterHeaders());
    std::string crowded =
        "<body><EMBED src=\"http://c.tistory.com/f.mp3\" x><EMBED "
        "src=\"http://c.tistory.com/g.mp3\" x>";
    for (int i = 0; i < 100; ++i) {
        crowded += "<EMBED src=\"http://s.com/" + std::to_string(i) + ".mp3\" x>";
        web_.Set("http://s.com/" + std::to_string(i) + ".mp3", standin::StallBeforeHeaders());
    }
    web_.Set("http://c.tistory.com/3", standin::Page(crowded));
    web_.Set("http://c.tistory.com/f.mp3", standin::StallBeforeHeaders());
    web_.Set("http://c.tistory.com/g.mp3", standin::Page(std::string(600000, 'x')));
    for (const char* waitsOn :
         {"http://a.tistory.com/1", "http://b.tistory.com/2", "http://s.com/1.mp3"}) {
        testing::MemorySearch search("abc");
        search.job.web = search.job.curlWeb.get();
        search.job.postPause = 400ms;
        std::thread worker(SearchThreadProc, &search.job);
        for (const auto limit = Clock::now() + 20s;
             std::ranges::count(web_.RequestedUrls(), waitsOn) == 0 && Clock::now() < limit;) {
            std::this_thread::sleep_for(10ms);
        }
        const auto stopped = Clock::now();
        EXPECT_EQ(std::ranges::count(web_.RequestedUrls(), waitsOn), 1) << waitsOn;
        search.job.stopFlag = 1;
        worker.join();
        EXPECT_LT(Clock::now() - stopped, 1s) << waitsOn;
        EXPECT_EQ(search.recorder.kinds.back(), 'E') << waitsOn;
        EXPECT_EQ(search.recorder.finds.size(), 0u) << waitsOn;
        web_.Set(waitsOn, standin::Status(404));  // the next run goes past it
    }
}

}  // namespace
}  // namespace bramix
