#include "net/page_fetcher.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <future>
#include <thread>

#include "net/address.h"
#include "net/header_line.h"
#include "support/unanswered_port.h"
#include "support/web_test.h"

namespace bramix {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
constexpr const char* kUrl = "http://blog.example.com/post/1";

// Services by scheme in any case; other schemes are addresses too; search
// terms and addresses without a scheme or host are none.
TEST(ParseAddressTest, TellsServicesAndRefusesWhatIsNoAddress) {
    const auto none = std::optional<ServiceType>();
    // clang-format off
    const std::pair<const char*, std::optional<ServiceType>> rows[] = {
        {"HTTP://blog.naver.com/", ServiceType::Http}, {"http://me@a.com:8080/1", ServiceType::Http},
        {"https://blog.naver.com/abc", ServiceType::Https}, {"ftp://f.example/a", ServiceType::Ftp},
        {"gopher://host/x", ServiceType::Other}, {"file:///home/me/a.mp3", ServiceType::File},
        {"blog.naver.com/abc/123", none}, {"love song", none}, {"http://", none},
        {"http://me@/x", none}, {"://host", none}, {"a b://host", none}, {"1a://host", none},
        {"\xB0\xA1://host", none}};
    // clang-format on
    for (const auto& [text, service] : rows) {
        const auto parsed = ParseAddress(text);
        EXPECT_EQ(parsed ? std::optional(parsed->service) : std::nullopt, service) << text;
    }
}

TEST(HttpRequestTest, EscapesOnlyWhatCannotGoOnTheWireAndTakesWhatLibcurlCanAskFor) {
    EXPECT_EQ(EscapeForRequest("http://h/a b?q=%41&x=1"), "http://h/a%20b?q=%41&x=1");
    EXPECT_EQ(EscapeForRequest("http://h/\xB0\xA1.mp3"), "http://h/%B0%A1.mp3");
    for (const char* address : {"http://h/a.mp3", "https://h.example.com:8080/my song.mp3",
                                "http://[::1]/a", "http://h/\xB0\xA1.mp3"}) {
        EXPECT_TRUE(IsRequestableAddress(address)) << address;
    }
    for (const char* address : {"http://h:99999/x", "http://[::1/x", "http://", "notaurl", ""}) {
        EXPECT_FALSE(IsRequestableAddress(address)) << address;
    }
}

TEST(HeaderLineTest, TellsStatusLinesFieldsAndTheEnd) {
    EXPECT_EQ(ParseHeaderLine("HTTP/2 404\r\n").status, 404);
    EXPECT_EQ(ParseHeaderLine("HTTP/1.1 2000 Odd\r\n").status, 200);  // three digits at most
    EXPECT_EQ(ParseHeaderLine("HTTP/1.1\r\n").status, 0);
    const HeaderLine field = ParseHeaderLine("Content-Disposition: \t attachment; x \r\n");
    EXPECT_EQ(field.name, "Content-Disposition");
    EXPECT_EQ(field.value, "attachment; x");
    EXPECT_EQ(ParseHeaderLine("Empty:\r\n").value, "");
    const HeaderLine folded = ParseHeaderLine(" \t filename=\"a: b.mp3\" \r\n");
    EXPECT_EQ(folded.kind, HeaderLine::Kind::Continuation);
    EXPECT_EQ(folded.value, "filename=\"a: b.mp3\"");
    EXPECT_EQ(ParseHeaderLine("no colon here\r\n").kind, HeaderLine::Kind::Other);
}

class PageFetcherTest : public testing::WebTest {
protected:
    // Fetches on a thread of its own, sets the stop once the server was asked
    // (or, without a reply, 200 ms into the connect) and expects the fetch to
    // end as stopped within a second of it.
    void ExpectAStopEndsTheFetch(const std::optional<standin::Reply>& reply) {
        if (reply) {
            web_.Set(kUrl, *reply);
        }
        StopFlag stop{0};
        auto fetch = std::async(std::launch::async, [&] {
            std::string text;
            return FetchPage(kUrl, text, kFetchTimeoutMs, &stop);
        });
        const auto start = Clock::now();
        while (reply ? web_.Requests().empty() && Clock::now() < start + 5s
                     : Clock::now() < start + 200ms) {
            std::this_thread::sleep_for(10ms);
        }
        const auto stoppedAt = Clock::now();
        stop = 1;
        EXPECT_EQ(fetch.get().outcome, FetchOutcome::Stopped);
        EXPECT_LT(Clock::now() - stoppedAt, 1s);
    }
};

// A failed request leaves the text untouched; a failed or empty read empties
// it. Redirects are not followed; a stopped fetch and a wrong address ask nothing.
TEST_F(PageFetcherTest, FailuresAreSortedByWhatWentWrong) {
    const struct {
        std::string url;
        std::optional<standin::Reply> reply;
        FetchOutcome outcome;
        int status;
        const char* text;
        bool stoppedBefore = false;
    } rows[] = {{kUrl, standin::Status(404), FetchOutcome::HttpStatus, 404, "untouched"},
                {kUrl, standin::Status(201), FetchOutcome::HttpStatus, 201, "untouched"},
                {kUrl, standin::Redirect("http://elsewhere.example.com/"), FetchOutcome::HttpStatus,
                 302, "untouched"},
                {kUrl, standin::EmptyPage(), FetchOutcome::EmptyPage, 0, ""},
                {kUrl, standin::ClosedMidBody(100000, 30000), FetchOutcome::TransferError, 0, ""},
                {kUrl, standin::Page("x"), FetchOutcome::Stopped, 0, "untouched", true},
                {"https://blog.example.com/post/1", {}, FetchOutcome::NotHttp, 0, "untouched"},
                {"blog.example.com/post/1", {}, FetchOutcome::NotHttp, 0, "untouched"}};
    web_.Set("http://elsewhere.example.com/", standin::Page("moved here"));
    for (const auto& row : rows) {
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
        EXPECT_EQ(result.detail.empty(), row.outcome != FetchOutcome::TransferError);
        const bool asked = row.reply && !row.stoppedBefore;
        EXPECT_EQ(web_.RequestedUrls(), asked ? std::vector{row.url} : std::vector<std::string>{});
    }
    std::string text;
    setenv("http_proxy", testing::RefusedPortUrl().c_str(), 1);  // nobody listens there
    EXPECT_EQ(FetchPage(kUrl, text, kFetchTimeoutMs).outcome, FetchOutcome::TransferError);
}

// A page at the read limit comes back whole; a larger one is cut after the
// 4,096-byte chunk that passes the limit, whatever sizes the body arrives in.
TEST_F(PageFetcherTest, ReadsAPageAsSentUpToTheReadLimitWithTheFixedAgentAndNoCache) {
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
    const auto request = web_.Requests().back();
    EXPECT_EQ(request.Header("User-Agent"), kUserAgent);
    EXPECT_EQ(request.Header("Pragma"), "no-cache");
    EXPECT_EQ(request.Header("Cache-Control"), "no-cache");
    EXPECT_FALSE(request.HasHeader("Accept-Encoding"));  // a page is never decoded
}

TEST_F(PageFetcherTest, AStopEndsTheWaitForTheHeaders) {
    ExpectAStopEndsTheFetch(standin::StallBeforeHeaders());
}

TEST_F(PageFetcherTest, AStopEndsAStalledBody) {
    ExpectAStopEndsTheFetch(standin::StallAfterHeaders());
}

TEST_F(PageFetcherTest, AStopEndsADrip) {
    ExpectAStopEndsTheFetch(standin::Trickle(std::string(100, 'x'), 2, 1s));
}

TEST_F(PageFetcherTest, AStopEndsAConnect) {
    testing::UnansweredPort unanswered;  // a connect that never completes
    setenv("http_proxy", unanswered.Url().c_str(), 1);
    ExpectAStopEndsTheFetch(std::nullopt);
}

// Headers only after a successful Open: the first of that name in any case,
// whatever the body does after them; the body a probe leaves unread is never read.
TEST_F(PageFetcherTest, HeadersComeFromASuccessfulOpenAndTheBodyStaysUnread) {
    HttpPageReader reader(kFetchTimeoutMs);
    web_.Set(kUrl, standin::Status(404));
    EXPECT_FALSE(reader.Open(kUrl));
    EXPECT_EQ(reader.Header("Content-Length"), "");
    std::string text = "old";
    EXPECT_FALSE(reader.ReadAll(text));
    EXPECT_EQ(text, "");

    // However the close falls into the reads, the probe sees the 200.
    web_.Set(kUrl, standin::ClosedMidBody(600000, 0));
    for (int round = 0; round < 30; ++round) {
        ASSERT_TRUE(reader.Open(kUrl)) << round;
        EXPECT_EQ(reader.Header("Content-Length"), "600000");
        EXPECT_FALSE(reader.ReadAll(text));  // the body itself is broken
    }

    standin::Reply reply = standin::LargeBody(50 * 1024 * 1024, "audio/mpeg");
    reply.headers.emplace_back("content-disposition", "attachment; filename=\"song.mp3\"");
    reply.headers.emplace_back("Content-Disposition", "inline; filename=second.mp3");
    web_.Set(kUrl, reply);
    ASSERT_TRUE(reader.Open(kUrl));
    EXPECT_EQ(reader.Header("Content-Disposition"), "attachment; filename=\"song.mp3\"");
    reader.Close();
    web_.Stop();  // lets the server finish counting what it sent
    EXPECT_LT(web_.BodyBytesSent(), 8u * 1024 * 1024);
}

}  // namespace
}  // namespace bramix
