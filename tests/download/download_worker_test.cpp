#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <mutex>

#include "download/download_job.h"
#include "support/temp_folder.h"
#include "support/web_test.h"

namespace bramix {
namespace {

using testing::ReadFile;

using namespace std::chrono_literals;

class DownloadWorkerTest : public testing::WebTest {
protected:
    void SetUp() override {
        WebTest::SetUp();
        job_.path = (folder_ / "song.mp3").string();
        job_.callback = [this](int code, uint64_t value, intptr_t data) {
            std::lock_guard lock(mutex_);
            events_.push_back({code, value, data});
            if (code == DOWNLOAD_EV_END) {
                succeededAtEnd_ = reinterpret_cast<DownloadJob*>(data)->succeeded() ? 1 : 0;
            }
            return 0;
        };
    }
    void Download(const std::string& url) {
        job_.url = url;
        DownloadThreadProc(&job_);
    }

    std::vector<std::tuple<int, uint64_t, intptr_t>> Progress() const {
        std::vector<std::tuple<int, uint64_t, intptr_t>> progress;
        for (const auto& event : events_) {
            if (std::get<0>(event) == DOWNLOAD_EV_PROGRESS) {
                progress.push_back(event);
            }
        }
        return progress;
    }

    testing::TempFolder temp_;
    const std::filesystem::path& folder_ = temp_.path();
    DownloadJob job_;
    std::mutex mutex_;
    std::vector<std::tuple<int, uint64_t, intptr_t>> events_;
    int succeededAtEnd_ = -1;
};

TEST_F(DownloadWorkerTest, WritesTheFileAndReportsProgressThenTheEnd) {
    web_.Set("http://f.example.com/a.mp3", standin::LargeBody(3 * 1024 * 1024));
    Download("http://f.example.com/a.mp3");
    EXPECT_TRUE(job_.succeeded());
    EXPECT_EQ(succeededAtEnd_, 1);  // written before the end event
    EXPECT_TRUE(job_.createdFile);
    EXPECT_EQ(ReadFile(job_.path), standin::GeneratedBody(0, 3 * 1024 * 1024));
    ASSERT_FALSE(events_.empty());
    EXPECT_EQ(std::get<0>(events_.back()), DOWNLOAD_EV_END);
    EXPECT_EQ(std::get<2>(events_.back()), reinterpret_cast<intptr_t>(&job_));
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
    web_.Set("http://f.example.com/empty.mp3", standin::EmptyPage());
    Download("http://f.example.com/empty.mp3");
    EXPECT_TRUE(job_.succeeded());
    EXPECT_TRUE(Progress().empty());
    EXPECT_EQ(events_.size(), 1u);
    EXPECT_TRUE(std::filesystem::exists(job_.path));
}

TEST_F(DownloadWorkerTest, AnUnknownTotalIsPassedAsZero) {
    standin::Reply reply = standin::LargeBody(200000);
    reply.announceLength = false;
    web_.Set("http://f.example.com/chunked.mp3", reply);
    Download("http://f.example.com/chunked.mp3");
    EXPECT_TRUE(job_.succeeded());
    ASSERT_FALSE(Progress().empty());
    for (const auto& event : Progress()) {
        EXPECT_EQ(std::get<2>(event), 0);
    }
}

TEST_F(DownloadWorkerTest, ARedirectIsFollowedToAnotherHost) {
    web_.Set("http://f.example.com/moved.mp3", standin::Redirect("http://g.example.com/here.mp3"));
    web_.Set("http://g.example.com/here.mp3", standin::Page("the file"));
    Download("http://f.example.com/moved.mp3");
    EXPECT_TRUE(job_.succeeded());
    EXPECT_EQ(ReadFile(job_.path), "the file");
}

TEST_F(DownloadWorkerTest, ErrorStatusesFailWithoutMakingAFile) {
    for (const int status : {404, 500}) {
        web_.Set("http://f.example.com/bad.mp3", standin::Status(status));
        Download("http://f.example.com/bad.mp3");
        EXPECT_FALSE(job_.succeeded()) << status;
        EXPECT_FALSE(job_.createdFile) << status;
        EXPECT_FALSE(std::filesystem::exists(job_.path)) << status;
        EXPECT_EQ(job_.outcome, DownloadOutcome::HttpStatus) << status;
        EXPECT_EQ(job_.detail, std::to_string(status));
    }
}

TEST_F(DownloadWorkerTest, AConnectionClosedMidBodyFails) {
    web_.Set("http://f.example.com/cut.mp3", standin::ClosedMidBody(1000000, 300000));
    Download("http://f.example.com/cut.mp3");
    EXPECT_FALSE(job_.succeeded());
    EXPECT_TRUE(job_.createdFile);  // partly written: the queue removes it
}

TEST_F(DownloadWorkerTest, AStallIsGivenUpOn) {
    web_.Set("http://f.example.com/stall.mp3", standin::StallAfterHeaders());
    job_.stallLimit = 1s;
    Download("http://f.example.com/stall.mp3");
    EXPECT_FALSE(job_.succeeded());
}

TEST_F(DownloadWorkerTest, ACallThatFailsAtOnceRaisesNoProgress) {
    Download("not an address");
    EXPECT_FALSE(job_.succeeded());
    web_.Set("http://f.example.com/a.mp3", standin::Page("x"));
    job_.path = (folder_ / "no-such-folder" / "a.mp3").string();
    Download("http://f.example.com/a.mp3");
    EXPECT_FALSE(job_.succeeded());
    EXPECT_TRUE(Progress().empty());
    EXPECT_EQ(events_.size(), 2u);
}

TEST_F(DownloadWorkerTest, NeverWritesOverAnExistingFile) {
    { std::ofstream(job_.path) << "mine"; }
    web_.Set("http://f.example.com/a.mp3", standin::Page("theirs"));
    Download("http://f.example.com/a.mp3");
    EXPECT_FALSE(job_.succeeded());
    EXPECT_EQ(job_.outcome, DownloadOutcome::NameTaken);
    EXPECT_FALSE(job_.createdFile);
    EXPECT_EQ(ReadFile(job_.path), "mine");
}

TEST_F(DownloadWorkerTest, AStopBeforeTheFirstNotificationEndsWithFailure) {
    web_.Set("http://f.example.com/a.mp3", standin::LargeBody(1000000));
    job_.stopFlag = 1;
    Download("http://f.example.com/a.mp3");
    EXPECT_FALSE(job_.succeeded());
    EXPECT_EQ(succeededAtEnd_, 0);
    EXPECT_TRUE(Progress().empty());
}

TEST_F(DownloadWorkerTest, AStopDuringATransferAbandonsIt) {
    web_.Set("http://f.example.com/slow.mp3",
             standin::Trickle(standin::GeneratedBody(0, 100000), 1000, 20ms));
    job_.callback = [this](int code, uint64_t, intptr_t) {
        if (code == DOWNLOAD_EV_PROGRESS) {
            job_.stopFlag = 1;
        }
        return 0;
    };
    const auto start = std::chrono::steady_clock::now();
    Download("http://f.example.com/slow.mp3");
    EXPECT_FALSE(job_.succeeded());
    EXPECT_LT(std::chrono::steady_clock::now() - start, 1500ms);  // not the 2 s trickle
}

TEST_F(DownloadWorkerTest, ARetryPauseIsWaitedOutAndAStopEndsItAtOnce) {
    web_.Set("http://f.example.com/a.mp3", standin::Page("x"));
    job_.retryPause = 300ms;
    auto start = std::chrono::steady_clock::now();
    Download("http://f.example.com/a.mp3");
    EXPECT_GE(std::chrono::steady_clock::now() - start, 300ms);
    EXPECT_TRUE(job_.succeeded());

    DownloadJob paused;
    paused.url = "http://f.example.com/a.mp3";
    paused.path = (folder_ / "b.mp3").string();
    paused.retryPause = 30s;
    std::thread worker(DownloadThreadProc, &paused);
    start = std::chrono::steady_clock::now();
    paused.stopFlag = 1;
    worker.join();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 1s);
    EXPECT_EQ(paused.outcome, DownloadOutcome::Stopped);
    EXPECT_EQ(web_.Requests().size(), 1u);  // the stopped one asked nothing
}

}  // namespace
}  // namespace bramix
