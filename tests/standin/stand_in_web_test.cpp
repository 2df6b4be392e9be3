#include "stand_in_web.h"

#include <gtest/gtest.h>
#include <httplib.h>

namespace standin {
namespace {

// Talks to the stand-in web as a program behind a proxy does.
class StandInWebTest : public ::testing::Test {
protected:
    void SetUp() override { web_.Start(); }

    httplib::Result Get(const std::string& host, const std::string& path,
                        const httplib::Headers& headers = {}, bool decompress = true) {
        httplib::Client client(host);
        client.set_proxy("127.0.0.1", web_.port());
        client.set_decompress(decompress);
        return client.Get(path, headers);
    }

    StandInWeb web_;
};

TEST_F(StandInWebTest, AnswersAndRecordsEachRequestByItsAbsoluteAddress) {
    web_.Set("http://a.example.com/x", Page("from a"));
    web_.Set("http://b.example.com/x", Page("from b"));
    // Answers all but c.example.com, after the replies set for an address.
    web_.SetFallback([](const RecordedRequest& request) -> std::optional<Reply> {
        return request.url.find("//c.") != std::string::npos
                   ? std::nullopt
                   : std::optional(Page("world: " + request.url));
    });
    EXPECT_EQ(Get("a.example.com", "/x")->body, "from a");
    EXPECT_EQ(Get("b.example.com", "/x", {{"X-Probe", "1"}})->body, "from b");
    EXPECT_EQ(Get("c.example.com", "/x")->status, 404);
    EXPECT_EQ(Get("a.example.com", "/world/1?q=%EA%B0%80")->body,
              "world: http://a.example.com/world/1?q=%EA%B0%80");
    const auto requests = web_.Requests();
    ASSERT_EQ(requests.size(), 4u);
    EXPECT_EQ(requests[1].method, "GET");
    EXPECT_EQ(requests[1].url, "http://b.example.com/x");
    EXPECT_EQ(requests[1].Header("x-probe"), "1");
    EXPECT_FALSE(requests[1].HasHeader("REMOTE_ADDR"));
    // A latency holds each answer at least that long.
    web_.SetLatency(std::chrono::milliseconds(200));
    const auto asked = std::chrono::steady_clock::now();
    EXPECT_EQ(Get("a.example.com", "/x")->body, "from a");
    EXPECT_GE(std::chrono::steady_clock::now() - asked, std::chrono::milliseconds(200));
}

TEST_F(StandInWebTest, SendsRedirectsUnaskedGzipAndCutBodies) {
    web_.Set("http://a.example.com/moved", Redirect("http://b.example.com/"));
    web_.Set("http://a.example.com/z", GzipPage("hello hello hello"));
    const auto moved = Get("a.example.com", "/moved");
    EXPECT_EQ(moved->status, 302);
    EXPECT_EQ(moved->get_header_value("Location"), "http://b.example.com/");
    const auto zipped = Get("a.example.com", "/z", {}, false);  // gzip unasked
    EXPECT_EQ(zipped->get_header_value("Content-Encoding"), "gzip");
    EXPECT_EQ(zipped->body.substr(0, 2), "\x1F\x8B");

    web_.Set("http://files.example.com/cut", ClosedMidBody(100000, 30000));
    const uint64_t before = web_.BodyBytesSent();    // whole bodies count as they are queued
    EXPECT_FALSE(Get("files.example.com", "/cut"));  // the client sees a broken transfer
    web_.Stop();
    EXPECT_EQ(web_.BodyBytesSent() - before, 30000u);
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
