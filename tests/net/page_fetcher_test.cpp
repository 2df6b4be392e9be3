#include "net/page_fetcher.h"

#include <gtest/gtest.h>

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

    // Fetches on a thread of its own, sets the stop once `ready` holds (asked
    // every 10 ms, for at most 5 s), and expects the fetch to end as stopped
    // within a second of it.
    static void ExpectAStopEndsTheFetch(const std::function<bool()>& ready) {
        StopFlag stop{0};
        FetchResult result;
        std::thread worker([&] {
            std::string text;
            result = FetchPage(kUrl, text, kFetchTimeoutMs, &stop);
        });
        for (const auto limit = Clock::now() + 5s; !ready() && Clock::now() < limit;) {
            std::this_thread::sleep_for(10ms);
        }
        const auto stoppedAt = Clock::now();
        stop = 1;
        worker.join();
        EXPECT_LT(Clock::now() - stoppedAt, 1s);
        EXPECT_EQ(result.outcome, FetchOutcome::Stopped);
    }

    std::function<bool()> Asked() {
        return [this] { return !web_.Requests().empty(); };
    }
};

TEST_F(PageFetcherTest, ReadsAPageAsSentWithTheFixedAgentAndNoCache) {
    web_.Set(kUrl, standin::Page("<html><body>\xB0\xA1 hello</body></html>"));
    std::string text;
    EXPECT_TRUE(FetchPage(kUrl, text, kFetchTimeoutMs));
    EXPECT_EQ(text, "<html><body>\xB0\xA1 hello</body></html>");
    const auto requests = web_.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].method, "GET");
    EXPECT_EQ(requests[0].Header("User-Agent"), kUserAgent);
    EXPECT_EQ(requests[0].Header("Pragma"), "no-cache");
    EXPECT_EQ(requests[0].Header("Cache-Control"), "no-cache");
    EXPECT_FALSE(requests[0].HasHeader("Accept-Encoding"));

    web_.Set(kUrl, standin::GzipPage("<html>compressed</html>"));  // unasked: left as sent
    ASSERT_TRUE(FetchPage(kUrl, text, kFetchTimeoutMs));
    EXPECT_EQ(text.substr(0, 2), "\x1F\x8B");
}

// A failed request leaves the text untouched; a failed or empty read empties it.
TEST_F(PageFetcherTest, FailuresAreSortedByWhatWentWrong) {
    struct Row {
        std::string url;
        std::optional<standin::Reply> reply;
        FetchOutcome outcome;
        int status;
        const char* text;
        bool stoppedBefore = false;
    };
    const Row rows[] = {
        {kUrl, standin::Status(404), FetchOutcome::HttpStatus, 404, "untouched"},
        {kUrl, standin::Status(201), FetchOutcome::HttpStatus, 201, "untouched"},
        {kUrl, standin::Status(204), FetchOutcome::HttpStatus, 204, "untouched"},
        {kUrl, standin::Redirect("http://elsewhere.example.com/"), FetchOutcome::HttpStatus, 302,
         "untouched"},
        {kUrl, standin::EmptyPage(), FetchOutcome::EmptyPage, 0, ""},
        {kUrl, standin::ClosedMidBody(100000, 30000), FetchOutcome::TransferError, 0, ""},
        {kUrl, standin::Page("x"), FetchOutcome::Stopped, 0, "untouched", true},
        {"https://blog.example.com/post/1", {}, FetchOutcome::NotHttp, 0, "untouched"},
        {"blog.example.com/post/1", {}, FetchOutcome::NotHttp, 0, "untouched"},
        {"", {}, FetchOutcome::NotHttp, 0, "untouched"}};
    web_.Set("http://elsewhere.example.com/", standin::Page("moved here"));
    for (const Row& row : rows) {
        SCOPED_TRACE(row.url + " " + std::to_string(row.status) + " " + row.text);
        if (row.reply) {
            web_.Set(row.url, *row.reply);
        }
        web_.ClearRequests();
        const StopFlag stop{row.stoppedBefore ? 1 : 0};
        std::string text = "untouched";
        const FetchResult result = FetchPage(row.url, text, kFetchTimeoutMs, &stop);
        EXPECT_EQ(result.outcome, row.outcome);
        EXPECT_EQ(result.httpStatus, row.status);
        EXPECT_EQ(text, row.text);
        EXPECT_NE(Describe(result).find(row.status ? std::to_string(row.status) : ""),
                  std::string::npos);
        if (row.outcome == FetchOutcome::TransferError) {
            EXPECT_NE(result.detail, "");
        }
        // Redirects are not followed; a stopped fetch and a wrong address ask nothing.
        const bool asked = row.reply && !row.stoppedBefore;
        EXPECT_EQ(web_.RequestedUrls(), asked ? std::vector{row.url} : std::vector<std::string>{});
    }
}

// A page at the read limit comes back whole; a larger one is cut after the
// 4,096-byte chunk that passes the limit, whatever sizes the body arrives in.
TEST_F(PageFetcherTest, ReadsUpToTheReadLimit) {
    standin::Reply pieces = standin::Page(standin::GeneratedBody(0, 600000));
    pieces.trickleBytes = 3001;
    const std::tuple<standin::Reply, size_t, size_t> rows[] = {
        {standin::LargeBody(kPageReadLimit), kPageReadLimit, kPageReadLimit},
        {standin::LargeBody(600000), kPageReadLimit + 1, kPageReadLimit + kPageReadChunk},
        {pieces, kPageReadLimit + 1, kPageReadLimit + kPageReadChunk},
        {standin::Trickle(standin::GeneratedBody(0, 10000), 1000, 20ms), 10000, 10000}};
    for (const auto& [reply, least, most] : rows) {
        SCOPED_TRACE(most);
        web_.Set(kUrl, reply);
        std::string text;
        ASSERT_TRUE(FetchPage(kUrl, text, kFetchTimeoutMs));
        EXPECT_GE(text.size(), least);
        EXPECT_LE(text.size(), most);
        EXPECT_EQ(text, standin::GeneratedBody(0, text.size()));
    }
}

TEST_F(PageFetcherTest, APortInTheAddressIsKept) {
    unsetenv("http_proxy");
    const std::string url = "http://127.0.0.1:" + std::to_string(web_.port()) + "/direct";
    web_.Set(url, standin::Page("direct"));
    std::string text;
    EXPECT_TRUE(FetchPage(url, text, kFetchTimeoutMs));
    EXPECT_EQ(text, "direct");
}

TEST_F(PageFetcherTest, ARefusedConnectionFailsAtOnce) {
    setenv("http_proxy", testing::RefusedPortUrl().c_str(), 1);
    const auto start = Clock::now();
    std::string text;
    EXPECT_EQ(FetchPage(kUrl, text, kFetchTimeoutMs).outcome, FetchOutcome::TransferError);
    EXPECT_LT(Clock::now() - start, 5s);
}

TEST_F(PageFetcherTest, AStopEndsTheWaitForTheHeaders) {
    web_.Set(kUrl, standin::StallBeforeHeaders());
    ExpectAStopEndsTheFetch(Asked());
}

TEST_F(PageFetcherTest, AStopEndsAStalledBody) {
    web_.Set(kUrl, standin::StallAfterHeaders());
    ExpectAStopEndsTheFetch(Asked());
}

TEST_F(PageFetcherTest, AStopEndsADrip) {
    web_.Set(kUrl, standin::Trickle(std::string(100, 'x'), 2, 1s));
    ExpectAStopEndsTheFetch(Asked());
}

TEST_F(PageFetcherTest, AStopEndsAConnect) {
    // A connect that never completes: any moment after the start is inside it.
    testing::UnansweredPort unanswered;
    setenv("http_proxy", unanswered.Url().c_str(), 1);
    const auto start = Clock::now();
    ExpectAStopEndsTheFetch([&] { return Clock::now() > start + 200ms; });
}

// A drip of one byte a second and a server that stalls after its headers are
// given up by the stall guard, not the 30 s default.
TEST_F(PageFetcherTest, ASlowOrStalledBodyIsGivenUp) {
    const std::pair<standin::Reply, std::chrono::seconds> rows[] = {
        {standin::Trickle(std::string(20, 'x'), 1, 1s), 2s}, {standin::StallAfterHeaders(), 1s}};
    for (const auto& [reply, stallLimit] : rows) {
        web_.Set(kUrl, reply);
        HttpPageReader reader(kFetchTimeoutMs, nullptr, stallLimit);
        ASSERT_TRUE(reader.Open(kUrl));
        const auto start = Clock::now();
        std::string text = "old";
        EXPECT_FALSE(reader.ReadAll(text));
        EXPECT_EQ(text, "");
        EXPECT_EQ(reader.result().outcome, FetchOutcome::TransferError);
        EXPECT_LT(Clock::now() - start, 15s);
    }
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

// Only after a successful Open: the first of that name in any case, empty when
// missing; the body a probe leaves unread is never read.
TEST_F(PageFetcherTest, HeadersComeFromASuccessfulOpenAndTheBodyStaysUnread) {
    standin::Reply missing = standin::Status(404);
    missing.headers.emplace_back("Content-Disposition", "attachment; filename=a.mp3");
    web_.Set(kUrl, missing);
    HttpPageReader failed(kFetchTimeoutMs);
    EXPECT_EQ(failed.Header("Content-Length"), "");
    EXPECT_FALSE(failed.Open(kUrl));
    EXPECT_EQ(failed.Header("Content-Disposition"), "");
    std::string text = "old";
    EXPECT_FALSE(failed.ReadAll(text));
    EXPECT_EQ(text, "");

    standin::Reply reply = standin::LargeBody(50 * 1024 * 1024, "audio/mpeg");
    reply.headers.emplace_back("content-disposition", "attachment; filename=\"song.mp3\"");
    reply.headers.emplace_back("Content-Disposition", "inline; filename=second.mp3");
    web_.Set(kUrl, reply);
    {
        HttpPageReader reader(kFetchTimeoutMs);
        ASSERT_TRUE(reader.Open(kUrl));
        EXPECT_EQ(reader.Header("Content-Disposition"), "attachment; filename=\"song.mp3\"");
        EXPECT_EQ(reader.Header("Content-Length"), "52428800");
        EXPECT_EQ(reader.Header("Content-Range"), "");
    }
    web_.Stop();  // lets the server finish counting what it sent
    EXPECT_LT(web_.BodyBytesSent(), 8u * 1024 * 1024);
}

}  // namespace
}  // namespace bramix
