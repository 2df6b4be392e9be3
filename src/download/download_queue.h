#pragma once

// The download list and its queue without the widgets: entries with their
// states and texts, one worker at a time, stop and restart, retries that
// never hold up the rest, resumption of partial files, removal of entries,
// and the texts of the tab and the buttons. The window mirrors it row for
// row; the command line drives it too.
//
// Threads: every member is called on the owner's thread. Worker events are
// handed to the owner's thread through the Poster, and all bookkeeping runs
// there.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "download/download_job.h"
#include "download/transfer_rate.h"

namespace bramix {

inline constexpr int DL_WAITING = 1;
inline constexpr int DL_RUNNING = 2;
inline constexpr int DL_DONE = 3;
inline constexpr int DL_GIVEN_UP = 4;  // only with a limit on attempts

// At most one progress report per this interval reaches the list.
inline constexpr uint32_t kProgressIntervalMs = 75;

// The pause before the n-th retry of the same entry: 1 s, doubling, at most
// 30 s.
std::chrono::milliseconds RetryPause(int failuresInARow);

// One row, column by column (code page 949), and what the queue keeps of it.
struct DownloadEntry {
    std::string fileName;  // the name on disk once a download started under it
    std::string sizeText;  // the saved file's size, once done
    std::string title;
    std::string statusText;  // "대기 중", the bytes so far, "재시도 8초 후 (404)", "완료"
    std::string fileUrl;
    int state = DL_WAITING;

    uint64_t bytesSoFar = 0;
    uint64_t bytesTotal = 0;  // 0: unknown
    TransferRate rate;
    int failuresInARow = 0;
    std::string lastError;
    std::chrono::steady_clock::time_point retryAt{};  // not tried again before

    // UTF-8: the name to save under when it was given in UTF-8 (the command
    // line), else fileName's; where the file goes (chosen at its first start,
    // unless given) and, once done, where it is.
    std::string diskName;
    std::string path;
    bool partIsOurs = false;  // path + ".part" holds this entry's bytes so far
    std::string validator;    // of those bytes; empty: they cannot be resumed
    // When set, the server's answer names the file (see DownloadJob).
    std::function<std::string(const std::string& contentDisposition)> nameFromAnswer;
};

// The percent done of a running download of known size, else -1.
int ProgressPercent(const DownloadEntry& entry);

// The whole story of a running download, as much as is known: "3.10 MB /
// 9.79 MB · 1.20 MB/s · 6초 남음" (code page 949); empty for any other entry.
std::string ProgressTip(const DownloadEntry& entry);

class DownloadQueue {
public:
    using Poster = std::function<void(std::function<void()>)>;

    struct Listener {
        std::function<void(int row)> entryChanged;
        std::function<void()> listChanged;           // rows added or removed, buttons, caption
        std::function<void(int row)> entryFinished;  // done or given up
    };

    DownloadQueue(std::string folder, Poster post, Listener listener = {});
    ~DownloadQueue();
    DownloadQueue(const DownloadQueue&) = delete;
    DownloadQueue& operator=(const DownloadQueue&) = delete;

    // Appends an entry and queues it; returns its row. The tab caption keeps
    // its counts until the next start or end. Call RequestStart after.
    int Add(std::string fileName, std::string title, std::string fileUrl);
    // The same for an entry filled by the caller: a given path and .part to
    // resume, or a name from the answer.
    int Add(DownloadEntry entry);

    // Starts the next entry that is due when no download runs (posted, as
    // the window does). An entry that failed waits behind the others and is
    // tried again after its pause.
    void RequestStart();

    // The stop/start button: stops the running download, or starts the queue.
    void StartOrStop();

    // Removes every done entry.
    void RemoveCompleted();
    // Removes one entry and its .part, unless its download is transferring
    // (then false); one that waits out its retry pause is stopped first.
    bool Remove(int row);
    bool CanRemove(int row) const;

    // Closing: the running download is stopped, its events are ignored and
    // the worker is joined. Partial files stay (the command line resumes
    // them); DiscardPartialFiles removes them.
    void Close();
    void DiscardPartialFiles();

    // Tries per entry before it is given up; 0 (the window) retries until the
    // user stops.
    void SetMaxAttempts(int attempts) { maxAttempts_ = attempts; }

    const std::vector<DownloadEntry>& entries() const { return entries_; }
    const std::string& folder() const { return folder_; }
    int completed() const { return completed_; }
    bool downloading() const { return worker_.joinable(); }
    // The row of the running download, or -1.
    int runningRow() const { return downloading() && !queue_.empty() ? queue_.front() : -1; }
    bool hasQueued() const { return !queue_.empty(); }
    // True when closing must ask first: a download runs or waits.
    bool busy() const { return downloading() || hasQueued(); }

    std::string TabCaption() const;
    bool stopButtonEnabled() const { return stopEnabled_; }
    std::string StopButtonCaption() const;
    bool removeButtonEnabled() const { return removeEnabled_; }

private:
    void StartNextDownload();
    // The worker's events, tagged with the attempt they belong to: one that
    // Remove ended is forgotten.
    class AttemptListener;
    void OnWorkerProgress(uint64_t attempt, uint64_t bytes, uint64_t total);  // worker
    void OnWorkerEnd(uint64_t attempt);                                       // worker
    void OnProgress(uint64_t attempt, uint64_t bytes, uint64_t total);
    void OnEnd(uint64_t attempt);
    void WaitBehindTheOthers(DownloadEntry& entry);
    void StopAndJoinWorker();
    void RemoveRow(int row);
    void Post(std::function<void()> work);
    void EntryChanged(int row);
    void ListChanged();

    std::string folder_;
    Poster post_;
    Listener listener_;
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);  // posted work checks it

    std::vector<DownloadEntry> entries_;
    std::deque<int> queue_;  // rows still to fetch; the head runs or runs next
    int completed_ = 0;
    int maxAttempts_ = 0;
    bool stopDownloads_ = false;
    bool yielding_ = false;  // the worker in its pause was stopped for a new entry
    bool closing_ = false;
    std::atomic<bool> closingForWorker_{false};
    bool stopEnabled_ = false;
    bool stopOffersStart_ = false;
    bool removeEnabled_ = false;

    std::unique_ptr<DownloadJob> job_;
    std::unique_ptr<AttemptListener> jobListener_;
    std::thread worker_;
    uint64_t attempt_ = 0;  // of the latest worker started
    std::atomic<bool> forceProgress_{true};
    std::atomic<uint32_t> lastProgressTick_{0};
};

}  // namespace bramix
