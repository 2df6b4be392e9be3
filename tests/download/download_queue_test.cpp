#include "download/download_queue.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "download/download_plan.h"
#include "download/task_loop.h"
#include "support/temp_folder.h"
#include "support/web_test.h"

namespace bramix {
namespace {

using namespace std::chrono_literals;
using testing::Ansi;
using testing::ReadFile;
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

    int Add(const std::string& name, const std::string& url) {
        return queue_->Add(EntryForFind(Ansi(name), "", url));
    }

    bool RunUntilIdle(std::chrono::milliseconds limit = 10s) {
        return loop_.RunUntil([this] { return !queue_->busy(); }, limit);
    }

    const DownloadEntry& Entry(int row) { return queue_->entries().at(row); }

    testing::TempFolder temp_;
    const fs::path& folder_ = temp_.path();
    TaskLoop loop_;
    std::unique_ptr<DownloadQueue> queue_;
    std::vector<int> changes_;
};

TEST_F(DownloadQueueTest, DownloadsTheQueueOneAfterAnother) {
    web_.Set("http://f.example.com/a.mp3", standin::Page("aaa"));
    web_.Set("http://f.example.com/b.mp3", standin::LargeBody(2 * 1024 * 1024));
    EXPECT_EQ(Add("봄노래.mp3", "http://f.example.com/a.mp3"), 0);
    EXPECT_EQ(Add("가을.mp3", "http://f.example.com/b.mp3"), 1);
    EXPECT_EQ(Entry(0).state, DownloadState::Waiting);
    EXPECT_FALSE(queue_->CanStartOrStop());  // until it starts
    queue_->RequestStart();
    ASSERT_TRUE(RunUntilIdle());

    EXPECT_EQ(Entry(0).state, DownloadState::Done);
    EXPECT_EQ(Entry(0).savedSize, 3u);
    EXPECT_EQ(Entry(1).savedSize, 2u * 1024 * 1024);
    EXPECT_EQ(ReadFile(folder_ / "봄노래.mp3"), "aaa");
    EXPECT_EQ(Entry(1).path, (folder_ / "가을.mp3").string());
    EXPECT_EQ(queue_->completed(), 2);
    EXPECT_FALSE(queue_->CanStartOrStop());
    EXPECT_FALSE(queue_->StopOffersStart());
    EXPECT_TRUE(queue_->CanRemoveCompleted());
    // The requests came one at a time, in order.
    EXPECT_EQ(web_.RequestedUrls(), (std::vector<std::string>{"http://f.example.com/a.mp3",
                                                              "http://f.example.com/b.mp3"}));
}

TEST_F(DownloadQueueTest, ATakenNameGetsTheTickCountAndNothingIsOverwritten) {
    { std::ofstream(folder_ / "a.mp3") << "mine"; }
    fs::create_directory(folder_ / "b.mp3");
    fs::create_symlink(folder_ / "nowhere", folder_ / "c.mp3");
    for (const char* name : {"a", "b", "c"}) {
        web_.Set(std::string("http://f.example.com/") + name, standin::Page(name));
        Add(std::string(name) + ".mp3", std::string("http://f.example.com/") + name);
    }
    queue_->RequestStart();
    ASSERT_TRUE(RunUntilIdle());
    EXPECT_EQ(ReadFile(folder_ / "a.mp3"), "mine");
    for (int row = 0; row < 3; ++row) {
        const std::string name = Entry(row).fileName;  // the list shows the new name
        EXPECT_EQ(name[0], "abc"[row]);
        EXPECT_EQ(name[1], '_');
        EXPECT_EQ(name.substr(name.size() - 4), ".mp3");
        EXPECT_EQ(ReadFile(folder_ / name), std::string(1, "abc"[row]));
    }
}

TEST_F(DownloadQueueTest, AFailingEntryIsRetriedWithAGrowingPauseAndSaysSo) {
    web_.Set("http://f.example.com/cut.mp3", standin::ClosedMidBody(1000000, 200000));
    Add("cut.mp3", "http://f.example.com/cut.mp3");
    queue_->RequestStart();
    ASSERT_TRUE(loop_.RunUntil([this] { return Entry(0).failuresInARow == 1; }, 5s));
    EXPECT_EQ(Entry(0).failure, DownloadOutcome::TransferError);
    EXPECT_EQ(Entry(0).retryPause, 1000ms);
    ASSERT_TRUE(loop_.RunUntil([this] { return Entry(0).failuresInARow == 2; }, 5s));
    EXPECT_EQ(Entry(0).retryPause, 2000ms);
    ASSERT_TRUE(loop_.RunUntil([this] { return web_.Requests().size() >= 3; }, 10s));
    const auto requests = web_.Requests();
    EXPECT_GE(requests[1].time - requests[0].time, 1000ms);
    EXPECT_GE(requests[2].time - requests[1].time, 2000ms);
    queue_->StartOrStop();
    ASSERT_TRUE(loop_.RunUntil([this] { return !queue_->downloading(); }, 5s));
    EXPECT_EQ(Entry(0).state, DownloadState::Waiting);
    EXPECT_EQ(Entry(0).retryPause, 0ms);  // waiting for the user, not for a retry
    // Nothing under the file's name; what arrived waits in its .part.
    EXPECT_EQ(temp_.Contents(), std::vector<std::string>{"cut.mp3.part"});
    queue_->DiscardPartialFiles();
    EXPECT_TRUE(temp_.Contents().empty());
}

TEST_F(DownloadQueueTest, ADeadLinkWaitsBehindTheLiveOnes) {
    web_.Set("http://f.example.com/b.mp3", standin::Page("b"));
    web_.Set("http://f.example.com/c.mp3", standin::Page("c"));
    Add("dead.mp3", "http://f.example.com/dead.mp3");
    Add("b.mp3", "http://f.example.com/b.mp3");
    Add("c.mp3", "http://f.example.com/c.mp3");
    queue_->RequestStart();
    ASSERT_TRUE(loop_.RunUntil([this] { return queue_->completed() == 2; }, 5s));
    EXPECT_EQ(web_.RequestedUrls(), (std::vector<std::string>{"http://f.example.com/dead.mp3",
                                                              "http://f.example.com/b.mp3",
                                                              "http://f.example.com/c.mp3"}));
    EXPECT_EQ(Entry(0).retryPause, 1000ms);
    EXPECT_EQ(Entry(0).failure, DownloadOutcome::HttpStatus);
    EXPECT_EQ(Entry(0).failureStatus, 404);
    EXPECT_TRUE(queue_->busy());  // the window retries until the user stops
}

TEST_F(DownloadQueueTest, ANewEntryDoesNotWaitForAFailedOnesPause) {
    Add("dead.mp3", "http://f.example.com/dead.mp3");
    queue_->RequestStart();
    // The second failure: a pause of 2 s follows.
    ASSERT_TRUE(loop_.RunUntil([this] { return Entry(0).failuresInARow == 2; }, 5s));
    ASSERT_TRUE(loop_.RunUntil([this] { return queue_->downloading(); }, 5s));
    web_.Set("http://f.example.com/new.mp3", standin::Page("new"));
    const auto added = std::chrono::steady_clock::now();
    Add("new.mp3", "http://f.example.com/new.mp3");
    ASSERT_TRUE(loop_.RunUntil([this] { return queue_->completed() == 1; }, 5s));
    EXPECT_LT(web_.Requests().back().time - added, 1s);
    EXPECT_EQ(Entry(0).failuresInARow, 2);  // giving way was no failure
    EXPECT_EQ(Entry(0).retryPause, 2000ms);
    EXPECT_EQ(Entry(0).failureStatus, 404);
}

TEST_F(DownloadQueueTest, AStoppedDownloadResumesFromItsPart) {
    standin::Reply slow = standin::ResumableFile(200000, "\"v1\"");
    slow.trickleBytes = 2000;
    slow.tricklePause = 10ms;
    web_.Set("http://f.example.com/slow.mp3", slow);
    Add("slow.mp3", "http://f.example.com/slow.mp3");
    queue_->RequestStart();
    ASSERT_TRUE(loop_.RunUntil([this] { return Entry(0).bytesSoFar > 0; }, 5s));
    queue_->StartOrStop();
    ASSERT_TRUE(loop_.RunUntil([this] { return !queue_->downloading(); }, 5s));
    EXPECT_TRUE(Entry(0).partIsOurs);
    const uintmax_t kept = fs::file_size(folder_ / "slow.mp3.part");
    EXPECT_GT(kept, 0u);

    web_.Set("http://f.example.com/slow.mp3", standin::ResumableFile(200000, "\"v1\""));
    queue_->StartOrStop();
    ASSERT_TRUE(RunUntilIdle());
    EXPECT_EQ(ReadFile(folder_ / "slow.mp3"), standin::GeneratedBody(0, 200000));
    EXPECT_EQ(web_.Requests().back().Header("Range"), "bytes=" + std::to_string(kept) + "-");
    EXPECT_EQ(temp_.Contents(), std::vector<std::string>{"slow.mp3"});
}

TEST_F(DownloadQueueTest, AnEntryThatDoesNotRunCanBeRemovedWithItsPart) {
    web_.Set("http://f.example.com/cut.mp3", standin::ClosedMidBody(100000, 5000));
    web_.Set("http://f.example.com/slow.mp3",
             standin::Trickle(standin::GeneratedBody(0, 100000), 1000, 20ms));
    Add("cut.mp3", "http://f.example.com/cut.mp3");
    Add("slow.mp3", "http://f.example.com/slow.mp3");
    queue_->RequestStart();
    ASSERT_TRUE(loop_.RunUntil([this] { return Entry(1).state == DownloadState::Running; }, 5s));
    EXPECT_FALSE(queue_->Remove(1));  // the running one stays
    EXPECT_TRUE(fs::exists(folder_ / "cut.mp3.part"));
    EXPECT_TRUE(queue_->Remove(0));
    EXPECT_FALSE(fs::exists(folder_ / "cut.mp3.part"));
    ASSERT_EQ(queue_->entries().size(), 1u);
    ASSERT_TRUE(RunUntilIdle());
    EXPECT_EQ(Entry(0).fileName, "slow.mp3");
    EXPECT_EQ(Entry(0).state, DownloadState::Done);
}

TEST_F(DownloadQueueTest, RetryPausesDoubleUpToThirtySeconds) {
    EXPECT_EQ(RetryPause(0), 0ms);
    EXPECT_EQ(RetryPause(1), 1000ms);
    EXPECT_EQ(RetryPause(2), 2000ms);
    EXPECT_EQ(RetryPause(5), 16000ms);
    EXPECT_EQ(RetryPause(6), 30000ms);
    EXPECT_EQ(RetryPause(100), 30000ms);
}

TEST_F(DownloadQueueTest, AStopDuringTheRetryPauseIsImmediateAndRestartTriesAtOnce) {
    web_.Set("http://f.example.com/x.mp3", standin::Status(500));
    Add("x.mp3", "http://f.example.com/x.mp3");
    queue_->RequestStart();
    ASSERT_TRUE(loop_.RunUntil([this] { return Entry(0).failuresInARow >= 1; }, 5s));
    // Now the worker waits out its pause.
    ASSERT_TRUE(loop_.RunUntil([this] { return queue_->downloading(); }, 5s));
    const auto start = std::chrono::steady_clock::now();
    queue_->StartOrStop();
    EXPECT_FALSE(queue_->CanStartOrStop());
    ASSERT_TRUE(loop_.RunUntil([this] { return !queue_->downloading(); }, 5s));
    EXPECT_LT(std::chrono::steady_clock::now() - start, 500ms);
    EXPECT_EQ(Entry(0).state, DownloadState::Waiting);
    EXPECT_TRUE(queue_->CanStartOrStop());
    EXPECT_TRUE(queue_->StopOffersStart());
    EXPECT_EQ(web_.Requests().size(), 1u);

    web_.Set("http://f.example.com/x.mp3", standin::Page("now"));
    queue_->StartOrStop();
    ASSERT_TRUE(RunUntilIdle(3s));
    EXPECT_EQ(Entry(0).state, DownloadState::Done);
    EXPECT_EQ(Entry(0).failuresInARow, 0);
}

TEST_F(DownloadQueueTest, AStoppedDownloadWaitsAndStartsAgainFromTheStart) {
    web_.Set("http://f.example.com/slow.mp3",
             standin::Trickle(standin::GeneratedBody(0, 200000), 2000, 10ms));
    Add("slow.mp3", "http://f.example.com/slow.mp3");
    queue_->RequestStart();
    ASSERT_TRUE(loop_.RunUntil([this] { return Entry(0).bytesSoFar > 0; }, 5s));
    EXPECT_EQ(Entry(0).state, DownloadState::Running);
    EXPECT_TRUE(queue_->CanStartOrStop());
    EXPECT_FALSE(queue_->StopOffersStart());
    queue_->StartOrStop();
    ASSERT_TRUE(loop_.RunUntil([this] { return !queue_->downloading(); }, 5s));
    EXPECT_EQ(Entry(0).state, DownloadState::Waiting);
    EXPECT_EQ(Entry(0).retryPause, 0ms);
    EXPECT_EQ(temp_.Contents(), std::vector<std::string>{"slow.mp3.part"});

    // Without a validator the .part cannot be resumed: it starts over.
    web_.Set("http://f.example.com/slow.mp3", standin::Page("whole"));
    queue_->StartOrStop();
    ASSERT_TRUE(RunUntilIdle());
    EXPECT_EQ(ReadFile(folder_ / "slow.mp3"), "whole");
    EXPECT_EQ(temp_.Contents(), std::vector<std::string>{"slow.mp3"});
}

TEST_F(DownloadQueueTest, RemovingDoneEntriesKeepsTheRunningEntrysReportsOnItsRow) {
    web_.Set("http://f.example.com/a.mp3", standin::Page("a"));
    web_.Set("http://f.example.com/slow.mp3",
             standin::Trickle(standin::GeneratedBody(0, 100000), 2000, 10ms));
    Add("a.mp3", "http://f.example.com/a.mp3");
    Add("slow.mp3", "http://f.example.com/slow.mp3");
    queue_->RequestStart();
    ASSERT_TRUE(loop_.RunUntil([this] { return Entry(1).state == DownloadState::Running; }, 5s));
    queue_->RemoveCompleted();
    ASSERT_EQ(queue_->entries().size(), 1u);
    EXPECT_FALSE(queue_->CanRemoveCompleted());
    ASSERT_TRUE(RunUntilIdle());
    EXPECT_EQ(Entry(0).fileName, "slow.mp3");
    EXPECT_EQ(Entry(0).state, DownloadState::Done);
    EXPECT_EQ(queue_->completed(), 1);
    EXPECT_TRUE(queue_->CanRemoveCompleted());
}

TEST_F(DownloadQueueTest, ProgressReachesTheListAtMostEvery75Milliseconds) {
    web_.Set("http://f.example.com/big.mp3",
             standin::Trickle(standin::GeneratedBody(0, 60000), 600, 5ms));
    Add("big.mp3", "http://f.example.com/big.mp3");
    const auto start = std::chrono::steady_clock::now();
    queue_->RequestStart();
    ASSERT_TRUE(RunUntilIdle());
    const auto elapsed = std::chrono::steady_clock::now() - start;
    // About 100 pieces, but one report per interval, plus the forced first
    // one and the rows' changes at the start and the end.
    EXPECT_GE(changes_.size(), 2u);
    EXPECT_LE(changes_.size(), static_cast<size_t>(elapsed / 75ms) + 4);
    EXPECT_LT(changes_.size(), 60u);
}

TEST_F(DownloadQueueTest, GivesUpAfterTheAttemptsItWasAllowed) {
    queue_->SetMaxAttempts(1);
    web_.Set("http://f.example.com/a.mp3", standin::Page("a"));
    Add("gone.mp3", "http://f.example.com/gone.mp3");
    Add("a.mp3", "http://f.example.com/a.mp3");
    queue_->RequestStart();
    ASSERT_TRUE(RunUntilIdle());
    EXPECT_EQ(Entry(0).state, DownloadState::GivenUp);
    EXPECT_EQ(Describe(Entry(0).failure, Entry(0).failureDetail), "the server answered 404");
    EXPECT_EQ(Entry(1).state, DownloadState::Done);
}

TEST_F(DownloadQueueTest, ClosingStopsTheDownloadAndKeepsItsPartialFileUntilDiscarded) {
    web_.Set("http://f.example.com/slow.mp3",
             standin::Trickle(standin::GeneratedBody(0, 1000000), 2000, 20ms));
    Add("slow.mp3", "http://f.example.com/slow.mp3");
    queue_->RequestStart();
    ASSERT_TRUE(loop_.RunUntil([this] { return Entry(0).bytesSoFar > 0; }, 5s));
    const auto start = std::chrono::steady_clock::now();
    queue_->Close();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
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
    EXPECT_TRUE(temp_.Contents().empty());
}

}  // namespace
}  // namespace bramix
