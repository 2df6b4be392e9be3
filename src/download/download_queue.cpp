#include "download/download_queue.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include "base/debug_trace.h"
#include "base/tick_count.h"
#include "download/disk_names.h"
#include "download/partial_file.h"

namespace bramix {

namespace {

using Clock = std::chrono::steady_clock;

}  // namespace

std::chrono::milliseconds RetryPause(int failuresInARow) {
    if (failuresInARow <= 0) {
        return std::chrono::milliseconds(0);
    }
    const int doublings = std::min(failuresInARow - 1, 5);
    return std::min(std::chrono::milliseconds(1000 << doublings), std::chrono::milliseconds(30000));
}

int ProgressPercent(const DownloadEntry& entry) {
    if (entry.state != DownloadState::Running || entry.bytesTotal == 0) {
        return -1;
    }
    return static_cast<int>(std::min<uint64_t>(entry.bytesSoFar * 100 / entry.bytesTotal, 100));
}

class DownloadQueue::AttemptListener : public DownloadListener {
public:
    AttemptListener(DownloadQueue& queue, uint64_t attempt) : queue_(queue), attempt_(attempt) {}
    void OnProgress(uint64_t bytes, uint64_t total) override {
        queue_.OnWorkerProgress(attempt_, bytes, total);
    }
    void OnEnd(const DownloadJob&) override { queue_.OnWorkerEnd(attempt_); }

private:
    DownloadQueue& queue_;
    uint64_t attempt_;
};

DownloadQueue::DownloadQueue(std::string folder, Poster post, Listener listener)
    : folder_(std::move(folder)), post_(std::move(post)), listener_(std::move(listener)) {}

DownloadQueue::~DownloadQueue() {
    Close();
}

void DownloadQueue::Post(std::function<void()> work) {
    std::weak_ptr<int> alive = alive_;
    post_([alive, work = std::move(work)] {
        if (!alive.expired()) {
            work();
        }
    });
}

void DownloadQueue::EntryChanged(int row) {
    if (listener_.entryChanged) {
        listener_.entryChanged(row);
    }
}

void DownloadQueue::ListChanged() {
    if (listener_.listChanged) {
        listener_.listChanged();
    }
}

int DownloadQueue::Add(DownloadEntry entry) {
    entry.state = DownloadState::Waiting;
    const int row = static_cast<int>(entries_.size());
    DebugTraceFormat("Queued... %d %s\n", row, entry.fileName.c_str());
    entries_.push_back(std::move(entry));
    queue_.push_back(row);
    // A worker that only waits out a failed entry's pause gives way.
    if (worker_.joinable() && job_->pausing && mode_ == Mode::Running) {
        mode_ = Mode::GivingWay;
        job_->stopFlag = 1;
    }
    return row;
}

void DownloadQueue::RequestStart() {
    Post([this] { StartNextDownload(); });
}

// The first entry that is due, else the one due soonest.
std::deque<int>::iterator DownloadQueue::NextDue() {
    const auto now = Clock::now();
    auto chosen = queue_.begin();
    for (auto it = queue_.begin(); it != queue_.end(); ++it) {
        if (entries_[*it].retryAt <= now) {
            return it;
        }
        if (entries_[*it].retryAt < entries_[*chosen].retryAt) {
            chosen = it;
        }
    }
    return chosen;
}

void DownloadQueue::StartNextDownload() {
    if (mode_ == Mode::Closed || worker_.joinable() || queue_.empty()) {
        return;
    }
    // The entry becomes the head while it runs.
    const auto chosen = NextDue();
    const int row = *chosen;
    queue_.erase(chosen);
    queue_.push_front(row);

    DownloadEntry& entry = entries_[row];
    MakeFolder(folder_);
    if (entry.path.empty()) {
        entry.path = folder_ + "/" + FreeFileName(folder_, entry.diskName, TickCount());
        entry.fileName = FileNameOf(entry.path);
    }
    DebugTraceFormat("Download... %d %s\n", row, entry.path.c_str());
    StartWorker(row, std::max(std::chrono::duration_cast<std::chrono::milliseconds>(entry.retryAt -
                                                                                    Clock::now()),
                              std::chrono::milliseconds(0)));

    entry.state = DownloadState::Running;
    entry.bytesSoFar = 0;
    entry.bytesTotal = 0;
    entry.rate.Reset();
    mode_ = Mode::Running;
    EntryChanged(row);
    ListChanged();
}

void DownloadQueue::StartWorker(int row, std::chrono::milliseconds pause) {
    const DownloadEntry& entry = entries_[row];
    job_ = std::make_unique<DownloadJob>();
    job_->url = entry.requestUrl;
    job_->path = entry.path;
    job_->partIsOurs = entry.partIsOurs;
    job_->validator = entry.validator;
    job_->nameFromAnswer = entry.nameFromAnswer;
    job_->retryPause = pause;
    job_->pausing = pause.count() > 0;
    jobListener_ = std::make_unique<AttemptListener>(*this, ++attempt_);
    job_->listener = jobListener_.get();
    worker_ = std::thread(DownloadThreadProc, job_.get());
}

void DownloadQueue::OnWorkerProgress(uint64_t attempt, uint64_t bytes, uint64_t total) {
    if (closingForWorker_) {
        return;
    }
    // The first report of each download is shown at once, then one per
    // interval: a fast transfer must not flood the owner's thread.
    const uint32_t now = TickCount();
    if (!forceProgress_ && now - lastProgressTick_ < kProgressIntervalMs) {
        return;
    }
    lastProgressTick_ = now;
    forceProgress_ = false;
    Post([this, attempt, bytes, total] { OnProgress(attempt, bytes, total); });
}

void DownloadQueue::OnWorkerEnd(uint64_t attempt) {
    if (closingForWorker_) {
        return;
    }
    forceProgress_ = true;
    Post([this, attempt] { OnEnd(attempt); });
}

void DownloadQueue::OnProgress(uint64_t attempt, uint64_t bytes, uint64_t total) {
    if (mode_ == Mode::Closed || attempt != attempt_ || queue_.empty() || !worker_.joinable()) {
        return;
    }
    const int row = queue_.front();
    DownloadEntry& entry = entries_[row];
    entry.bytesSoFar = bytes;
    entry.bytesTotal = total;
    entry.rate.Add(Clock::now(), bytes);
    EntryChanged(row);
}

void DownloadQueue::OnEnd(uint64_t attempt) {
    if (attempt != attempt_) {
        return;  // an attempt that Remove already ended and joined
    }
    if (worker_.joinable()) {
        DebugTrace("WaitForEndDownload... ");
        worker_.join();
        DebugTrace("(^ㅠ^;;");
        DebugTrace("\n");
    }
    if (mode_ == Mode::Closed || queue_.empty()) {
        return;
    }
    const int row = queue_.front();
    DownloadEntry& entry = entries_[row];
    TakeWhatTheAttemptLeft(entry);
    switch (EndOf(*job_)) {
        case End::Saved:
            Finish(entry, DownloadState::Done);
            break;
        case End::StoppedByUser:
            WaitAgain(entry);
            entry.failuresInARow = 0;  // the user's restart tries at once
            entry.retryAt = {};
            break;
        case End::GaveWay: {
            // Its retry keeps its time and its pause; the new entry goes first.
            const auto retryAt = entry.retryAt;
            WaitBehindTheOthers(entry);
            entry.retryAt = retryAt;
            break;
        }
        case End::NameTaken:
            // No fault of the file: the next start picks a free name at once.
            WaitAgain(entry);
            entry.path.clear();
            entry.partIsOurs = false;
            break;
        case End::Failed:
            RecordFailure(entry);
            break;
    }
    ++endsSinceRemoval_;
    EntryChanged(row);
    if (entry.state == DownloadState::Done || entry.state == DownloadState::GivenUp) {
        if (listener_.entryFinished) {
            listener_.entryFinished(row);
        }
    }
    GoOnAfterTheWorker();
    ListChanged();
}

DownloadQueue::End DownloadQueue::EndOf(const DownloadJob& job) const {
    if (job.succeeded()) {
        return End::Saved;
    }
    if (mode_ == Mode::Stopping) {
        return End::StoppedByUser;
    }
    if (mode_ == Mode::GivingWay && job.outcome == DownloadOutcome::Stopped) {
        return End::GaveWay;
    }
    return job.outcome == DownloadOutcome::NameTaken ? End::NameTaken : End::Failed;
}

// Where the file went, and its .part.
void DownloadQueue::TakeWhatTheAttemptLeft(DownloadEntry& entry) {
    entry.path = job_->path;
    entry.fileName = FileNameOf(job_->path);
    entry.partIsOurs = job_->partIsOurs;
    entry.validator = job_->validator;
    if (entry.partIsOurs) {
        entry.nameFromAnswer = nullptr;  // the name is settled by its .part
    }
}

// Waiting at its place, with no failure to tell.
void DownloadQueue::WaitAgain(DownloadEntry& entry) {
    entry.state = DownloadState::Waiting;
    entry.retryPause = std::chrono::milliseconds(0);
}

void DownloadQueue::Finish(DownloadEntry& entry, DownloadState state) {
    queue_.pop_front();
    entry.state = state;
    if (state != DownloadState::Done) {
        return;
    }
    entry.failuresInARow = 0;
    struct stat info {};
    if (stat(entry.path.c_str(), &info) == 0) {
        entry.savedSize = static_cast<uint64_t>(info.st_size);
    }
}

void DownloadQueue::RecordFailure(DownloadEntry& entry) {
    entry.failure = job_->outcome;
    entry.failureDetail = job_->detail;
    entry.failureStatus = job_->httpStatus;
    ++entry.failuresInARow;
    if (maxAttempts_ > 0 && entry.failuresInARow >= maxAttempts_) {
        Finish(entry, DownloadState::GivenUp);
    } else {
        WaitBehindTheOthers(entry);
        entry.retryPause = retryPauses_(entry.failuresInARow);
    }
}

void DownloadQueue::WaitBehindTheOthers(DownloadEntry& entry) {
    const int row = queue_.front();
    queue_.pop_front();
    queue_.push_back(row);
    entry.state = DownloadState::Waiting;
    entry.retryAt = Clock::now() + retryPauses_(entry.failuresInARow);
}

// After the worker ended or was ended: the user's stop rests the queue;
// anything else goes on with the next entry that is due, or this one after
// its pause.
void DownloadQueue::GoOnAfterTheWorker() {
    if (mode_ == Mode::Closed) {
        return;
    }
    if (mode_ == Mode::Stopping) {
        mode_ = Mode::Resting;
    } else {
        mode_ = Mode::Running;
        RequestStart();
    }
    if (queue_.empty()) {
        mode_ = Mode::Idle;
    }
}

void DownloadQueue::StartOrStop() {
    if (mode_ == Mode::Closed) {
        return;  // a closed queue starts nothing again
    }
    if (!worker_.joinable()) {
        mode_ = Mode::Starting;
        RequestStart();
    } else {
        mode_ = Mode::Stopping;
        DebugTrace("StopDownload...\n");
        job_->stopFlag = 1;
    }
    ListChanged();
}

bool DownloadQueue::CanStartOrStop() const {
    switch (mode_) {
        case Mode::Running:
        case Mode::GivingWay:
        case Mode::Resting:
            return true;
        case Mode::Idle:
        case Mode::Starting:
        case Mode::Stopping:
        case Mode::Closed:
            return false;
    }
    return false;
}

bool DownloadQueue::StopOffersStart() const {
    return mode_ == Mode::Resting || mode_ == Mode::Starting;
}

int DownloadQueue::completed() const {
    return static_cast<int>(std::count_if(entries_.begin(), entries_.end(), [](const auto& entry) {
        return entry.state == DownloadState::Done;
    }));
}

void DownloadQueue::RemoveRow(int row) {
    queue_.erase(std::remove(queue_.begin(), queue_.end(), row), queue_.end());
    for (int& queued : queue_) {
        if (queued > row) {
            --queued;
        }
    }
    entries_.erase(entries_.begin() + row);
}

void DownloadQueue::RemoveCompleted() {
    for (int row = static_cast<int>(entries_.size()) - 1; row >= 0; --row) {
        if (entries_[row].state == DownloadState::Done) {
            RemoveRow(row);
        }
    }
    endsSinceRemoval_ = 0;
    ListChanged();
}

bool DownloadQueue::CanRemove(int row) const {
    return row >= 0 && row < static_cast<int>(entries_.size()) &&
           (row != runningRow() || job_->pausing);
}

bool DownloadQueue::Remove(int row) {
    if (!CanRemove(row)) {
        return false;
    }
    const bool running = row == runningRow();
    if (running) {
        // It only waits out a retry pause, which ends within a poll of the
        // stop; its end event is forgotten.
        StopAndJoinWorker();
        ++attempt_;
    }
    DownloadEntry& entry = entries_[row];
    if (entry.state != DownloadState::Done && entry.partIsOurs) {
        RemovePartIfUnused(PartPathOf(entry.path));
    }
    RemoveRow(row);
    if (running) {
        GoOnAfterTheWorker();
    } else if (queue_.empty() && mode_ != Mode::Closed) {
        mode_ = Mode::Idle;
    }
    ListChanged();
    return true;
}

void DownloadQueue::StopAndJoinWorker() {
    job_->stopFlag = 1;
    worker_.join();
    // Its end is not handled, but what the attempt left on disk counts: the
    // pause may have ended and the transfer begun.
    DownloadEntry& entry = entries_[queue_.front()];
    entry.path = job_->path;
    entry.partIsOurs = job_->partIsOurs;
}

void DownloadQueue::Close() {
    mode_ = Mode::Closed;
    closingForWorker_ = true;
    if (worker_.joinable()) {
        StopAndJoinWorker();
    }
}

void DownloadQueue::DiscardPartialFiles() {
    for (DownloadEntry& entry : entries_) {
        if (entry.state != DownloadState::Done && entry.partIsOurs) {
            RemovePartIfUnused(PartPathOf(entry.path));
            entry.partIsOurs = false;
        }
    }
}

}  // namespace bramix
