#pragma once

// The download worker: fetches one file from an address into a new file on
// disk, on a thread of its own, reporting progress and its end. It knows
// nothing of lists or queues.

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

#include "base/stop_flag.h"
#include "net/http_request.h"

namespace bramix {

inline constexpr int DOWNLOAD_EV_PROGRESS = 101;  // value: bytes so far; data: total or 0
inline constexpr int DOWNLOAD_EV_END = 102;       // data: address of the DownloadJob

// Called on the worker thread, synchronously; the result is ignored. It must
// not wait for the worker thread.
using DownloadEventCallback = std::function<int(int code, uint64_t value, intptr_t data)>;

// How a download ended.
enum class DownloadOutcome {
    Saved,          // the whole file is at `path`
    Stopped,        // the stop flag ended the transfer or the pause before it
    NameTaken,      // something appeared at `path` before the file could be made
    FileError,      // the file could not be made or written
    HttpStatus,     // the server answered with an error status
    TransferError,  // no connection, a time-out, a stall, a broken transfer
};

// Filled by the starter before the thread starts. While the worker runs the
// starter writes only stopFlag (0 -> 1); the worker writes the results before
// its end event, and the starter reads them during or after that event.
struct DownloadJob {
    std::string url;
    std::string path;  // UTF-8; created exclusively, never written over
    DownloadEventCallback callback;
    StopFlag stopFlag{0};

    // Waited out, interruptibly, before the transfer: the pause before a
    // retry, so that a dead link is not hammered.
    std::chrono::milliseconds retryPause{0};
    std::chrono::seconds stallLimit = kStallLimit;

    // Results, written once by the worker before its end event.
    DownloadOutcome outcome = DownloadOutcome::Stopped;
    std::string detail;        // the status, libcurl's or the file system's message
    bool createdFile = false;  // the worker made the file at `path` (whole or partial)

    bool succeeded() const { return outcome == DownloadOutcome::Saved; }
};

// "saved", "the server answered 404", "stopped", ... for the trace and the
// command line.
std::string Describe(DownloadOutcome outcome, const std::string& detail);

// Runs one download. Returns 0 in every case; the end event is always its
// last act, raised exactly once.
int DownloadThreadProc(DownloadJob* job);

}  // namespace bramix
