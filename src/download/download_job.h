#pragma once

// The download worker: fetches one file from an address into a new file on
// disk, on a thread of its own, reporting progress and its end. It knows
// nothing of lists or queues.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

namespace bramix {

inline constexpr int DOWNLOAD_EV_PROGRESS = 101;  // value: bytes so far; data: total or 0
inline constexpr int DOWNLOAD_EV_END = 102;       // data: address of the DownloadJob

// Called on the worker thread, synchronously; the result is ignored. It must
// not wait for the worker thread.
using DownloadEventCallback = std::function<int(int code, uint64_t value, intptr_t data)>;

// Filled by the starter before the thread starts. While the worker runs the
// starter writes only stopFlag (0 -> 1); the worker writes the results before
// its end event, and the starter reads them during or after that event.
struct DownloadJob {
    std::string url;
    std::string path;  // UTF-8; created exclusively, never written over
    DownloadEventCallback callback;
    std::atomic<int> stopFlag{0};

    // Waited out, interruptibly, before the transfer: the pause before a
    // retry, so that a dead link is not hammered.
    std::chrono::milliseconds retryPause{0};
    // A server that sends nothing for this long is given up on.
    std::chrono::seconds stallLimit{30};

    // Results.
    std::atomic<int> succeeded{0};
    bool createdFile = false;  // the worker made the file at `path` (whole or partial)
    bool pathTaken = false;    // something already existed at `path`
    std::string error;         // why it failed, for the trace and the command line
};

// Runs one download. Returns 0 in every case; the end event is always its
// last act, raised exactly once.
int DownloadThreadProc(DownloadJob* job);

}  // namespace bramix
