#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <functional>
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
namespace fs = std::filesystem;
using standin::GeneratedBody;

// Every download's address goes on the wire escaped as pages' are: the
// stand-in web answers only at kServed.
constexpr const char* kUrl = "http://f.example.com/a b\xB0\xA1.mp3";
constexpr const char* kServed = "http://f.example.com/a%20b%B0%A1.mp3";

// An answer no server library sends: a length of `length`, then 5,000 bytes.
std::string RawAnswer(const std::string& length) {
    return "HTTP/1.1 200 OK\r\nContent-Length: " + length + "\r\nConnection: close\r\n\r\n" +
           std::string(5000, 'x');
}

class DownloadWorkerTest : public testing::WebTest, public DownloadListener {
protected:
    void SetUp() override {
        WebTest::SetUp();
        job_.listener = this;
        Reset();
    }
    std::string Path(const std::string& name) const { return (temp_.path() / name).string(); }
    std::string Part() const { return PartPathOf(job_.path); }

    void Reset() {
        for (const auto& entry : fs::directory_iterator(temp_.path())) {
            fs::remove_all(entry.path());
        }
        setenv("http_proxy", web_.ProxyUrl().c_str(), 1);
        job_.url = kUrl;
        job_.path = Path("song.mp3");
        job_.stopFlag = 0;
        job_.partIsOurs = false;
        job_.validator.clear();
        job_.retryPause = 0ms;
        web_.ClearRequests();
    }

    void Download() {
        progress_.clear();
        ends_ = 0;
        DownloadThreadProc(&job_);
    }

    // Runs the download on a thread of its own, stops it once the request came
    // (or, when none is `asked`, after 200 ms): how long after the stop it ended.
    Clock::duration StopDuring(bool asked) {
        ends_ = 0;
        std::thread worker([this] { Download(); });
        const auto start = Clock::now();
        const auto ready = [&] {
            return asked ? !web_.Requests().empty() : Clock::now() > start + 200ms;
        };
        while (!ready() && ends_ == 0 && Clock::now() < start + 5s) {
            std::this_thread::sleep_for(10ms);
        }
        const auto stopped = Clock::now();
        EXPECT_TRUE(ready()) << "stopped before the wait it bounds began";
        job_.stopFlag = 1;
        worker.join();
        EXPECT_EQ(job_.outcome, DownloadOutcome::Stopped) << job_.detail;
        return Clock::now() - stopped;
    }

    void OnProgress(uint64_t bytes, uint64_t total) override {
        EXPECT_EQ(ends_, 0) << "progress after the end";
        progress_.emplace_back(bytes, total);
        if (onProgress_) {
            onProgress_();
        }
    }
    void OnEnd(const DownloadJob& job) override {
        succeededAtEnd_ = job.succeeded();
        ++ends_;
    }

    testing::TempFolder temp_;
    DownloadJob job_;
    std::vector<std::pair<uint64_t, uint64_t>> progress_;
    std::atomic<int> ends_{0};
    bool succeededAtEnd_ = false;
    std::function<void()> onProgress_;
};

// A saved file comes with each new byte count and the total; a failure says
// what it was and saves nothing under the name. The bytes of a file cut short
// stay in its .part with their validator, for a later attempt.
TEST_F(DownloadWorkerTest, SavesTheFileOrSaysWhatFailed) {
    standin::Reply unannounced = standin::LargeBody(200000);
    unannounced.announceLength = false;
    web_.Set("http://g.example.com/b.mp3", standin::Page("file"));
    standin::Reply unasked = standin::Page("part of it");
    unasked.status = 206;
    standin::Reply cut = standin::ResumableFile(1000000, "\"v1\"");
    cut.closeAfter = 300000;
    testing::UnansweredPort unanswered;
    // A length that is no number announces nothing: the body ends where the
    // server closes. One too large for any number libcurl takes as unknown;
    // the worker does not.
    testing::RawServer unknown(RawAnswer("unknown")), empty(RawAnswer(""));
    testing::RawServer hostile(RawAnswer("9223372036854775808"));
    const auto serve = [this](standin::Reply reply) {
        return [this, reply] { web_.Set(kServed, reply); };
    };
    const auto proxy = [](std::string url) {
        return [url] { setenv("http_proxy", url.c_str(), 1); };
    };
    const std::string x5000(5000, 'x');
    using enum DownloadOutcome;
    const struct {
        std::function<void()> arrange;
        DownloadOutcome outcome;
        std::string text;    // saved: the file; failed: in the detail
        uint64_t total = 0;  // saved: as reported, 0 when unknown; failed: 1 when bytes came
    } rows[] = {
        // clang-format off
        {serve(standin::LargeBody(3 << 20)), Saved, GeneratedBody(0, 3 << 20), 3 << 20},
        {serve(standin::EmptyPage()), Saved, ""},  // only the end
        {serve(unannounced), Saved, GeneratedBody(0, 200000)},
        {serve(standin::Redirect("http://g.example.com/b.mp3")), Saved, "file", 4},
        {proxy(unknown.Url()), Saved, x5000}, {proxy(empty.Url()), Saved, x5000},
        {serve(standin::Status(404)), HttpStatus, "404"},
        {serve(standin::Status(204)), HttpStatus, "204"},
        {serve(unasked), HttpStatus, "206"},
        {serve(standin::Status(302)), HttpStatus, "302"},  // nowhere to go
        {serve(standin::Redirect(kServed)), TransferError, "redirects"},
        {serve(standin::Redirect("file:///etc/passwd")), TransferError, "file"},
        {[this] { job_.url = "not an address"; }, TransferError, ""},
        {[this] { job_.path = Path("no-such-folder/a.mp3"); }, FileError, "no-such-folder"},
        {serve(standin::Trickle(std::string(30, 'x'), 1, 1s)), TransferError, "", 1},  // a drip
        {proxy(unanswered.Url()), TransferError, ""},  // a connect that never completes
        {proxy(hostile.Url()), TransferError, "", 1},
        {serve(cut), TransferError, "", 1},  // last: its .part is read below
        // clang-format on
    };
    job_.stallLimit = 2s;  // above the drip's pause
    job_.connectTimeout = 1s;
    for (size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE(i);
        const auto& row = rows[i];
        Reset();
        web_.Set(kServed, standin::Page("x"));
        row.arrange();
        const auto start = Clock::now();
        Download();
        EXPECT_LT(Clock::now() - start, 10s);
        EXPECT_EQ(job_.outcome, row.outcome) << job_.detail;
        EXPECT_TRUE(ends_ == 1 && succeededAtEnd_ == job_.succeeded());  // results, then the end
        if (row.outcome != Saved) {
            EXPECT_NE(job_.detail.find(row.text), std::string::npos) << job_.detail;
            EXPECT_FALSE(fs::exists(job_.path));
            EXPECT_EQ(progress_.empty(), row.total == 0);
            continue;
        }
        EXPECT_TRUE(ReadFile(job_.path) == row.text);
        EXPECT_EQ(temp_.Contents(), std::vector<std::string>{"song.mp3"});  // no .part left
        uint64_t last = 0;
        for (const auto& [bytes, total] : progress_) {
            EXPECT_GT(bytes, last);
            EXPECT_EQ(total, row.total);
            last = bytes;
        }
        EXPECT_EQ(last, row.text.size());
    }
    EXPECT_TRUE(job_.partIsOurs);
    EXPECT_TRUE(ReadFile(Part()) == GeneratedBody(0, 300000));
    EXPECT_EQ(RecallPart(Part())->validator, "\"v1\"");
}

TEST_F(DownloadWorkerTest, NeverWritesOverAFile) {
    // A file that takes the name while the download runs: the download takes
    // another name when it is whole. Somebody else's .part is in the next test.
    web_.Set(kServed, standin::Trickle("mine", 2, 200ms));
    onProgress_ = [this] { std::ofstream(Path("song.mp3")) << "theirs"; };
    Download();
    EXPECT_EQ(ReadFile(Path("song.mp3")), "theirs");
    EXPECT_EQ(ReadFile(job_.path), "mine") << job_.detail;
}

// An earlier attempt's .part: the rest is asked for only when its bytes can
// be told the same, and only a rest that fits them is appended.
TEST_F(DownloadWorkerTest, APartIsContinuedOnlyWithTheRestOfItsOwnVersion) {
    standin::Reply changed = standin::LargeBody(700000);
    changed.etag = "\"v2\"";
    changed.honoursRanges = true;
    const auto partial = [](const char* range, const char* etag) {
        standin::Reply reply = standin::Page(std::string(600, 'x'));
        reply.status = 206;
        reply.headers.emplace_back("Content-Range", range);
        reply.etag = etag;
        return reply;
    };
    standin::Reply whole = standin::Status(416);
    whole.headers.emplace_back("Content-Range", "bytes */1000");
    const std::string kept(400, '?');
    const struct {
        const char* what;
        std::string part;
        const char* validator;
        standin::Reply reply;
        const char* range;  // asked for; null: nothing asked
        std::string file;   // saved; empty: the .part stays as it was
        bool ours = true;   // else somebody else's: the name is taken before a byte is written
    } rows[] = {
        {"the rest", GeneratedBody(0, 400000), "\"v1\"", standin::ResumableFile(1000000, "\"v1\""),
         "bytes=400000-", GeneratedBody(0, 1000000)},
        {"another version", kept, "\"v1\"", changed, "bytes=400-", GeneratedBody(0, 700000)},
        {"no validator", kept, "", standin::ResumableFile(1000, "\"v1\""), "",
         GeneratedBody(0, 1000)},
        {"206 from the wrong byte", kept, "\"v1\"", partial("bytes 0-999/1000", "\"v1\""),
         "bytes=400-", ""},
        {"206 of another version", kept, "\"v1\"", partial("bytes 400-999/1000", "\"v2\""),
         "bytes=400-", ""},
        {"the part is whole", GeneratedBody(0, 1000), "\"v1\"", whole, "bytes=1000-",
         GeneratedBody(0, 1000)},
        {"in use by another download", kept, "\"v1\"", standin::Page("x"), nullptr, ""},
        {"somebody else's", "theirs", "", standin::Page("mine"), "", "", false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        Reset();
        { std::ofstream(Part()) << row.part; }
        const int theirs = row.range ? -1 : OpenPartForWriting(Part(), false);
        job_.partIsOurs = row.ours;
        job_.validator = row.validator;
        web_.Set(kServed, row.reply);
        Download();
        if (theirs >= 0) {
            EXPECT_FALSE(RemovePartIfUnused(Part()));
            close(theirs);
        }
        const auto requests = web_.Requests();
        ASSERT_EQ(requests.size(), row.range ? 1u : 0u);
        if (row.range) {
            EXPECT_EQ(requests[0].Header("Range"), row.range);
            EXPECT_EQ(requests[0].Header("If-Range"), *row.range ? row.validator : "");
        }
        if (row.file.empty()) {
            EXPECT_EQ(job_.outcome == DownloadOutcome::NameTaken, !row.range || !row.ours);
            EXPECT_TRUE(ReadFile(Part()) == row.part);
            EXPECT_EQ(job_.validator.empty(), row.range != nullptr);  // the next asks for all
            continue;
        }
        EXPECT_TRUE(job_.succeeded()) << job_.detail;
        EXPECT_TRUE(ReadFile(job_.path) == row.file);
        EXPECT_FALSE(fs::exists(Part()));
        EXPECT_FALSE(RecallPart(job_.path));  // whole: nobody's .part any more
        if (!progress_.empty()) {             // counting the whole file
            EXPECT_EQ(progress_.back(), std::make_pair(row.file.size(), row.file.size()));
        }
    }
}

TEST_F(DownloadWorkerTest, AStopEndsEveryWaitPromptly) {
    // Before the start nothing is asked.
    job_.stopFlag = 1;
    Download();
    EXPECT_EQ(job_.outcome, DownloadOutcome::Stopped);
    EXPECT_TRUE(web_.Requests().empty());

    Reset();
    web_.Set(kServed, standin::Trickle(GeneratedBody(0, 100000), 1000, 20ms));
    EXPECT_LT(StopDuring(true), 1s);  // during the transfer
    Reset();
    web_.Set(kServed, standin::StallBeforeHeaders());
    EXPECT_LT(StopDuring(true), 1s);  // before the headers
    Reset();
    job_.retryPause = 30s;
    EXPECT_LT(StopDuring(false), 1s);  // during the pause
    EXPECT_TRUE(web_.Requests().empty());
    testing::UnansweredPort unanswered;
    Reset();
    setenv("http_proxy", unanswered.Url().c_str(), 1);
    EXPECT_LT(StopDuring(false), 1s);  // in a connect that never completes
}

}  // namespace
}  // namespace bramix
