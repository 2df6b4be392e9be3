#include "net/page_fetcher.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <thread>

#include "support/unanswered_port.h"
#include "support/web_test.h"

namespace bramix {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

class PageFetcherTest : public testing::WebTest {
protected:
    static constexpr const char* kUrl = "http://blog.example.com/post/1";
};

TEST_F(PageFetcherTest, ReadsAPageAsItComes) {
    web_.Set(kUrl, standin::Page("<html><body>\xB0\xA1 hello</body></html>"));
    std::string text;
    EXPECT_TRUE(FetchPage(kUrl, text, kFetchTimeoutMs));
    EXPECT_EQ(text, "<html><body>\xB0\xA1 hello</body></html>");
}

TEST_F(PageFetcherTest, EachRequestCarriesTheFixedAgentAndNoCacheHeaders) {
    web_.Set(kUrl, standin::Page("x"));
    std::string text;
    ASSERT_TRUE(FetchPage(kUrl, text, kFetchTimeoutMs));
    const auto requests = web_.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].method, "GET");
    EXPECT_EQ(requests[0].url, kUrl);
    EXPECT_EQ(requests[0].Header("User-Agent"), kUserAgent);
    EXPECT_EQ(requests[0].Header("Pragma"), "no-cache");
    EXPECT_EQ(requests[0].Header("Cache-Control"), "no-cache");
    EXPECT_FALSE(requests[0].HasHeader("Accept-Encoding"));
}

TEST_F(PageFetcherTest, ARedirectIsNotFollowedAndFails) {
    web_.Set(kUrl, standin::Redirect("http://elsewhere.example.com/"));
    web_.Set("http://elsewhere.example.com/", standin::Page("moved here"));
    std::string text = "untouched";
    EXPECT_FALSE(FetchPage(kUrl, text, kFetchTimeoutMs));
    EXPECT_EQ(text, "untouched");
    EXPECT_EQ(web_.RequestedUrls(), std::vector<std::string>{kUrl});
}

TEST_F(PageFetcherTest, AnyStatusButOkFails) {
    for (const int status : {404, 500, 201, 204}) {
        web_.Set(kUrl, standin::Status(status));
        std::string text = "untouched";
        EXPECT_FALSE(FetchPage(kUrl, text, kFetchTimeoutMs)) << status;
        EXPECT_EQ(text, "untouched") << status;
    }
}

TEST_F(PageFetcherTest, AnEmptyPageFailsAndEmptiesTheText) {
    web_.Set(kUrl, standin::EmptyPage());
    std::string text = "old";
    EXPECT_FALSE(FetchPage(kUrl, text, kFetchTimeoutMs));
    EXPECT_EQ(text, "");
}

TEST_F(PageFetcherTest, APageAtTheReadLimitComesBackWhole) {
    web_.Set(kUrl, standin::LargeBody(kPageReadLimit));
    std::string text;
    ASSERT_TRUE(FetchPage(kUrl, text, kFetchTimeoutMs));
    EXPECT_EQ(text, standin::GeneratedBody(0, kPageReadLimit));
}

TEST_F(PageFetcherTest, ALargerPageIsCutAfterTheChunkThatPassesTheLimit) {
    web_.Set(kUrl, standin::LargeBody(600000));
    std::string text;
    ASSERT_TRUE(FetchPage(kUrl, text, kFetchTimeoutMs));
    EXPECT_GT(text.size(), kPageReadLimit);
    EXPECT_LE(text.size(), kPageReadLimit + kPageReadChunk);
    EXPECT_EQ(text, standin::GeneratedBody(0, text.size()));
}

TEST_F(PageFetcherTest, TheCutHoldsWhateverSizesTheBodyArrivesIn) {
    standin::Reply reply = standin::Page(standin::GeneratedBody(0, 600000));
    reply.trickleBytes = 3001;
    web_.Set(kUrl, reply);
    std::string text;
    ASSERT_TRUE(FetchPage(kUrl, text, kFetchTimeoutMs));
    EXPECT_GT(text.size(), kPageReadLimit);
    EXPECT_LE(text.size(), kPageReadLimit + kPageReadChunk);
    EXPECT_EQ(text, standin::GeneratedBody(0, text.size()));
}

TEST_F(PageFetcherTest, ASlowTrickleIsReadWhole) {
    const std::string body = standin::GeneratedBody(0, 10000);
    web_.Set(kUrl, standin::Trickle(body, 1000, 20ms));
    std::string text;
    ASSERT_TRUE(FetchPage(kUrl, text, kFetchTimeoutMs));
    EXPECT_EQ(text, body);
}

TEST_F(PageFetcherTest, AGzipBodySentUnaskedComesBackAsSent) {
    web_.Set(kUrl, standin::GzipPage("<html>compressed</html>"));
    std::string text;
    ASSERT_TRUE(FetchPage(kUrl, text, kFetchTimeoutMs));
    ASSERT_GE(text.size(), 2u);
    EXPECT_EQ(text.substr(0, 2), "\x1F\x8B");
}

TEST_F(PageFetcherTest, AConnectionClosedMidBodyFailsWithAnEmptyText) {
    web_.Set(kUrl, standin::ClosedMidBody(100000, 30000));
    std::string text = "old";
    EXPECT_FALSE(FetchPage(kUrl, text, kFetchTimeoutMs));
    EXPECT_EQ(text, "");
}

TEST_F(PageFetcherTest, OnlyHttpAddressesAreRequested) {
    std::string text = "untouched";
    EXPECT_FALSE(FetchPage("https://blog.example.com/post/1", text, kFetchTimeoutMs));
    EXPECT_FALSE(FetchPage("ftp://blog.example.com/a.mp3", text, kFetchTimeoutMs));
    EXPECT_FALSE(FetchPage("blog.example.com/post/1", text, kFetchTimeoutMs));
    EXPECT_FALSE(FetchPage("", text, kFetchTimeoutMs));
    EXPECT_EQ(text, "untouched");
    EXPECT_TRUE(web_.Requests().empty());
}

TEST_F(PageFetcherTest, APortWrittenInTheAddressIsKept) {
    const std::string url = "http://files.example.com:8080/a.mp3";
    web_.Set(url, standin::Page("x"));
    std::string text;
    EXPECT_TRUE(FetchPage(url, text, kFetchTimeoutMs));
    EXPECT_EQ(web_.RequestedUrls(), std::vector<std::string>{url});
}

TEST_F(PageFetcherTest, APortIsHonouredWithoutAProxyToo) {
    unsetenv("http_proxy");
    const std::string url = "http://127.0.0.1:" + std::to_string(web_.port()) + "/direct";
    web_.Set(url, standin::Page("direct"));
    std::string text;
    EXPECT_TRUE(FetchPage(url, text, kFetchTimeoutMs));
    EXPECT_EQ(text, "direct");
}

TEST_F(PageFetcherTest, ARefusedConnectionFailsAtOnce) {
    // A port that was free a moment ago: nobody listens there.
    const int probe = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    socklen_t length = sizeof address;
    getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length);
    close(probe);
    setenv("http_proxy", ("http://127.0.0.1:" + std::to_string(ntohs(address.sin_port))).c_str(),
           1);

    const auto start = Clock::now();
    std::string text;
    EXPECT_FALSE(FetchPage(kUrl, text, kFetchTimeoutMs));
    EXPECT_LT(Clock::now() - start, 5s);
}

// Runs `fetch` on a thread of its own, sets its stop once `ready` holds (it is
// asked every 10 ms, for at most 5 s), and tells how the fetch ended and how
// long after the stop it returned.
struct StoppedFetch {
    FetchResult result;
    Clock::duration afterStop;
};
StoppedFetch StopDuring(const std::function<FetchResult(const StopFlag&)>& fetch,
                        const std::function<bool()>& ready) {
    StopFlag stop{0};
    StoppedFetch stopped;
    std::atomic<bool> done{false};
    Clock::time_point ended;
    std::thread worker([&] {
        stopped.result = fetch(stop);
        ended = Clock::now();
        done = true;
    });
    const auto limit = Clock::now() + 5s;
    while (!ready() && !done && Clock::now() < limit) {
        std::this_thread::sleep_for(10ms);
    }
    const auto stoppedAt = Clock::now();
    stop = 1;
    worker.join();
    stopped.afterStop = ended - stoppedAt;
    return stopped;
}

TEST_F(PageFetcherTest, AStopEndsEveryWaitOfAFetchPromptly) {
    auto fetch = [](const std::string& url) {
        return [url](const StopFlag& stop) {
            std::string text;
            return FetchPage(url, text, kFetchTimeoutMs, &stop);
        };
    };
    auto asked = [this] { return !web_.Requests().empty(); };

    web_.Set("http://a.example.com/silent", standin::StallBeforeHeaders());
    web_.Set("http://a.example.com/stalled", standin::StallAfterHeaders());
    web_.Set("http://a.example.com/drip", standin::Trickle(std::string(100, 'x'), 2, 1s));
    for (const char* url : {"http://a.example.com/silent", "http://a.example.com/stalled",
                            "http://a.example.com/drip"}) {
        web_.ClearRequests();
        const StoppedFetch stopped = StopDuring(fetch(url), asked);
        EXPECT_EQ(stopped.result.outcome, FetchOutcome::Stopped) << url;
        EXPECT_LT(stopped.afterStop, 1s) << url;
    }

    // A connect that never completes: any moment after the start is inside it.
    testing::UnansweredPort unanswered;
    setenv("http_proxy", unanswered.Url().c_str(), 1);
    const auto start = Clock::now();
    const StoppedFetch connecting =
        StopDuring(fetch(kUrl), [&] { return Clock::now() > start + 200ms; });
    EXPECT_EQ(connecting.result.outcome, FetchOutcome::Stopped);
    EXPECT_LT(connecting.afterStop, 1s);
}

TEST_F(PageFetcherTest, AStopBeforeTheStartAsksNothing) {
    web_.Set(kUrl, standin::Page("x"));
    StopFlag stop{1};
    std::string text = "untouched";
    EXPECT_EQ(FetchPage(kUrl, text, kFetchTimeoutMs, &stop).outcome, FetchOutcome::Stopped);
    EXPECT_EQ(text, "untouched");
}

TEST_F(PageFetcherTest, ADripOfOneByteASecondIsGivenUp) {
    web_.Set(kUrl, standin::Trickle(std::string(20, 'x'), 1, 1s));
    HttpPageReader reader(kFetchTimeoutMs, nullptr, 2s);
    ASSERT_TRUE(reader.Open(kUrl));
    std::string text;
    EXPECT_FALSE(reader.ReadAll(text));
    EXPECT_EQ(reader.result().outcome, FetchOutcome::TransferError);
}

TEST_F(PageFetcherTest, AnAnswerIsItsHeadersWhateverTheBodyDoesAfterThem) {
    // 200 and a length, then the connection closes: however the close falls
    // into the reads, the probe sees the 200.
    web_.Set(kUrl, standin::ClosedMidBody(600000, 0));
    for (int round = 0; round < 30; ++round) {
        HttpPageReader reader(kFetchTimeoutMs);
        ASSERT_TRUE(reader.Open(kUrl)) << round;
        EXPECT_EQ(reader.Header("Content-Length"), "600000");
        std::string text;
        EXPECT_FALSE(reader.ReadAll(text));  // the body itself is broken
    }
}

TEST_F(PageFetcherTest, FailuresAreSortedByWhatWentWrong) {
    std::string text;
    EXPECT_EQ(FetchPage("https://a.example.com/", text, kFetchTimeoutMs).outcome,
              FetchOutcome::NotHttp);
    web_.Set(kUrl, standin::Status(404));
    const FetchResult missing = FetchPage(kUrl, text, kFetchTimeoutMs);
    EXPECT_EQ(missing.outcome, FetchOutcome::HttpStatus);
    EXPECT_EQ(Describe(missing), "HTTP status 404");
    web_.Set(kUrl, standin::EmptyPage());
    EXPECT_EQ(FetchPage(kUrl, text, kFetchTimeoutMs).outcome, FetchOutcome::EmptyPage);
    web_.Set(kUrl, standin::ClosedMidBody(100000, 3000));
    const FetchResult broken = FetchPage(kUrl, text, kFetchTimeoutMs);
    EXPECT_EQ(broken.outcome, FetchOutcome::TransferError);
    EXPECT_NE(broken.detail, "");
}

TEST_F(PageFetcherTest, AStalledServerIsGivenUpOnByTheStallGuard) {
    web_.Set(kUrl, standin::StallAfterHeaders());
    HttpPageReader reader(kFetchTimeoutMs, nullptr, 1s);
    ASSERT_TRUE(reader.Open(kUrl));
    const auto start = Clock::now();
    std::string text = "old";
    EXPECT_FALSE(reader.ReadAll(text));
    EXPECT_EQ(text, "");
    EXPECT_LT(Clock::now() - start, 15s);  // the guard, not the 30 s default
}

TEST_F(PageFetcherTest, TheHeaderProbeNeverReadsTheBody) {
    standin::Reply reply = standin::LargeBody(50 * 1024 * 1024, "audio/mpeg");
    reply.headers.emplace_back("Content-Disposition", "attachment; filename=\"song.mp3\"");
    web_.Set(kUrl, reply);
    {
        HttpPageReader reader(kFetchTimeoutMs);
        ASSERT_TRUE(reader.Open(kUrl));
        EXPECT_EQ(reader.Header("Content-Disposition"), "attachment; filename=\"song.mp3\"");
        EXPECT_EQ(reader.Header("Content-Length"), "52428800");
    }
    web_.Stop();  // lets the server finish counting what it sent
    EXPECT_LT(web_.BodyBytesSent(), 8u * 1024 * 1024);
}

TEST_F(PageFetcherTest, HeadersAreAnsweredOnlyAfterASuccessfulOpen) {
    standin::Reply reply = standin::Status(404);
    reply.headers.emplace_back("Content-Disposition", "attachment; filename=a.mp3");
    web_.Set(kUrl, reply);
    HttpPageReader reader(kFetchTimeoutMs);
    EXPECT_EQ(reader.Header("Content-Length"), "");
    EXPECT_FALSE(reader.Open(kUrl));
    EXPECT_EQ(reader.Header("Content-Disposition"), "");
    std::string text = "old";
    EXPECT_FALSE(reader.ReadAll(text));
    EXPECT_EQ(text, "");
}

TEST_F(PageFetcherTest, AMissingHeaderIsEmptyAndNamesIgnoreCase) {
    standin::Reply reply = standin::Page("body");
    reply.headers.emplace_back("content-disposition", "inline; filename=first.mp3");
    reply.headers.emplace_back("Content-Disposition", "inline; filename=second.mp3");
    web_.Set(kUrl, reply);
    HttpPageReader reader(kFetchTimeoutMs);
    ASSERT_TRUE(reader.Open(kUrl));
    EXPECT_EQ(reader.Header("Content-Disposition"), "inline; filename=first.mp3");
    EXPECT_EQ(reader.Header("Content-Length"), "4");
    EXPECT_EQ(reader.Header("Content-Range"), "");
    std::string text;
    EXPECT_TRUE(reader.ReadAll(text));
    EXPECT_EQ(text, "body");
}

}  // namespace
}  // namespace bramix
