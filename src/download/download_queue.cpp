#include "download/download_queue.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>

#include "base/byte_size.h"
#include "base/code_page.h"
#include "base/debug_trace.h"
#include "base/tick_count.h"
#include "download/disk_names.h"
#include "download/partial_file.h"

namespace bramix {

namespace {

using Clock = std::chrono::steady_clock;

// The string table's texts, held as code page 949.
const std::string& Waiting() {
    static const std::string text = Utf8ToAnsi("대기 중");
    return text;
}
const std::string& Done() {
    static const std::string text = Utf8ToAnsi("완료");
    return text;
}
const std::string& Failed() {
    static const std::string text = Utf8ToAnsi("실패");
    return text;
}

// "재시도 8초 후 (404)": what happened and when the entry is tried again.
std::string RetryText(std::chrono::milliseconds pause, DownloadOutcome outcome,
                      const std::string& detail) {
    std::string reason;
    switch (outcome) {
        case DownloadOutcome::HttpStatus:
            reason = detail.substr(0, detail.find(' '));  // the status
            break;
        case DownloadOutcome::FileError:
            reason = "파일 오류";
            break;
        default:
            reason = "연결 오류";
            break;
    }
    const long long seconds = (pause.count() + 999) / 1000;
    return Utf8ToAnsi("재시도 " + std::to_string(seconds) + "초 후 (" + reason + ")");
}

}  // namespace

std::chrono::milliseconds RetryPause(int failuresInARow) {
    if (failuresInARow <= 0) {
        return std::chrono::milliseconds(0);
    }
    const int doublings = std::min(failuresInARow - 1, 5);
    return std::min(std::chrono::milliseconds(1000 << doublings), std::chrono::milliseconds(30000));
}

int ProgressPercent(const DownloadEntry& entry) {
    if (entry.state != DL_RUNNING || entry.bytesTotal == 0) {
        return -1;
    }
    return static_cast<int>(std::min<uint64_t>(entry.bytesSoFar * 100 / entry.bytesTotal, 100));
}

std::string ProgressTip(const DownloadEntry& entry) {
    if (entry.state != DL_RUNNING || entry.bytesSoFar == 0) {
        return {};
    }
    static const std::string dot = Utf8ToAnsi(" · ");
    std::string tip = FormatByteSize(entry.bytesSoFar);
    if (entry.bytesTotal > 0) {
        tip += " / " + FormatByteSize(entry.bytesTotal);
    }
    if (const uint64_t speed = entry.rate.BytesPerSecond(); speed > 0) {
        tip += dot + FormatByteSize(speed) + "/s";
    }
    if (const auto left = entry.rate.SecondsLeft(entry.bytesTotal)) {
        tip += dot + Utf8ToAnsi(std::to_string(*left) + "초 남음");
    }
    return tip;
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

int DownloadQueue::Add(std::string fileName, std::string title, std::string fileUrl) {
    DownloadEntry entry;
    entry.fileName = std::move(fileName);
    entry.title = std::move(title);
    entry.fileUrl = std::move(fileUrl);
    return Add(std::move(entry));
}

int DownloadQueue::Add(DownloadEntry entry) {
    entry.state = DL_WAITING;
    entry.statusText = Waiting();
    const int row = static_cast<int>(entries_.size());
    DebugTraceFormat("Queued... %d %s\n", row, entry.fileName.c_str());
    entries_.push_back(std::move(entry));
    queue_.push_back(row);
    // A worker that only waits out a failed entry's pause gives way.
    if (worker_.joinable() && job_->pausing && !stopDownloads_ && !yielding_) {
        yielding_ = true;
        job_->stopFlag = 1;
    }
    return row;
}

void DownloadQueue::RequestStart() {
    Post([this] { StartNextDownload(); });
}

void DownloadQueue::StartNextDownload() {
    if (closing_ || worker_.joinable() || queue_.empty()) {
        return;
    }
    // The first entry that is due, else the one due soonest; it becomes the
    // head while it runs.
    const auto now = Clock::now();
    auto chosen = queue_.begin();
    for (auto it = queue_.begin(); it != queue_.end(); ++it) {
        if (entries_[*it].retryAt <= now) {
            chosen = it;
            break;
        }
        if (entries_[*it].retryAt < entries_[*chosen].retryAt) {
            chosen = it;
        }
    }
    const int row = *chosen;
    queue_.erase(chosen);
    queue_.push_front(row);

    DownloadEntry& entry = entries_[row];
    MakeFolder(folder_);
    if (entry.path.empty() && !entry.diskName.empty()) {
        entry.path = folder_ + "/" + FreeFileName(folder_, entry.diskName, TickCount());
        entry.fileName = Utf8ToAnsi(FileNameOf(entry.path));
    } else if (entry.path.empty()) {
        std::string listName;
        entry.path = FreeDownloadPath(folder_, entry.fileName, TickCount(), listName);
        entry.fileName = listName;
    }
    DebugTraceFormat("Download... %d %s\n", row, entry.path.c_str());

    job_ = std::make_unique<DownloadJob>();
    job_->url = entry.fileUrl;
    job_->path = entry.path;
    job_->partIsOurs = entry.partIsOurs;
    job_->validator = entry.validator;
    job_->nameFromAnswer = entry.nameFromAnswer;
    job_->retryPause =
        std::max(std::chrono::duration_cast<std::chrono::milliseconds>(entry.retryAt - now),
                 std::chrono::milliseconds(0));
    job_->pausing = job_->retryPause.count() > 0;
    jobListener_ = std::make_unique<AttemptListener>(*this, ++attempt_);
    job_->listener = jobListener_.get();
    worker_ = std::thread(DownloadThreadProc, job_.get());

    entry.state = DL_RUNNING;
    entry.bytesSoFar = 0;
    entry.bytesTotal = 0;
    entry.rate.Reset();
    stopEnabled_ = true;
    stopOffersStart_ = false;
    EntryChanged(row);
    ListChanged();
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
    if (closing_ || attempt != attempt_ || queue_.empty() || !worker_.joinable()) {
        return;
    }
    const int row = queue_.front();
    DownloadEntry& entry = entries_[row];
    entry.bytesSoFar = bytes;
    entry.bytesTotal = total;
    entry.rate.Add(Clock::now(), bytes);
    entry.statusText = FormatByteSize(bytes);
    EntryChanged(row);
}

void DownloadQueue::WaitBehindTheOthers(DownloadEntry& entry) {
    const int row = queue_.front();
    queue_.pop_front();
    queue_.push_back(row);
    entry.state = DL_WAITING;
    entry.retryAt = Clock::now() + RetryPause(entry.failuresInARow);
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
    if (closing_ || queue_.empty()) {
        return;
    }
    const int row = queue_.front();
    DownloadEntry& entry = entries_[row];
    const DownloadJob& job = *job_;
    // What the attempt left: where the file went, and its .part.
    entry.path = job.path;
    entry.fileName = Utf8ToAnsi(FileNameOf(job.path));
    entry.partIsOurs = job.partIsOurs;
    entry.validator = job.validator;
    if (entry.partIsOurs) {
        entry.nameFromAnswer = nullptr;  // the name is settled by its .part
    }
    const bool yielded = yielding_ && job.outcome == DownloadOutcome::Stopped;
    yielding_ = false;

    bool finished = false;
    if (job.succeeded()) {
        queue_.pop_front();
        entry.state = DL_DONE;
        entry.statusText = Done();
        entry.failuresInARow = 0;
        struct stat info {};
        if (stat(job.path.c_str(), &info) == 0) {
            entry.sizeText = FormatByteSize(static_cast<uint64_t>(info.st_size));
        }
        ++completed_;
        finished = true;
    } else if (stopDownloads_) {
        entry.state = DL_WAITING;
        entry.statusText = Waiting();
        entry.failuresInARow = 0;  // the user's restart tries at once
        entry.retryAt = {};
    } else if (yielded) {
        // Its retry keeps its time and its text; the new entry goes first.
        const auto retryAt = entry.retryAt;
        WaitBehindTheOthers(entry);
        entry.retryAt = retryAt;
    } else if (job.outcome == DownloadOutcome::NameTaken) {
        // No fault of the file: the next start picks a free name at once.
        entry.state = DL_WAITING;
        entry.statusText = Waiting();
        entry.path.clear();
        entry.partIsOurs = false;
    } else {
        entry.lastError = Describe(job.outcome, job.detail);
        ++entry.failuresInARow;
        if (maxAttempts_ > 0 && entry.failuresInARow >= maxAttempts_) {
            queue_.pop_front();
            entry.state = DL_GIVEN_UP;
            entry.statusText = Failed();
            finished = true;
        } else {
            WaitBehindTheOthers(entry);
            entry.statusText = RetryText(RetryPause(entry.failuresInARow), job.outcome, job.detail);
        }
    }
    removeEnabled_ = true;
    EntryChanged(row);
    if (finished && listener_.entryFinished) {
        listener_.entryFinished(row);
    }

    if (!stopDownloads_) {
        RequestStart();  // the next entry that is due, or this one after its pause
    } else {
        stopDownloads_ = false;
        stopEnabled_ = true;
        stopOffersStart_ = true;
    }
    if (queue_.empty()) {
        stopEnabled_ = false;
        stopOffersStart_ = false;
    }
    ListChanged();
}

void DownloadQueue::StartOrStop() {
    stopEnabled_ = false;
    if (!worker_.joinable()) {
        RequestStart();
    } else {
        stopDownloads_ = true;
        DebugTrace("StopDownload...\n");
        job_->stopFlag = 1;
    }
    ListChanged();
}

void DownloadQueue::RemoveRow(int row) {
    queue_.erase(std::remove(queue_.begin(), queue_.end(), row), queue_.end());
    for (int& queued : queue_) {
        if (queued > row) {
            --queued;
        }
    }
    if (entries_[row].state == DL_DONE) {
        --completed_;
    }
    entries_.erase(entries_.begin() + row);
}

void DownloadQueue::RemoveCompleted() {
    for (int row = static_cast<int>(entries_.size()) - 1; row >= 0; --row) {
        if (entries_[row].state == DL_DONE) {
            RemoveRow(row);
        }
    }
    removeEnabled_ = false;
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
        yielding_ = false;
    }
    DownloadEntry& entry = entries_[row];
    if (entry.state != DL_DONE && entry.partIsOurs) {
        RemovePartIfUnused(PartPathOf(entry.path));
    }
    RemoveRow(row);
    if (running && stopDownloads_) {  // the stop it was asked for is done
        stopDownloads_ = false;
        stopEnabled_ = true;
        stopOffersStart_ = true;
    } else if (running) {
        RequestStart();
    }
    if (queue_.empty()) {
        stopEnabled_ = false;
        stopOffersStart_ = false;
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
    closing_ = true;
    closingForWorker_ = true;
    if (worker_.joinable()) {
        StopAndJoinWorker();
    }
}

void DownloadQueue::DiscardPartialFiles() {
    for (DownloadEntry& entry : entries_) {
        if (entry.state != DL_DONE && entry.partIsOurs) {
            RemovePartIfUnused(PartPathOf(entry.path));
            entry.partIsOurs = false;
        }
    }
}

std::string DownloadQueue::TabCaption() const {
    static const std::string empty = Utf8ToAnsi("  다운로드  ");
    static const std::string counted = Utf8ToAnsi("  다운로드 (%d/%d)  ");
    if (entries_.empty()) {
        return empty;
    }
    char caption[64];
    std::snprintf(caption, sizeof caption, counted.c_str(), completed_,
                  static_cast<int>(entries_.size()));
    return caption;
}

std::string DownloadQueue::StopButtonCaption() const {
    static const std::string start = Utf8ToAnsi("다운로드 시작");
    static const std::string stop = Utf8ToAnsi("다운로드 중지");
    return stopOffersStart_ ? start : stop;
}

}  // namespace bramix
