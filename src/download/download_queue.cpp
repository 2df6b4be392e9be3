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

namespace bramix {

namespace {

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

}  // namespace

std::chrono::milliseconds RetryPause(int failuresInARow) {
    if (failuresInARow <= 0) {
        return std::chrono::milliseconds(0);
    }
    const int doublings = std::min(failuresInARow - 1, 5);
    return std::min(std::chrono::milliseconds(1000 << doublings), std::chrono::milliseconds(30000));
}

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
    entry.statusText = Waiting();
    const int row = static_cast<int>(entries_.size());
    DebugTraceFormat("Queued... %d %s\n", row, entry.fileName.c_str());
    entries_.push_back(std::move(entry));
    queue_.push_back(row);
    return row;
}

void DownloadQueue::RequestStart() {
    Post([this] { StartNextDownload(); });
}

void DownloadQueue::StartNextDownload() {
    if (closing_ || worker_.joinable() || queue_.empty()) {
        return;
    }
    const int row = queue_.front();
    DownloadEntry& entry = entries_[row];
    mkdir(folder_.c_str(), 0755);
    std::string listName;
    const std::string path = FreeDownloadPath(folder_, entry.fileName, TickCount(), listName);
    entry.fileName = listName;
    DebugTraceFormat("Download... %d %s\n", row, path.c_str());

    job_ = std::make_unique<DownloadJob>();
    job_->url = entry.fileUrl;
    job_->path = path;
    job_->retryPause = RetryPause(entry.failuresInARow);
    job_->callback = [this](int code, uint64_t value, intptr_t data) {
        OnWorkerEvent(code, value, data);
        return 0;
    };
    worker_ = std::thread(DownloadThreadProc, job_.get());

    entry.state = DL_RUNNING;
    entry.bytesSoFar = 0;
    entry.bytesTotal = 0;
    stopEnabled_ = true;
    stopOffersStart_ = false;
    EntryChanged(row);
    ListChanged();
}

void DownloadQueue::OnWorkerEvent(int code, uint64_t value, intptr_t data) {
    if (closingForWorker_) {
        return;
    }
    if (code == DOWNLOAD_EV_PROGRESS) {
        // The first report of each download is shown at once, then one per
        // interval: a fast transfer must not flood the owner's thread.
        const uint32_t now = TickCount();
        if (!forceProgress_ && now - lastProgressTick_ < kProgressIntervalMs) {
            return;
        }
        lastProgressTick_ = now;
        forceProgress_ = false;
        Post([this, value, total = static_cast<uint64_t>(data)] { OnProgress(value, total); });
    } else if (code == DOWNLOAD_EV_END) {
        forceProgress_ = true;
        Post([this] { OnEnd(); });
    }
}

void DownloadQueue::OnProgress(uint64_t bytes, uint64_t total) {
    if (closing_ || queue_.empty() || !worker_.joinable()) {
        return;
    }
    const int row = queue_.front();
    DownloadEntry& entry = entries_[row];
    entry.bytesSoFar = bytes;
    entry.bytesTotal = total;
    entry.statusText = FormatByteSize(bytes);
    EntryChanged(row);
}

void DownloadQueue::OnEnd() {
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
    bool finished = false;
    if (job.succeeded()) {
        queue_.pop_front();
        entry.state = DL_DONE;
        entry.statusText = Done();
        entry.savedPath = job.path;
        entry.failuresInARow = 0;
        struct stat info {};
        if (stat(job.path.c_str(), &info) == 0) {
            entry.sizeText = FormatByteSize(static_cast<uint64_t>(info.st_size));
        }
        ++completed_;
        finished = true;
    } else {
        // Only what this download wrote goes; a file that was there stays.
        if (job.createdFile) {
            unlink(job.path.c_str());
        }
        entry.state = DL_WAITING;
        entry.statusText = Waiting();
        entry.lastError = Describe(job.outcome, job.detail);
        if (stopDownloads_) {
            entry.failuresInARow = 0;  // the user's restart tries at once
        } else if (job.outcome != DownloadOutcome::NameTaken) {
            ++entry.failuresInARow;  // a name taken meanwhile is no fault of the file
        }
        if (maxAttempts_ > 0 && entry.failuresInARow >= maxAttempts_) {
            queue_.pop_front();
            entry.state = DL_GIVEN_UP;
            entry.statusText = Failed();
            finished = true;
        }
    }
    removeEnabled_ = true;
    EntryChanged(row);
    if (finished && listener_.entryFinished) {
        listener_.entryFinished(row);
    }

    if (!stopDownloads_) {
        RequestStart();  // after a failure: the same entry again, after its pause
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

void DownloadQueue::ShiftQueueIndexes(int position) {
    for (int& queued : queue_) {
        if (queued >= position) {
            --queued;
        }
    }
}

void DownloadQueue::RemoveCompleted() {
    for (int row = static_cast<int>(entries_.size()) - 1; row >= 0; --row) {
        if (entries_[row].state == DL_DONE) {
            ShiftQueueIndexes(row);
            entries_.erase(entries_.begin() + row);
            --completed_;
        }
    }
    removeEnabled_ = false;
    ListChanged();
}

void DownloadQueue::Close() {
    closing_ = true;
    closingForWorker_ = true;
    if (worker_.joinable()) {
        job_->stopFlag = 1;
        worker_.join();
        // The end event was ignored, but a half-written file is no download.
        if (!job_->succeeded() && job_->createdFile) {
            unlink(job_->path.c_str());
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
