#include "stand_in_web.h"

#include <gtest/gtest.h>
#include <httplib.h>

namespace standin {
namespace {

// Talks to the stand-in web as a program behind a proxy does.
class StandInWebTest : public ::testing::Test {
protected:
    void SetUp() override { web_.Start(); }

    httplib::Result Get(const std::string& host, const std::string& path) {
        httplib::Client client(host);
        client.set_proxy("127.0.0.1", web_.port());
        return client.Get(path);
    }

    StandInWeb web_;
};

TEST_F(StandInWebTest, AnswersByTheHostOfEachRequest) {
    web_.Set("http://a.example.com/x", Page("from a"));
    web_.Set("http://b.example.com/x", Page("from b"));
    EXPECT_EQ(Get("a.example.com", "/x")->body, "from a");
    EXPECT_EQ(Get("b.example.com", "/x")->body, "from b");
    EXPECT_EQ(Get("c.example.com", "/x")->status, 404);
}

TEST_F(StandInWebTest, RecordsEachRequestWithItsAbsoluteAddressAndHeaders) {
    httplib::Client client("blog.example.com");
    client.set_proxy("127.0.0.1", web_.port());
    client.Get("/p?q=%EA%B0%80&n=1", {{"X-Probe", "1"}});
    const auto requests = web_.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].method, "GET");
    EXPECT_EQ(requests[0].url, "http://blog.example.com/p?q=%EA%B0%80&n=1");
    EXPECT_EQ(requests[0].Header("x-probe"), "1");
    EXPECT_FALSE(requests[0].HasHeader("REMOTE_ADDR"));
}

TEST_F(StandInWebTest, ADirectRequestIsNamedByItsHostHeader) {
    const std::string url = "http://127.0.0.1:" + std::to_string(web_.port()) + "/direct";
    web_.Set(url, Page("direct"));
    httplib::Client client("127.0.0.1", web_.port());
    EXPECT_EQ(client.Get("/direct")->body, "direct");
    EXPECT_EQ(web_.RequestedUrls(), std::vector<std::string>{url});
}

TEST_F(StandInWebTest, TheFallbackAnswersWhatHasNoReplyOfItsOwn) {
    web_.Set("http://a.example.com/fixed", Page("fixed"));
    web_.SetFallback([](const RecordedRequest& request) -> std::optional<Reply> {
        if (request.url.find("/world/") == std::string::npos) {
            return std::nullopt;
        }
        return Page("world: " + request.url);
    });
    EXPECT_EQ(Get("a.example.com", "/fixed")->body, "fixed");
    EXPECT_EQ(Get("a.example.com", "/world/1")->body, "world: http://a.example.com/world/1");
    EXPECT_EQ(Get("a.example.com", "/other")->status, 404);
}

TEST_F(StandInWebTest, SendsStatusesWithTheirHeaders) {
    web_.Set("http://a.example.com/moved", Redirect("http://b.example.com/"));
    const auto result = Get("a.example.com", "/moved");
    EXPECT_EQ(result->status, 302);
    EXPECT_EQ(result->get_header_value("Location"), "http://b.example.com/");
}

TEST_F(StandInWebTest, StreamsAGeneratedBodyOfTheAnnouncedSize) {
    web_.Set("http://files.example.com/big", LargeBody(3 * 1024 * 1024 + 7));
    const auto result = Get("files.example.com", "/big");
    ASSERT_TRUE(result);
    EXPECT_EQ(result->body.size(), 3u * 1024 * 1024 + 7);
    EXPECT_EQ(result->body, GeneratedBody(0, result->body.size()));
    EXPECT_EQ(result->get_header_value("Content-Length"), std::to_string(3 * 1024 * 1024 + 7));
}

TEST_F(StandInWebTest, GeneratedSlicesAgreeWithTheWhole) {
    const std::string whole = GeneratedBody(0, 200000);
    EXPECT_EQ(GeneratedBody(123457, 5000), whole.substr(123457, 5000));
    EXPECT_EQ(GeneratedBody(0, 0), "");
}

TEST_F(StandInWebTest, ClosesTheConnectionShortOfTheAnnouncedLength) {
    web_.Set("http://files.example.com/cut", ClosedMidBody(100000, 30000));
    const auto result = Get("files.example.com", "/cut");
    EXPECT_FALSE(result);  // the client sees a broken transfer
    web_.Stop();
    EXPECT_EQ(web_.BodyBytesSent(), 30000u);
}

TEST_F(StandInWebTest, GzipsTheBodyUnasked) {
    web_.Set("http://a.example.com/z", GzipPage("hello hello hello"));
    httplib::Client client("a.example.com");
    client.set_proxy("127.0.0.1", web_.port());
    client.set_decompress(false);
    const auto result = client.Get("/z");
    EXPECT_EQ(result->get_header_value("Content-Encoding"), "gzip");
    EXPECT_EQ(result->body.substr(0, 2), "\x1F\x8B");
}

TEST_F(StandInWebTest, StopEndsAStallAtOnce) {
    web_.Set("http://a.example.com/stall", StallAfterHeaders());
    std::thread client([this] { Get("a.example.com", "/stall"); });
    const auto asked = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (web_.Requests().empty() && std::chrono::steady_clock::now() < asked) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ASSERT_FALSE(web_.Requests().empty());
    const auto start = std::chrono::steady_clock::now();
    web_.Stop();
    client.join();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

}  // namespace
}  // namespace standin
