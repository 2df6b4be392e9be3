#include "download/download_queue.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "download/download_plan.h"
#include "download/task_loop.h"
#include "support/temp_folder.h"
#include "support/web_test.h"

namespace bramix {
namespace {

using namespace std::chrono_literals;
using testing::ReadFile;
using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

class DownloadQueueTest : public testing::WebTest {
protected:
    void SetUp() override {
        WebTest::SetUp();
        DownloadQueue::Listener listener;
        listener.entryChanged = [this](int row) { changes_.push_back(row); };
        queue_ = std::make_unique<DownloadQueue>(
            folder_.string(), [this](std::function<void()> task) { loop_.Post(std::move(task)); },
            listener);
    }
    void TearDown() override {
        queue_.reset();
        WebTest::TearDown();
    }
    int Add(const std::string& name, const standin::Reply& reply) {
        const std::string ansi = testing::Ansi(name);
        DownloadEntry entry = EntryForFind(ansi, "", "http://f.example.com/" + ansi);
        web_.Set(entry.requestUrl, reply);
        return queue_->Add(std::move(entry));
    }
    bool RunUntil(const std::function<bool()>& done) { return loop_.RunUntil(done, 5s); }
    bool RunUntilIdle() {
        return loop_.RunUntil([this] { return !queue_->busy(); }, 10s);
    }
    const DownloadEntry& Entry(int row) { return queue_->entries().at(row); }

    testing::TempFolder temp_;
    const fs::path& folder_ = temp_.path();
    TaskLoop loop_;
    std::unique_ptr<DownloadQueue> queue_;
    std::vector<int> changes_;
};

// A failed entry waits a growing pause and gives way meanwhile: a new entry is
// fetched at once, and giving way is no failure. Only a transfer holds its
// row; a removed one takes its .part along.
TEST_F(DownloadQueueTest, AFailedEntryIsRetriedAfterAGrowingPauseAndRemovalsLeaveTheRunningOne) {
    queue_->SetRetryPauses([](int failures) { return failures == 1 ? 100ms : 30000ms; });
    Add("cut.mp3", standin::ClosedMidBody(1000000, 200000));
    queue_->RequestStart();
    ASSERT_TRUE(RunUntil([this] { return Entry(0).failuresInARow == 2 && queue_->downloading(); }));
    const auto requests = web_.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_GE(requests[1].time - requests[0].time, 100ms);
    const auto added = Clock::now();
    Add("a.mp3", standin::Page("a"));
    Add("slow.mp3", standin::Trickle(standin::GeneratedBody(0, 100000), 2000, 10ms));
    ASSERT_TRUE(RunUntil([this] { return Entry(2).state == DownloadState::Running; }));
    EXPECT_LT(web_.Requests()[2].time - added, 1s);
    EXPECT_EQ(Entry(0).failuresInARow, 2);
    EXPECT_EQ(Entry(0).retryPause, 30000ms);
    EXPECT_FALSE(queue_->Remove(2));
    EXPECT_TRUE(fs::exists(folder_ / "cut.mp3.part"));
    EXPECT_TRUE(queue_->Remove(0));
    EXPECT_FALSE(fs::exists(folder_ / "cut.mp3.part"));
    ASSERT_TRUE(RunUntilIdle());
    EXPECT_EQ(Entry(1).fileName, "slow.mp3");
    EXPECT_EQ(Entry(1).state, DownloadState::Done);
}

// The rest comes in about 100 pieces: the list hears of them at most every
// 75 ms, plus the forced first report and the row's start and end.
TEST_F(DownloadQueueTest, AStoppedDownloadResumesFromItsPartReportingAtMostEvery75Ms) {
    standin::Reply slow = standin::ResumableFile(200000, "\"v1\"");
    slow.trickleBytes = 2000;
    slow.tricklePause = 10ms;
    Add("slow.mp3", slow);
    EXPECT_FALSE(queue_->CanStartOrStop());  // until it starts
    queue_->RequestStart();
    ASSERT_TRUE(RunUntil([this] { return Entry(0).bytesSoFar > 0; }));
    EXPECT_FALSE(queue_->StopOffersStart());
    queue_->StartOrStop();
    ASSERT_TRUE(RunUntil([this] { return !queue_->downloading(); }));
    EXPECT_EQ(Entry(0).state, DownloadState::Waiting);
    const uintmax_t kept = fs::file_size(folder_ / "slow.mp3.part");

    changes_.clear();
    const auto start = Clock::now();
    queue_->StartOrStop();
    ASSERT_TRUE(RunUntilIdle());
    EXPECT_LE(changes_.size(), static_cast<size_t>((Clock::now() - start) / 75ms) + 4);
    EXPECT_LT(changes_.size(), 60u);
    EXPECT_EQ(ReadFile(folder_ / "slow.mp3"), standin::GeneratedBody(0, 200000));
    EXPECT_EQ(web_.Requests().back().Header("Range"), "bytes=" + std::to_string(kept) + "-");
    EXPECT_EQ(temp_.Contents(), std::vector<std::string>{"slow.mp3"});
    EXPECT_EQ(Entry(0).savedSize, 200000u);
}

TEST_F(DownloadQueueTest, AStopDuringTheRetryPauseIsImmediateAndRestartTriesAtOnce) {
    queue_->SetRetryPauses([](int) { return 30000ms; });
    Add("x.mp3", standin::Status(500));
    queue_->RequestStart();
    ASSERT_TRUE(RunUntil([this] { return Entry(0).failuresInARow == 1 && queue_->downloading(); }));
    const auto start = Clock::now();
    queue_->StartOrStop();
    EXPECT_FALSE(queue_->CanStartOrStop());
    ASSERT_TRUE(RunUntil([this] { return !queue_->downloading(); }));
    EXPECT_LT(Clock::now() - start, 500ms);
    EXPECT_EQ(Entry(0).retryPause, 0ms);  // waiting for the user, not for a retry
    EXPECT_TRUE(queue_->CanStartOrStop());
    EXPECT_EQ(web_.Requests().size(), 1u);

    web_.Set("http://f.example.com/x.mp3", standin::Page("now"));
    queue_->StartOrStop();
    ASSERT_TRUE(RunUntilIdle());
    EXPECT_EQ(Entry(0).state, DownloadState::Done);
}

TEST_F(DownloadQueueTest, ClosingStopsTheDownloadAndKeepsItsPartialFileUntilDiscarded) {
    Add("slow.mp3", standin::Trickle(standin::GeneratedBody(0, 1000000), 2000, 10ms));
    queue_->RequestStart();
    ASSERT_TRUE(RunUntil([this] { return Entry(0).bytesSoFar > 0; }));
    const auto start = Clock::now();
    queue_->Close();
    EXPECT_LT(Clock::now() - start, 2s);
    EXPECT_FALSE(queue_->downloading());
    loop_.RunFor(0ms);  // the ignored end event changes nothing
    EXPECT_EQ(Entry(0).state, DownloadState::Running);
    EXPECT_EQ(temp_.Contents(), std::vector<std::string>{"slow.mp3.part"});
    queue_->DiscardPartialFiles();
    EXPECT_TRUE(temp_.Contents().empty());
    // A click that reaches the closed queue starts nothing again.
    queue_->StartOrStop();
    loop_.RunFor(50ms);
    EXPECT_FALSE(queue_->downloading());
}

}  // namespace
}  // namespace bramix
