#include "search/search_job.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "support/event_recorder.h"
#include "support/web_test.h"

namespace bramix {
namespace {

using namespace std::chrono_literals;
using enum SearchEvent;

const std::string kTistoryPass0 =
    "http://www.google.co.kr/search?as_q=abc+mp3&num=10&as_sitesearch=tistory.com&start=0";

std::string ResultsPage(const std::vector<std::string>& addresses) {
    std::string page = "<body>";
    for (const std::string& address : addresses) {
        page += "<li class=g><h3 class=r><a href=\"" + address + "\" class=l>";
    }
    return page;
}

std::string PostWithFile(const std::string& file) {
    return "<html><head><title>abc</title></head><body><noscript><a href=\"" + file +
           "\">abc.mp3</a></noscript></body></html>";
}

class SearchJobTest : public testing::WebTest {
protected:
    void Run(const std::string& input) {
        job_.input = input;
        job_.listener = &recorder_;
        SearchThreadProc(&job_);
    }

    SearchJob job_;
    testing::EventRecorder recorder_;
};

TEST_F(SearchJobTest, AnHttpsAddressAnalysesNothing) {
    Run("https://blog.naver.com/a/1");
    EXPECT_EQ(recorder_.EventsWithoutFinds(),
              (std::vector<SearchEvent>{SEARCH_EV_RANGE, SEARCH_EV_POSITION, SEARCH_EV_END}));
    EXPECT_EQ(recorder_.Positions(), std::vector<int>{130});
    EXPECT_TRUE(web_.Requests().empty());
    EXPECT_EQ(recorder_.events()[0].maximum, 130);
}

TEST_F(SearchJobTest, AnHttpAddressIsAnalysedAloneWithoutPositionsOrPause) {
    web_.Set("http://a.tistory.com/1", standin::Page(PostWithFile("http://a.tistory.com/f1")));
    Run("http://a.tistory.com/1");
    const auto events = recorder_.events();
    ASSERT_EQ(events.size(), 4u);
    EXPECT_EQ(events[0].event, SEARCH_EV_RANGE);
    EXPECT_EQ(events[1].event, SEARCH_EV_FOUND);
    EXPECT_EQ(events[1].found->fileUrl, "http://a.tistory.com/f1");
    EXPECT_EQ(events[2].event, SEARCH_EV_POSITION);
    EXPECT_EQ(events[2].position, 130);
    EXPECT_EQ(events[3].event, SEARCH_EV_END);
    EXPECT_EQ(web_.RequestedUrls(), std::vector<std::string>{"http://a.tistory.com/1"});
}

TEST_F(SearchJobTest, AnAddressWithoutSchemeIsASearchTerm) {
    Run("blog.naver.com/a/1");
    ASSERT_FALSE(web_.Requests().empty());
    EXPECT_EQ(web_.RequestedUrls()[0].find("http://www.google.co.kr/search?as_q="), 0u);
}

TEST_F(SearchJobTest, AStopBeforeTheStartAsksNothing) {
    job_.stopFlag = 1;
    Run("abc");
    EXPECT_EQ(recorder_.Positions(), std::vector<int>{130});
    EXPECT_TRUE(web_.Requests().empty());
}

TEST_F(SearchJobTest, AnEmptyFirstPassStillAsksDaumAndNaver) {
    // A term that only Naver blogs carry: Tistory has nothing for it.
    Run("abc");
    EXPECT_EQ(recorder_.Positions(), (std::vector<int>{0, 20, 130}));
    EXPECT_EQ(web_.RequestedUrls(),
              (std::vector<std::string>{
                  kTistoryPass0,
                  "http://www.google.co.kr/search?as_q=abc+mp3&num=10&as_sitesearch=blog.daum.net"
                  "&start=0",
                  "http://www.google.co.kr/search?as_q=abc+wma&num=10&as_sitesearch=blog.daum.net"
                  "&start=0",
                  "http://search.naver.com/search.naver?where=post&query=abc%20mp3&start=10",
                  "http://search.naver.com/search.naver?where=post&query=abc%20wma&start=10",
                  "http://www.google.co.kr/search?as_q=abc+mp3&num=10&as_sitesearch=tistory.com"
                  "&start=20",
              }));
    EXPECT_EQ(recorder_.EventsWithoutFinds().back(), SEARCH_EV_END);
}

TEST_F(SearchJobTest, AnEmptySecondPassGoesOnWithTheThirdAndAnEmptyThirdEnds) {
    web_.Set(kTistoryPass0, standin::Page(ResultsPage({"http://a.tistory.com/1"})));
    Run("abc");
    // Pass 1 (Tistory page 2) is empty: pass 2 asks every service, finds
    // nothing, and the search ends before pass 3.
    EXPECT_EQ(recorder_.Positions(), (std::vector<int>{0, 0, 10, 20, 130}));
    EXPECT_EQ(web_.Requests().size(), 1u + 1 + 1 + 5);
}

TEST_F(SearchJobTest, ATermOfNothingButMp3AsksNothing) {
    Run(" MP3 ");
    EXPECT_EQ(recorder_.Positions(), (std::vector<int>{0, 130}));
    EXPECT_TRUE(web_.Requests().empty());
}

TEST_F(SearchJobTest, DuplicateAddressesAdvanceThePositionButAreAnalysedOnce) {
    web_.Set(kTistoryPass0,
             standin::Page(ResultsPage(
                 {"http://a.tistory.com/1", "http://a.tistory.com/1", "http://b.tistory.com/2"})));
    web_.Set("http://a.tistory.com/1", standin::Page(PostWithFile("http://a.tistory.com/f1")));
    web_.Set("http://b.tistory.com/2", standin::Page(PostWithFile("http://a.tistory.com/f1")));
    Run("abc");
    EXPECT_EQ(recorder_.Positions(), (std::vector<int>{0, 0, 1, 2, 10, 20, 130}));
    size_t postFetches = 0;
    for (const std::string& url : web_.RequestedUrls()) {
        postFetches += url == "http://a.tistory.com/1" ? 1 : 0;
    }
    EXPECT_EQ(postFetches, 1u);
    EXPECT_EQ(recorder_.Finds().size(), 1u);  // the second post carries the same file
}

TEST_F(SearchJobTest, PausesAfterEachAnalysedPost) {
    web_.Set(kTistoryPass0,
             standin::Page(ResultsPage({"http://a.tistory.com/1", "http://b.tistory.com/2"})));
    Run("abc");
    const auto requests = web_.Requests();
    ASSERT_GE(requests.size(), 4u);  // results, post, post, next pass
    EXPECT_GE(requests[2].time - requests[1].time, 400ms);
    EXPECT_GE(requests[3].time - requests[2].time, 400ms);
}

TEST_F(SearchJobTest, AStopCutsThePauseShort) {
    web_.Set(kTistoryPass0,
             standin::Page(ResultsPage({"http://a.tistory.com/1", "http://b.tistory.com/2"})));
    web_.SetFallback(
        [this](const standin::RecordedRequest& request) -> std::optional<standin::Reply> {
            if (request.url == "http://a.tistory.com/1") {
                job_.stopFlag = 1;
            }
            return std::nullopt;
        });
    Run("abc");
    const auto ended = std::chrono::steady_clock::now();
    const auto requests = web_.Requests();
    ASSERT_EQ(requests.size(), 2u);              // nothing after the stop
    EXPECT_LT(ended - requests[1].time, 300ms);  // not the 400 ms pause
    EXPECT_EQ(recorder_.Positions(), (std::vector<int>{0, 0, 130}));
}

TEST_F(SearchJobTest, AStopEndsTheJobPromptlyWhereverItWaits) {
    // A post that never answers, a post that stalls after its headers, and a
    // file whose server never answers the probe.
    web_.Set(kTistoryPass0,
             standin::Page(ResultsPage(
                 {"http://a.tistory.com/1", "http://b.tistory.com/2", "http://c.tistory.com/3"})));
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
        const auto limit = std::chrono::steady_clock::now() + 20s;
        auto asked = [&] {
            const auto urls = web_.RequestedUrls();
            return std::find(urls.begin(), urls.end(), waitsOn) != urls.end();
        };
        while (!asked() && std::chrono::steady_clock::now() < limit) {
            std::this_thread::sleep_for(10ms);
        }
        const auto stopped = std::chrono::steady_clock::now();
        EXPECT_TRUE(asked()) << waitsOn << " was never asked for";
        job.stopFlag = 1;
        worker.join();
        EXPECT_LT(std::chrono::steady_clock::now() - stopped, 1s) << waitsOn;
        EXPECT_EQ(recorder.EventsWithoutFinds().back(), SEARCH_EV_END) << waitsOn;
        // The next run skips what this one waited on.
        web_.Set(waitsOn, standin::Status(404));
    }
}

TEST_F(SearchJobTest, EachJobStartsWithNoLinksSeen) {
    web_.Set("http://a.tistory.com/1", standin::Page(PostWithFile("http://a.tistory.com/f1")));
    Run("http://a.tistory.com/1");
    testing::EventRecorder second;
    SearchJob again;
    again.input = "http://a.tistory.com/1";
    again.listener = &second;
    SearchThreadProc(&again);
    EXPECT_EQ(recorder_.Finds().size(), 1u);
    EXPECT_EQ(second.Finds().size(), 1u);
}

}  // namespace
}  // namespace bramix
