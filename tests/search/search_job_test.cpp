#include "search/search_job.h"

#include <gtest/gtest.h>

#include <functional>
#include <thread>

#include "posts/post_analyzers.h"
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

TEST(SearchJobTest, NothingIsAskedOfAnInputOrAStopThatLeavesNothingToAsk) {
    const auto job = [](SearchJob& j) { SearchThreadProc(&j); };
    const struct {
        const char* input;
        bool stopped;
        std::function<void(SearchJob&)> run;
    } rows[] = {
        {"abc", true, job},
        {" MP3 ", false, job},
        {"https://blog.naver.com/a/1", false, job},
        {"abc", true,
         [](SearchJob& j) {
             std::vector<std::string> a;
             CollectPostAddresses(j, a, 2);
         }},
        {"", true, [](SearchJob& j) { AnalyzeTistoryPost(j, "http://a.tistory.com/1"); }},
        {"", true, [](SearchJob& j) { AnalyzeNaverPost(j, "http://blog.naver.com/a"); }},
        {"", true, [](SearchJob& j) { AnalyzeDaumPost(j, "http://blog.daum.net/a/1"); }},
        {"", false, [](SearchJob& j) { AnalyzeTistoryPost(j, "http://www.tistory.com/toptag"); }},
        {"", false,
         [](SearchJob& j) { AnalyzeTistoryPost(j, "http://cfile5.tistory.com/media/1"); }},
    };
    for (size_t i = 0; i < std::size(rows); ++i) {
        testing::MemorySearch search;
        search.job.input = rows[i].input;
        search.job.stopFlag = rows[i].stopped ? 1 : 0;
        rows[i].run(search.job);
        EXPECT_TRUE(search.web.requests().empty()) << "row " << i;
        EXPECT_TRUE(search.job.stats.NothingAsked()) << "row " << i;
    }
}

TEST(SearchJobTest, AnHttpAddressIsAnalysedAloneEachTimeAndAnyOtherInputSearched) {
    testing::MemorySearch search;
    search.web.SetPage("http://a.tistory.com/1", kPostWithFile);
    search.job.input = "http://a.tistory.com/1";
    SearchThreadProc(&search.job);
    SearchThreadProc(&search.job);  // with no links seen again
    EXPECT_EQ(search.recorder.kinds, "RFPERFPE");
    EXPECT_EQ(search.web.requests(), std::vector<std::string>(2, "http://a.tistory.com/1"));
    search.job.input = "blog.naver.com/a/1";  // no scheme: a search term
    SearchThreadProc(&search.job);
    EXPECT_EQ(search.web.requests()[2].find("http://www.google.co.kr/search?as_q=blog"), 0u);
}

TEST(SearchJobTest, PassesGoOnUntilOneFromTheThirdOnFindsNoPosts) {
    const struct {
        std::vector<std::string> pass0Posts;
        size_t requests, finds;
    } rows[] = {
        {{}, 1 + 5, 0},                           // Daum and Naver are still asked, in pass 2
        {{"a.tistory.com/1"}, 1 + 1 + 1 + 5, 1},  // pass 1 finds none, pass 2 none: the end
        // A post named twice is analysed once; a file in two posts found once.
        {{"a.tistory.com/1", "a.tistory.com/1", "b.tistory.com/2"}, 1 + 2 + 1 + 5, 1},
    };
    for (const auto& row : rows) {
        testing::MemorySearch search;
        search.job.input = "abc";
        search.web.SetPage(kPass0, ResultsPage(row.pass0Posts));
        search.web.SetPage("http://a.tistory.com/1", kPostWithFile);
        search.web.SetPage("http://b.tistory.com/2", kPostWithFile);
        SearchThreadProc(&search.job);
        EXPECT_EQ(search.web.requests().size(), row.requests) << row.pass0Posts.size();
        EXPECT_EQ(search.recorder.finds.size(), row.finds) << row.pass0Posts.size();
        EXPECT_TRUE(
            std::is_sorted(search.recorder.positions.begin(), search.recorder.positions.end()));
        EXPECT_EQ(search.recorder.kinds.back(), 'E');
    }
}

// Posts are asked a pause apart, counted from one request's start to the
// next; blog pages one at a time.
TEST(SearchJobTest, PostsAreAskedAPauseApartAndPagesOneAtATime) {
    testing::MemorySearch search;
    search.job.input = "abc";
    search.job.postPause = 50ms;
    search.web.pageTime = 20ms;
    search.web.SetPage(kPass0, ResultsPage({"a.tistory.com/1", "b.tistory.com/2", "c.com/3"}));
    SearchThreadProc(&search.job);
    const auto& urls = search.web.requests();
    ASSERT_EQ(urls.size(), 1 + 3 + 1 + 5u);
    for (size_t i = 1; i < urls.size(); ++i) {
        const auto apart = search.web.times[i] - search.web.times[i - 1];
        EXPECT_GE(apart, i >= 2 && i <= 4 ? 45ms : 20ms) << urls[i];
    }
}

// A probe still out at the stop reports nothing, and the pause ends at once.
TEST(SearchJobTest, AStopCutsThePauseShortAndDropsTheProbesOut) {
    testing::MemorySearch search;
    search.job.input = "abc";
    search.job.postPause = 10s;
    search.web.SetPage(kPass0, ResultsPage({"a.tistory.com/1", "b.tistory.com/2"}));
    search.web.SetPage("http://a.tistory.com/1",
                       "<body><EMBED src=\"http://f.com/a.mp3\" x>"
                       "<EMBED src=\"http://f.com/b.mp3\" x>");
    search.web.SetFile("http://f.com/a.mp3", "", "");
    search.web.DelayProbe("http://f.com/a.mp3", 2);
    search.StopAt("http://f.com/b.mp3");
    const auto started = Clock::now();
    SearchThreadProc(&search.job);
    EXPECT_LT(Clock::now() - started, 1s);
    EXPECT_EQ(search.web.requests().size(), 4u);  // nothing after the stop
    EXPECT_EQ(search.recorder.kinds, "RPPPE");
}

// The listener hears the same events in the same order however the probes
// answer; a file that two posts name is asked for once.
TEST(SearchJobTest, ProbesAnsweringOutOfOrderChangeNothingTheListenerHears) {
    const auto embed = [](const std::string& file) {
        return "<EMBED src=\"http://f.com/" + file + "\" x>";
    };
    const std::pair<std::string, int> files[] = {
        {"a.mp3", 3}, {"b.mp3", 1}, {"c.mp3", 2}, {"d.wma", 0}};
    std::string heard[2];
    for (const int late : {0, 1}) {
        testing::MemorySearch search;
        search.job.input = "abc";
        search.web.SetPage(kPass0, ResultsPage({"a.tistory.com/1", "b.tistory.com/2"}));
        search.web.SetPage("http://a.tistory.com/1",
                           kPostWithFile + embed("a.mp3") + embed("b.mp3"));
        search.web.SetPage(
            "http://b.tistory.com/2",
            "<body><noscript><a href=\"http://b.tistory.com/f\">x.mp3</a></noscript>" +
                embed("b.mp3") + embed("c.mp3") + embed("d.wma"));
        for (const auto& [file, steps] : files) {
            search.web.SetFile("http://f.com/" + file, "", file == "c.mp3" ? "1" : "");
            search.web.DelayProbe("http://f.com/" + file, late * steps);
        }
        SearchThreadProc(&search.job);
        EXPECT_EQ(search.web.Count("http://f.com/b.mp3"), 1u);
        const auto& probes = search.job.stats.Of(SearchService::FileProbes);
        heard[late] = search.recorder.kinds + std::to_string(probes.made);
        for (const FoundFile& found : search.recorder.finds) {
            heard[late] += " " + found.fileUrl + "|" + found.fileName + "|" + found.pageUrl;
        }
    }
    EXPECT_EQ(heard[1], heard[0]);
    EXPECT_EQ(std::count(heard[0].begin(), heard[0].end(), 'F'), 5);
}

// Through libcurl: a post that never answers, a post that stalls after its
// headers, a file whose server never answers.
class SearchJobOnTheWebTest : public testing::WebTest {};

TEST_F(SearchJobOnTheWebTest, AStopEndsTheJobPromptlyWhereverItWaits) {
    web_.Set(kPass0,
             standin::Page(ResultsPage({"a.tistory.com/1", "b.tistory.com/2", "c.tistory.com/3"})));
    web_.Set("http://a.tistory.com/1", standin::StallBeforeHeaders());
    web_.Set("http://b.tistory.com/2", standin::StallAfterHeaders());
    web_.Set("http://c.tistory.com/3",
             standin::Page("<body><EMBED src=\"http://c.tistory.com/f.mp3\" x>"));
    web_.Set("http://c.tistory.com/f.mp3", standin::StallBeforeHeaders());
    for (const char* waitsOn :
         {"http://a.tistory.com/1", "http://b.tistory.com/2", "http://c.tistory.com/f.mp3"}) {
        testing::EventRecorder recorder;
        SearchJob job;
        job.input = "abc";
        job.listener = &recorder;
        std::thread worker(SearchThreadProc, &job);
        const auto asked = [&] {
            const auto urls = web_.RequestedUrls();
            return std::find(urls.begin(), urls.end(), waitsOn) != urls.end();
        };
        for (const auto limit = Clock::now() + 20s; !asked() && Clock::now() < limit;) {
            std::this_thread::sleep_for(10ms);
        }
        const auto stopped = Clock::now();
        EXPECT_TRUE(asked()) << waitsOn;
        job.stopFlag = 1;
        worker.join();
        EXPECT_LT(Clock::now() - stopped, 1s) << waitsOn;
        EXPECT_EQ(recorder.kinds.back(), 'E') << waitsOn;
        web_.Set(waitsOn, standin::Status(404));  // the next run goes past it
    }
}

}  // namespace
}  // namespace bramix
