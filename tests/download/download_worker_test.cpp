#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <mutex>
#include <thread>

#include "download/download_job.h"
#include "download/partial_file.h"
#include "support/raw_server.h"
#include "support/temp_folder.h"
#include "support/unanswered_port.h"
#include "support/web_test.h"

namespace bramix {
namespace {

using testing::ReadFile;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr const char* kUrl = "http://f.example.com/a.mp3";

class DownloadWorkerTest : public testing::WebTest {
protected:
    void SetUp() override {
        WebTest::SetUp();
        job_.path = Path("song.mp3");
        job_.listener = &recorder_;
    }
    std::string Path(const std::string& name) const { return (folder_ / name).string(); }

    void Download(const std::string& url) {
        job_.url = url;
        DownloadThreadProc(&job_);
    }

    // Runs the download on a thread of its own, stops it once `ready` holds
    // (asked every 10 ms, for at most 5 s), and tells how long after the stop
    // it ended.
    Clock::duration StopDuring(const std::string& url, const std::function<bool()>& ready) {
        job_.url = url;
        std::atomic<bool> done{false};
        std::thread worker([this, &done] {
            DownloadThreadProc(&job_);
            done = true;
        });
        const auto limit = Clock::now() + 5s;
        while (!ready() && !done && Clock::now() < limit) {
            std::this_thread::sleep_for(10ms);
        }
        const auto stopped = Clock::now();
        EXPECT_TRUE(ready()) << "stopped before the wait it bounds began";
        job_.stopFlag = 1;
        worker.join();
        return Clock::now() - stopped;
    }

    // The worker's events: progress with its bytes and total, and the end
    // with the job it ended.
    using Event = std::tuple<DownloadEvent, uint64_t, uint64_t>;
    struct Recorder : DownloadListener {
        DownloadWorkerTest& test;
        std::function<void()> onProgress;  // after each progress event
        explicit Recorder(DownloadWorkerTest& owner) : test(owner) {}
        void OnProgress(uint64_t bytes, uint64_t total) override {
            {
                std::lock_guard lock(test.mutex_);
                test.events_.push_back({DownloadEvent::DOWNLOAD_EV_PROGRESS, bytes, total});
            }
            if (onProgress) {
                onProgress();
            }
        }
        void OnEnd(const DownloadJob& job) override {
            std::lock_guard lock(test.mutex_);
            test.events_.push_back({DownloadEvent::DOWNLOAD_EV_END, 0, 0});
            test.endedJob_ = &job;
            test.succeededAtEnd_ = job.succeeded() ? 1 : 0;
        }
    };

    std::vector<Event> Progress() const {
        std::vector<Event> progress;
        for (const auto& event : events_) {
            if (std::get<0>(event) == DownloadEvent::DOWNLOAD_EV_PROGRESS) {
                progress.push_back(event);
            }
        }
        return progress;
    }

    testing::TempFolder temp_;
    const std::filesystem::path& folder_ = temp_.path();
    DownloadJob job_;
    std::mutex mutex_;
    std::vector<Event> events_;
    const DownloadJob* endedJob_ = nullptr;
    int succeededAtEnd_ = -1;
    Recorder recorder_{*this};
};

TEST_F(DownloadWorkerTest, WritesTheFileAndReportsProgressThenTheEnd) {
    web_.Set(kUrl, standin::LargeBody(3 * 1024 * 1024));
    Download(kUrl);
    EXPECT_TRUE(job_.succeeded());
    EXPECT_EQ(succeededAtEnd_, 1);  // written before the end event
    EXPECT_EQ(ReadFile(job_.path), standin::GeneratedBody(0, 3 * 1024 * 1024));
    EXPECT_EQ(temp_.Contents(), std::vector<std::string>{"song.mp3"});  // no .part left
    EXPECT_FALSE(job_.partIsOurs);
    ASSERT_FALSE(events_.empty());
    EXPECT_EQ(std::get<0>(events_.back()), DownloadEvent::DOWNLOAD_EV_END);
    EXPECT_EQ(endedJob_, &job_);
    const auto progress = Progress();
    ASSERT_FALSE(progress.empty());
    uint64_t last = 0;
    for (const auto& [code, bytes, total] : progress) {
        EXPECT_GT(bytes, last);  // only when new bytes arrived
        EXPECT_EQ(total, 3 * 1024 * 1024);
        last = bytes;
    }
    EXPECT_EQ(last, 3u * 1024 * 1024);
}

TEST_F(DownloadWorkerTest, AnEmptyFileRaisesOnlyTheEnd) {
    web_.Set(kUrl, standin::EmptyPage());
    Download(kUrl);
    EXPECT_TRUE(job_.succeeded());
    EXPECT_TRUE(Progress().empty());
    EXPECT_EQ(events_.size(), 1u);
    EXPECT_EQ(temp_.Contents(), std::vector<std::string>{"song.mp3"});
}

TEST_F(DownloadWorkerTest, AnUnknownTotalIsPassedAsZero) {
    standin::Reply reply = standin::LargeBody(200000);
    reply.announceLength = false;
    web_.Set(kUrl, reply);
    Download(kUrl);
    EXPECT_TRUE(job_.succeeded());
    ASSERT_FALSE(Progress().empty());
    for (const auto& event : Progress()) {
        EXPECT_EQ(std::get<2>(event), 0);
    }
}

TEST_F(DownloadWorkerTest, ARedirectIsFollowedToAnotherHost) {
    web_.Set(kUrl, standin::Redirect("http://g.example.com/here.mp3"));
    web_.Set("http://g.example.com/here.mp3", standin::Page("the file"));
    Download(kUrl);
    EXPECT_TRUE(job_.succeeded());
    EXPECT_EQ(ReadFile(job_.path), "the file");
}

TEST_F(DownloadWorkerTest, ARedirectNotFollowedSaysWhy) {
    web_.Set(kUrl, standin::Redirect(kUrl));
    Download(kUrl);
    EXPECT_EQ(job_.outcome, DownloadOutcome::TransferError);
    EXPECT_NE(job_.detail.find("redirects"), std::string::npos) << job_.detail;

    web_.Set(kUrl, standin::Redirect("file:///etc/passwd"));
    Download(kUrl);
    EXPECT_EQ(job_.outcome, DownloadOutcome::TransferError);
    EXPECT_NE(job_.detail.find("file"), std::string::npos) << job_.detail;
    EXPECT_TRUE(temp_.Contents().empty());
}

TEST_F(DownloadWorkerTest, OnlyAFinal200SavesAFile) {
    standin::Reply unasked = standin::Page("part of it");
    unasked.status = 206;
    standin::Reply nowhere = standin::Status(302);  // a redirect without Location
    for (const auto& [status, reply] :
         std::vector<std::pair<int, standin::Reply>>{{404, standin::Status(404)},
                                                     {500, standin::Status(500)},
                                                     {204, standin::Status(204)},
                                                     {206, unasked},
                                                     {302, nowhere}}) {
        web_.Set(kUrl, reply);
        Download(kUrl);
        EXPECT_EQ(job_.outcome, DownloadOutcome::HttpStatus) << status;
        EXPECT_EQ(job_.detail.substr(0, 3), std::to_string(status)) << status;
        EXPECT_TRUE(temp_.Contents().empty()) << status;
        EXPECT_TRUE(Progress().empty()) << status;
    }
}

TEST_F(DownloadWorkerTest, TheBytesWrittenMustBeTheBytesAnnounced) {
    // A length too large for any number, then 5,000 bytes: libcurl takes the
    // length as unknown, the worker does not.
    testing::RawServer server(
        "HTTP/1.1 200 OK\r\nContent-Length: 9223372036854775808\r\n"
        "Connection: close\r\n\r\n" +
        std::string(5000, 'x'));
    setenv("http_proxy", server.Url().c_str(), 1);
    Download(kUrl);
    EXPECT_EQ(job_.outcome, DownloadOutcome::TransferError);
    EXPECT_FALSE(std::filesystem::exists(job_.path));

    // Short of the length announced: no file under its name, the bytes kept
    // in the .part for a later attempt.
    setenv("http_proxy", web_.ProxyUrl().c_str(), 1);
    web_.Set(kUrl, standin::ClosedMidBody(1000000, 300000));
    Download(kUrl);
    EXPECT_EQ(job_.outcome, DownloadOutcome::TransferError);
    EXPECT_FALSE(std::filesystem::exists(job_.path));
    EXPECT_TRUE(job_.partIsOurs);
    EXPECT_EQ(ReadFile(PartPathOf(job_.path)), standin::GeneratedBody(0, 300000));

    // A length that is no number announces nothing: the body ends where the
    // server closes, as it would without one.
    for (const char* length : {"unknown", ""}) {
        testing::RawServer vague(std::string("HTTP/1.1 200 OK\r\nContent-Length: ") + length +
                                 "\r\nConnection: close\r\n\r\n" + std::string(5000, 'x'));
        setenv("http_proxy", vague.Url().c_str(), 1);
        job_.path = Path(std::string("vague") + length + ".mp3");
        job_.partIsOurs = false;
        Download(kUrl);
        EXPECT_TRUE(job_.succeeded()) << length << ": " << job_.detail;
        EXPECT_TRUE(ReadFile(job_.path) == std::string(5000, 'x')) << length;
    }
}

TEST_F(DownloadWorkerTest, AddressesGoOnTheWireEscapedAsPagesAre) {
    web_.Set("http://files.tistory.com/my%20song%B0%A1.mp3", standin::Page("x"));
    Download("http://files.tistory.com/my song\xB0\xA1.mp3");
    EXPECT_TRUE(job_.succeeded()) << job_.detail;
    EXPECT_EQ(web_.RequestedUrls(),
              std::vector<std::string>{"http://files.tistory.com/my%20song%B0%A1.mp3"});
}

TEST_F(DownloadWorkerTest, AStallAndADripAreGivenUpOn) {
    job_.stallLimit = 2s;
    web_.Set(kUrl, standin::StallAfterHeaders());
    Download(kUrl);
    EXPECT_EQ(job_.outcome, DownloadOutcome::TransferError);
    web_.Set(kUrl, standin::Trickle(std::string(30, 'x'), 1, 1s));
    Download(kUrl);
    EXPECT_EQ(job_.outcome, DownloadOutcome::TransferError);
}

TEST_F(DownloadWorkerTest, AConnectThatNeverCompletesIsBounded) {
    testing::UnansweredPort unanswered;
    setenv("http_proxy", unanswered.Url().c_str(), 1);
    job_.connectTimeout = 1s;
    const auto start = Clock::now();
    Download(kUrl);
    EXPECT_EQ(job_.outcome, DownloadOutcome::TransferError);
    EXPECT_LT(Clock::now() - start, 10s);
}

TEST_F(DownloadWorkerTest, ACallThatFailsAtOnceRaisesNoProgress) {
    Download("not an address");
    EXPECT_FALSE(job_.succeeded());
    web_.Set(kUrl, standin::Page("x"));
    job_.path = (folder_ / "no-such-folder" / "a.mp3").string();
    Download(kUrl);
    EXPECT_EQ(job_.outcome, DownloadOutcome::FileError);
    EXPECT_TRUE(Progress().empty());
    EXPECT_EQ(events_.size(), 2u);
}

TEST_F(DownloadWorkerTest, NeverWritesOverAFile) {
    // Somebody else's .part: the name is taken before a byte is written.
    { std::ofstream(PartPathOf(job_.path)) << "theirs"; }
    web_.Set(kUrl, standin::Page("mine"));
    Download(kUrl);
    EXPECT_EQ(job_.outcome, DownloadOutcome::NameTaken);
    EXPECT_EQ(ReadFile(PartPathOf(job_.path)), "theirs");
    std::filesystem::remove(PartPathOf(job_.path));

    // A file that takes the name while the download runs: the download takes
    // another name when it is whole.
    web_.Set(kUrl, standin::Trickle("mine", 2, 200ms));
    recorder_.onProgress = [this] {
        if (!std::filesystem::exists(Path("song.mp3"))) {
            std::ofstream(Path("song.mp3")) << "theirs";
        }
    };
    Download(kUrl);
    EXPECT_TRUE(job_.succeeded()) << job_.detail;
    EXPECT_EQ(ReadFile(Path("song.mp3")), "theirs");
    EXPECT_NE(job_.path, Path("song.mp3"));
    EXPECT_EQ(ReadFile(job_.path), "mine");
    EXPECT_EQ(temp_.Contents().size(), 2u);
}

TEST_F(DownloadWorkerTest, ResumesWhereThePartEndsWhenTheServerAllows) {
    web_.Set(kUrl, [] {
        standin::Reply cut = standin::ResumableFile(1000000, "\"v1\"");
        cut.closeAfter = 400000;
        return cut;
    }());
    Download(kUrl);
    ASSERT_EQ(job_.outcome, DownloadOutcome::TransferError);
    ASSERT_TRUE(job_.partIsOurs);
    EXPECT_EQ(job_.validator, "\"v1\"");
    EXPECT_EQ(RecallPart(PartPathOf(job_.path))->validator, "\"v1\"");

    web_.ClearRequests();
    events_.clear();
    web_.Set(kUrl, standin::ResumableFile(1000000, "\"v1\""));
    Download(kUrl);
    EXPECT_TRUE(job_.succeeded()) << job_.detail;
    EXPECT_EQ(ReadFile(job_.path), standin::GeneratedBody(0, 1000000));
    EXPECT_FALSE(RecallPart(job_.path));  // whole: nobody's .part any more
    const auto requests = web_.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].Header("Range"), "bytes=400000-");
    EXPECT_EQ(requests[0].Header("If-Range"), "\"v1\"");
    EXPECT_GE(std::get<1>(Progress().front()), 400000u);  // progress counts the file
    EXPECT_EQ(std::get<2>(Progress().front()), 1000000u);
}

TEST_F(DownloadWorkerTest, StartsOverWhenTheFileChangedOrCannotBeResumed) {
    for (const std::string newer : {"\"v2\"", ""}) {
        // A .part of 400,000 bytes of another version of the file.
        { std::ofstream(PartPathOf(job_.path)) << std::string(400000, '?'); }
        job_.partIsOurs = true;
        job_.validator = "\"v1\"";
        standin::Reply reply = standin::LargeBody(700000);
        reply.etag = newer;
        reply.honoursRanges = !newer.empty();  // else a server without ranges
        web_.Set(kUrl, reply);
        job_.path = Path("song.mp3");
        Download(kUrl);
        ASSERT_TRUE(job_.succeeded()) << job_.detail;
        EXPECT_EQ(ReadFile(job_.path), standin::GeneratedBody(0, 700000));
        std::filesystem::remove(job_.path);
    }
    // Without a validator nothing is resumed: the whole file is asked for.
    { std::ofstream(PartPathOf(job_.path)) << "old"; }
    job_.partIsOurs = true;
    job_.validator.clear();
    web_.ClearRequests();
    web_.Set(kUrl, standin::ResumableFile(1000, "\"v1\""));
    Download(kUrl);
    EXPECT_TRUE(job_.succeeded());
    EXPECT_FALSE(web_.Requests()[0].HasHeader("Range"));
    EXPECT_EQ(ReadFile(job_.path), standin::GeneratedBody(0, 1000));
}

TEST_F(DownloadWorkerTest, ARestThatDoesNotFitThePartIsRefusedAndForgotten) {
    // A 206 from the wrong byte, and one of another version: neither may be
    // appended, and the next attempt asks for the whole file.
    const std::vector<std::pair<std::string, std::string>> answers = {
        {"bytes 0-999/1000", "\"v1\""}, {"bytes 400-999/1000", "\"v2\""}};
    for (const auto& [range, etag] : answers) {
        { std::ofstream(PartPathOf(job_.path), std::ios::trunc) << std::string(400, '?'); }
        job_.partIsOurs = true;
        job_.validator = "\"v1\"";
        standin::Reply partial = standin::Page(std::string(600, 'x'));
        partial.status = 206;
        partial.headers.emplace_back("Content-Range", range);
        partial.etag = etag;
        web_.Set(kUrl, partial);
        Download(kUrl);
        EXPECT_EQ(job_.outcome, DownloadOutcome::HttpStatus) << range;
        EXPECT_TRUE(job_.validator.empty()) << range;
        EXPECT_EQ(ReadFile(PartPathOf(job_.path)), std::string(400, '?')) << range;
    }
}

TEST_F(DownloadWorkerTest, APartThatHoldsTheWholeFileIsCompleted) {
    const std::string whole = standin::GeneratedBody(0, 1000);
    { std::ofstream(PartPathOf(job_.path)) << whole; }
    job_.partIsOurs = true;
    job_.validator = "\"v1\"";
    standin::Reply unsatisfiable = standin::Status(416);
    unsatisfiable.headers.emplace_back("Content-Range", "bytes */1000");
    web_.Set(kUrl, unsatisfiable);
    Download(kUrl);
    EXPECT_TRUE(job_.succeeded()) << job_.detail;
    EXPECT_EQ(ReadFile(Path("song.mp3")), whole);
    EXPECT_FALSE(std::filesystem::exists(PartPathOf(Path("song.mp3"))));
}

TEST_F(DownloadWorkerTest, APartInUseByAnotherDownloadIsLeftToIt) {
    { std::ofstream(PartPathOf(job_.path)) << "theirs so far"; }
    const int theirs = OpenPartForWriting(PartPathOf(job_.path), false);
    ASSERT_GE(theirs, 0);
    job_.partIsOurs = true;
    job_.validator = "\"v1\"";
    web_.Set(kUrl, standin::ResumableFile(1000, "\"v1\""));
    Download(kUrl);
    EXPECT_EQ(job_.outcome, DownloadOutcome::NameTaken);
    EXPECT_TRUE(web_.Requests().empty());
    EXPECT_FALSE(RemovePartIfUnused(PartPathOf(job_.path)));
    close(theirs);
    EXPECT_EQ(ReadFile(PartPathOf(job_.path)), "theirs so far");

    // A new file whose .part another download has just created: the name is
    // taken, and that .part stays as it is.
    job_.partIsOurs = false;
    job_.validator.clear();
    job_.path = Path("other.mp3");
    const int creator = OpenPartForWriting(PartPathOf(job_.path), true);
    ASSERT_GE(creator, 0);
    Download(kUrl);
    EXPECT_EQ(job_.outcome, DownloadOutcome::NameTaken);
    EXPECT_EQ(ReadFile(PartPathOf(Path("other.mp3"))), "");
    close(creator);
}

TEST_F(DownloadWorkerTest, AStopEndsEveryWaitPromptly) {
    // During the transfer, before the headers, during the pause, in a
    // connect that never completes.
    web_.Set("http://f.example.com/slow.mp3",
             standin::Trickle(standin::GeneratedBody(0, 100000), 1000, 20ms));
    web_.Set("http://f.example.com/silent.mp3", standin::StallBeforeHeaders());
    auto asked = [this] { return !web_.Requests().empty(); };
    for (const char* url : {"http://f.example.com/slow.mp3", "http://f.example.com/silent.mp3"}) {
        web_.ClearRequests();
        job_.stopFlag = 0;
        EXPECT_LT(StopDuring(url, asked), 1s) << url;
        EXPECT_EQ(job_.outcome, DownloadOutcome::Stopped) << url << ": " << job_.detail;
    }

    job_.stopFlag = 0;
    job_.retryPause = 30s;
    web_.ClearRequests();
    const auto pauseStart = Clock::now();
    EXPECT_LT(StopDuring(kUrl, [&] { return Clock::now() > pauseStart + 200ms; }), 1s);
    EXPECT_TRUE(web_.Requests().empty());
    EXPECT_EQ(job_.outcome, DownloadOutcome::Stopped);
    job_.retryPause = 0ms;

    testing::UnansweredPort unanswered;
    setenv("http_proxy", unanswered.Url().c_str(), 1);
    job_.stopFlag = 0;
    const auto start = Clock::now();
    EXPECT_LT(StopDuring(kUrl, [&] { return Clock::now() > start + 200ms; }), 1s);
    EXPECT_EQ(job_.outcome, DownloadOutcome::Stopped);
}

TEST_F(DownloadWorkerTest, AStopBeforeTheStartAsksNothing) {
    web_.Set(kUrl, standin::LargeBody(1000000));
    job_.stopFlag = 1;
    Download(kUrl);
    EXPECT_EQ(job_.outcome, DownloadOutcome::Stopped);
    EXPECT_EQ(succeededAtEnd_, 0);
    EXPECT_TRUE(Progress().empty());
    EXPECT_TRUE(web_.Requests().empty());
}

TEST_F(DownloadWorkerTest, ARetryPauseIsWaitedOut) {
    web_.Set(kUrl, standin::Page("x"));
    job_.retryPause = 300ms;
    const auto start = Clock::now();
    Download(kUrl);
    EXPECT_GE(web_.Requests()[0].time - start, 300ms);
    EXPECT_TRUE(job_.succeeded());
}

TEST_F(DownloadWorkerTest, TheAnswerCanNameTheFile) {
    standin::Reply reply = standin::Page("x");
    reply.headers.emplace_back("Content-Disposition", "attachment; filename=\"given.mp3\"");
    web_.Set(kUrl, reply);
    std::string seen;
    job_.nameFromAnswer = [&seen](const std::string& disposition) {
        seen = disposition;
        return std::string("from the server.mp3");
    };
    Download(kUrl);
    EXPECT_TRUE(job_.succeeded());
    EXPECT_EQ(seen, "attachment; filename=\"given.mp3\"");
    EXPECT_EQ(job_.path, Path("from the server.mp3"));
    EXPECT_EQ(ReadFile(job_.path), "x");
}

}  // namespace
}  // namespace bramix
