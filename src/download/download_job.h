#pragma once

// The download worker: fetches one file from an address into the download
// folder, on a thread of its own, reporting progress and its end. It knows
// nothing of lists or queues. The bytes go to PATH.part (download/partial_file.h)
// and the file takes its name only when it is whole, never replacing a file;
// a failed or stopped download leaves its .part for a later attempt to resume.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

#include "base/stop_flag.h"
#include "net/http_request.h"

namespace bramix {

// The events of a download, by their historic names.
enum class DownloadEvent { DOWNLOAD_EV_PROGRESS, DOWNLOAD_EV_END };

// A file server gets longer to answer a connect than a search page does.
inline constexpr std::chrono::seconds kDownloadConnectTimeout{30};

struct DownloadJob;

// Told on the worker thread, synchronously: the worker goes on when a call
// has returned, so a listener must not wait for the worker thread.
class DownloadListener {
public:
    virtual ~DownloadListener() = default;
    // DOWNLOAD_EV_PROGRESS: the bytes in the file so far, and its whole size
    // (0: unknown).
    virtual void OnProgress(uint64_t bytes, uint64_t total) = 0;
    // DOWNLOAD_EV_END: once, last; the job's results are written.
    virtual void OnEnd(const DownloadJob& job) = 0;
};

// How a download ended.
enum class DownloadOutcome {
    Saved,          // the whole file is at `path`
    Stopped,        // the stop flag ended the transfer or the pause before it
    NameTaken,      // something appeared at the .part before the download could make it
    FileError,      // the file could not be made or written
    HttpStatus,     // the server answered with another status than the one asked for
    TransferError,  // no connection, a time-out, a stall, a broken or short transfer
};

// Filled by the starter before the thread starts. While the worker runs the
// starter writes only stopFlag (0 -> 1) and reads `pausing`; the worker writes
// the results before its end event, and the starter reads them during or
// after that event.
struct DownloadJob {
    std::string url;                       // bytes as given; escaped on the wire
    std::string path;                      // UTF-8: the file's name once whole; see nameFromAnswer
    DownloadListener* listener = nullptr;  // outlives the worker
    StopFlag stopFlag{0};

    // Waited out, interruptibly, before the transfer: the pause before a
    // retry, so that a dead link is not hammered.
    std::chrono::milliseconds retryPause{0};
    std::chrono::milliseconds connectTimeout = kDownloadConnectTimeout;
    std::chrono::seconds stallLimit = kStallLimit;

    // The .part at `path` + ".part" was left by an earlier attempt at this
    // same file: the worker may continue it (with `validator`) or start it
    // over. Otherwise the .part is created exclusively.
    bool partIsOurs = false;
    // In: the validator of the .part's bytes (empty: none, so no resume).
    // Out: the validator of this answer.
    std::string validator;

    // When set, the name comes from the answer: called on the worker thread
    // with the final answer's Content-Disposition (maybe empty) before the
    // first byte is written; returns a UTF-8 file name, which takes the place
    // of `path`'s last segment (made free as the queue's names are).
    std::function<std::string(const std::string& contentDisposition)> nameFromAnswer;

    // True while the worker waits out its retry pause: set by the starter
    // with the pause, cleared by the worker when it ends.
    std::atomic<bool> pausing{false};

    // Results, written once by the worker before its end event. `path` holds
    // the name the file took, and partIsOurs tells whether a .part is left.
    DownloadOutcome outcome = DownloadOutcome::Stopped;
    std::string detail;  // the status, libcurl's or the file system's message
    int httpStatus = 0;  // the final answer's status, when one came

    bool succeeded() const { return outcome == DownloadOutcome::Saved; }
};

// "saved", "the server answered 404", "stopped", ... for the trace and the
// command line.
std::string Describe(DownloadOutcome outcome, const std::string& detail);

// Runs one download. The end event is always its last act, raised exactly
// once.
void DownloadThreadProc(DownloadJob* job);

}  // namespace bramix
