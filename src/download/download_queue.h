#pragma once

// The download list and its queue without the widgets: entries with their
// states and numbers, one worker at a time, stop and restart, retries that
// never hold up the rest, resumption of partial files, removal of entries,
// and what the buttons may do. The window mirrors it row for row and makes
// its texts (ui/download_texts.h); the command line drives it too. All its
// text is UTF-8.
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
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "download/download_job.h"
#include "download/transfer_rate.h"

namespace bramix {

enum class DownloadState {
    Waiting,
    Running,
    Done,
    GivenUp,  // only with a limit on attempts
};

// At most one progress report per this interval reaches the list.
inline constexpr uint32_t kProgressIntervalMs = 75;

// The pause before the n-th retry of the same entry: 1 s, doubling, at most
// 30 s.
std::chrono::milliseconds RetryPause(int failuresInARow);

// One row and what the queue keeps of it (download/download_plan.h makes
// them).
struct DownloadEntry {
    // As the list shows it: the find's name, then the name on disk once a
    // download started under it.
    std::string fileName;
    std::string title;
    std::string fileUrl;     // as the find or the user gave it
    std::string requestUrl;  // the bytes the worker asks for
    DownloadState state = DownloadState::Waiting;

    uint64_t bytesSoFar = 0;  // of the running attempt; 0 until it reports
    uint64_t bytesTotal = 0;  // 0: unknown
    TransferRate rate;
    std::optional<uint64_t> savedSize;  // of the file, once done

    int failuresInARow = 0;
    // The pause after the latest failure, while the entry still means to
    // try again after it; 0 when no failure is pending.
    std::chrono::milliseconds retryPause{0};
    std::chrono::steady_clock::time_point retryAt{};  // not tried again before
    // How the latest failure ended (as DownloadJob tells it).
    DownloadOutcome failure = DownloadOutcome::Stopped;
    std::string failureDetail;
    int failureStatus = 0;  // the HTTP status of a failure by status

    // The name to save under; where the file goes (chosen at its first
    // start, unless given) and, once done, where it is.
    std::string diskName;
    std::string path;
    bool partIsOurs = false;  // path + ".part" holds this entry's bytes so far
    std::string validator;    // of those bytes; empty: they cannot be resumed
    // When set, the server's answer names the file (see DownloadJob).
    std::function<std::string(const std::string& contentDisposition)> nameFromAnswer;
};

// The percent done of a running download of known size, else -1.
int ProgressPercent(const DownloadEntry& entry);

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

    // Appends an entry and queues it; returns its row. Call RequestStart
    // after.
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
    // The pause after the n-th failure in a row (RetryPause unless set), so
    // that a test need not wait out seconds.
    void SetRetryPauses(std::function<std::chrono::milliseconds(int failuresInARow)> pauses) {
        retryPauses_ = std::move(pauses);
    }

    const std::vector<DownloadEntry>& entries() const { return entries_; }
    const std::string& folder() const { return folder_; }
    // The entries that are done.
    int completed() const;
    bool downloading() const { return worker_.joinable(); }
    // The row of the running download, or -1.
    int runningRow() const { return downloading() && !queue_.empty() ? queue_.front() : -1; }
    bool hasQueued() const { return !queue_.empty(); }
    // True when closing must ask first: a download runs or waits.
    bool busy() const { return downloading() || hasQueued(); }

    // The stop/start button: whether it does anything now, and whether it
    // starts (else stops).
    bool CanStartOrStop() const;
    bool StopOffersStart() const;
    // The button that removes done entries: it wakes with any end.
    bool CanRemoveCompleted() const { return endsSinceRemoval_ > 0; }

private:
    // What the queue is doing; it decides what the worker's end does and
    // what the stop/start button offers.
    enum class Mode {
        Idle,       // nothing asked to run since the queue was last empty
        Starting,   // the user asked for a start, which is posted
        Running,    // a worker runs, or the next start is posted
        GivingWay,  // the worker in its retry pause was stopped for a new entry
        Stopping,   // the user asked the worker to stop
        Resting,    // the user's stop is done; the queue waits for a start
        Closed,
    };
    // How an attempt ended, as the queue takes it.
    enum class End { Saved, StoppedByUser, GaveWay, NameTaken, Failed };

    void StartNextDownload();
    std::deque<int>::iterator NextDue();
    void StartWorker(int row, std::chrono::milliseconds pause);
    // The worker's events, tagged with the attempt they belong to: one that
    // Remove ended is forgotten.
    class AttemptListener;
    void OnWorkerProgress(uint64_t attempt, uint64_t bytes, uint64_t total);  // worker
    void OnWorkerEnd(uint64_t attempt);                                       // worker
    void OnProgress(uint64_t attempt, uint64_t bytes, uint64_t total);
    void OnEnd(uint64_t attempt);
    End EndOf(const DownloadJob& job) const;
    void TakeWhatTheAttemptLeft(DownloadEntry& entry);
    void WaitAgain(DownloadEntry& entry);
    void Finish(DownloadEntry& entry, DownloadState state);
    void RecordFailure(DownloadEntry& entry);
    void WaitBehindTheOthers(DownloadEntry& entry);
    void GoOnAfterTheWorker();
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
    int maxAttempts_ = 0;
    std::function<std::chrono::milliseconds(int)> retryPauses_ = RetryPause;
    int endsSinceRemoval_ = 0;  // attempts ended since done entries were last removed
    Mode mode_ = Mode::Idle;
    std::atomic<bool> closingForWorker_{false};  // Closed, for the worker thread

    std::unique_ptr<DownloadJob> job_;
    std::unique_ptr<AttemptListener> jobListener_;
    std::thread worker_;
    uint64_t attempt_ = 0;  // of the latest worker started
    std::atomic<bool> forceProgress_{true};
    std::atomic<uint32_t> lastProgressTick_{0};
};

}  // namespace bramix
