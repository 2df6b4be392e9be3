// Whole searches against the demo world: the complete event stream, and from
// the stand-in web's log, exactly what was asked of the services.

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "posts/site_constants.h"
#include "search/search_job.h"
#include "support/event_recorder.h"
#include "support/web_test.h"
#include "world.h"

namespace bramix {
namespace {

using namespace std::chrono_literals;
using enum SearchEvent;
using testing::Ansi;

bool IsSearchQuery(const std::string& url) {
    return url.rfind("http://www.google.co.kr/", 0) == 0 ||
           url.rfind("http://search.naver.com/", 0) == 0;
}

// The first page an analyzer fetches for a post: every post starts with one.
bool IsPostStart(const std::string& url) {
    return (url.find(".tistory.com/") != std::string::npos &&
            url.find("cfile") == std::string::npos) ||
           url.find("/PostView.nhn?") != std::string::npos ||
           (url.rfind("http://blog.daum.net/", 0) == 0 && url.find("/_blog/") == std::string::npos);
}

class SearchWorldTest : public testing::WebTest {
protected:
    void SetUp() override {
        WebTest::SetUp();
        world_ = standin::World::Load(BRAMIX_DEMO_WORLD);
        web_.SetFallback([this](const standin::RecordedRequest& request) {
            if (onRequest_) {
                onRequest_(request);  // sees every request as it arrives
            }
            return world_.Answer(request);
        });
    }

    void Run(const std::string& utf8Input) {
        job_.input = Ansi(utf8Input);
        job_.listener = &recorder_;
        SearchThreadProc(&job_);
    }

    // What ASearchTermRunsThePassesAndReportsEveryFind checks of its one run.
    void ExpectTheEventStream() {
        // The event stream: the range first, positions that never go back with
        // each pass starting at its own mark, the finds, 130, the end.
        const auto events = recorder_.events();
        ASSERT_GE(events.size(), 4u);
        EXPECT_EQ(events.front().event, SEARCH_EV_RANGE);
        EXPECT_EQ(events.front().maximum, 130);
        EXPECT_EQ(events[events.size() - 2].event, SEARCH_EV_POSITION);
        EXPECT_EQ(events[events.size() - 2].position, 130);
        EXPECT_EQ(events.back().event, SEARCH_EV_END);
        const auto positions = recorder_.Positions();
        EXPECT_TRUE(std::is_sorted(positions.begin(), positions.end()));
        for (const int passStart : {0, 10, 20, 70}) {
            EXPECT_NE(std::find(positions.begin(), positions.end(), passStart), positions.end());
        }
    }

    void ExpectThePassQueries() {
        // The queries of every pass, in order: Tistory alone in passes 0 and 1,
        // then Daum and Naver for mp3 and wma; pass 3 finds nothing new and ends
        // the search, so pass 4 never asks.
        std::vector<std::string> queries;
        for (const std::string& url : web_.RequestedUrls()) {
            if (IsSearchQuery(url)) {
                queries.push_back(url);
            }
        }
        const std::string google = "http://www.google.co.kr/search?as_q=%EB%B4%84";
        const std::string naver = "http://search.naver.com/search.naver?where=post&query=%BA%BD";
        EXPECT_EQ(queries, (std::vector<std::string>{
                               google + "+mp3&num=10&as_sitesearch=tistory.com&start=0",
                               google + "+mp3&num=10&as_sitesearch=tistory.com&start=10",
                               google + "+mp3&num=10&as_sitesearch=blog.daum.net&start=0",
                               google + "+wma&num=10&as_sitesearch=blog.daum.net&start=0",
                               naver + "%20mp3&start=10",
                               naver + "%20wma&start=10",
                               google + "+mp3&num=10&as_sitesearch=tistory.com&start=20",
                               google + "+mp3&num=10&as_sitesearch=blog.daum.net&start=10",
                               google + "+wma&num=10&as_sitesearch=blog.daum.net&start=10",
                               naver + "%20mp3&start=20",
                               naver + "%20wma&start=20",
                               google + "+mp3&num=10&as_sitesearch=tistory.com&start=30",
                           }));
    }

    void ExpectEachAddressAskedOnceAndPauses() {
        // Every address is asked for once, posts and files alike, though the
        // engines name Daum posts twice (mp3 and wma) and files recur.
        std::map<std::string, int> asked;
        for (const std::string& url : web_.RequestedUrls()) {
            ++asked[url];
        }
        for (const auto& [url, count] : asked) {
            EXPECT_EQ(count, 1) << url;
        }
        // Tistory attachments are reported without asking their server, and the
        // placeholder is never asked.
        EXPECT_EQ(asked.count("http://cfile5.uf.tistory.com/attach/1A2B3C4D5E601"), 0u);
        EXPECT_EQ(asked.count(URL_DUMMY_MP3), 0u);

        // The pause after each post.
        std::vector<std::chrono::steady_clock::time_point> postStarts;
        for (const auto& request : web_.Requests()) {
            if (IsPostStart(request.url)) {
                postStarts.push_back(request.time);
            }
        }
        ASSERT_GT(postStarts.size(), 20u);
        for (size_t i = 1; i < postStarts.size(); ++i) {
            EXPECT_GE(postStarts[i] - postStarts[i - 1], 400ms);
        }
    }

    void ExpectTheFinds() {
        // The finds: every file once; small files dropped; names from every kind
        // of server answer.
        const auto finds = recorder_.Finds();
        std::map<std::string, FoundFile> byUrl;
        for (const FoundFile& found : finds) {
            EXPECT_TRUE(byUrl.emplace(found.fileUrl, found).second) << found.fileUrl;
        }
        EXPECT_EQ(finds.size(), 40u);
        const auto name = [&byUrl](const std::string& url) {
            const auto found = byUrl.find(url);
            return found == byUrl.end() ? std::string("(missing)") : found->second.fileName;
        };
        EXPECT_EQ(name("http://cfile5.uf.tistory.com/attach/1A2B3C4D5E601"), Ansi("봄노래.mp3"));
        EXPECT_EQ(name("http://cfile5.uf.tistory.com/original/2B3C4D5E6F702"),
                  Ansi("봄비 (어쿠스틱).mp3"));  // percent-encoded UTF-8
        EXPECT_EQ(name("http://blogfiles.naver.net/20080411_6/dongyo_land_1207881606/hometown.mp3"),
                  Ansi("고향의 봄.mp3"));  // raw code page 949 on the Naver host
        EXPECT_EQ(name("http://pds7.blog.daum.net/upload/9XyZ01/vivaldi_spring_2.mp3"),
                  "vivaldi spring 2.mp3");  // no Content-Disposition: the link's own name
        EXPECT_EQ(byUrl.at("http://pds7.blog.daum.net/upload/9XyZ01/vivaldi_spring_2.mp3").size,
                  0u);
        EXPECT_EQ(byUrl.at("http://cfile5.uf.tistory.com/original/4D5E6F7081902").size, 524288u);
        // 300000 and 409600 bytes: too small.
        EXPECT_EQ(byUrl.count("http://cfile5.uf.tistory.com/original/3C4D5E6F70802"), 0u);
        EXPECT_EQ(byUrl.count("http://cfile12.uf.daum.net/attach/1173E10C4A2F3B1D03"), 0u);
    }

    std::function<void(const standin::RecordedRequest&)> onRequest_;
    SearchJob job_;
    testing::EventRecorder recorder_;
};

// One search of the whole demo world, checked from every side.
TEST_F(SearchWorldTest, ASearchTermRunsThePassesAndReportsEveryFind) {
    Run("봄");
    ExpectTheEventStream();
    ExpectThePassQueries();
    ExpectEachAddressAskedOnceAndPauses();
    ExpectTheFinds();
}

TEST_F(SearchWorldTest, APostAddressIsAnalysedAlone) {
    Run("http://blog.naver.com/bomnal_diary?Redirect=Log&logNo=221001");
    EXPECT_EQ(recorder_.EventsWithoutFinds(),
              (std::vector<SearchEvent>{SEARCH_EV_RANGE, SEARCH_EV_POSITION, SEARCH_EV_END}));
    const auto finds = recorder_.Finds();
    ASSERT_EQ(finds.size(), 2u);
    EXPECT_EQ(finds[0].fileName, Ansi("봄노래.mp3"));
    EXPECT_EQ(finds[0].size, 4718592u);
    EXPECT_EQ(finds[1].fileName, Ansi("봄바람.mp3"));
    EXPECT_EQ(finds[0].pageUrl,
              "http://blog.naver.com/PostView.nhn?blogId=bomnal_diary&logNo=221001");
}

TEST_F(SearchWorldTest, NothingIsAskedAfterAStop) {
    std::string stoppedAt;
    onRequest_ = [this, &stoppedAt](const standin::RecordedRequest& request) {
        if (request.url == "http://melodyroom.tistory.com/203") {
            stoppedAt = request.url;
            job_.stopFlag = 1;
        }
    };
    Run("봄");
    ASSERT_EQ(stoppedAt, "http://melodyroom.tistory.com/203");
    EXPECT_EQ(web_.RequestedUrls().back(), stoppedAt);
    EXPECT_EQ(recorder_.Positions().back(), 130);
    EXPECT_EQ(recorder_.EventsWithoutFinds().back(), SEARCH_EV_END);
}

}  // namespace
}  // namespace bramix
