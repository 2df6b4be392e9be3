#pragma once

// One libcurl multi handle and the loop step that every transfer on it shares.
// A transfer given a driver runs on its handle beside the others, so that
// whatever waits on one of them (a page fetch, a pause) moves all of them on.
// Used on one thread.

#include <curl/curl.h>

#include <chrono>
#include <functional>

#include "net/curl_handles.h"

namespace bramix {

// How long any wait on a driver goes without looking at its stop flag: well
// inside the half second a stop may take.
inline constexpr std::chrono::milliseconds kStopPollInterval{100};

class CurlDriver {
public:
    // Null when libcurl cannot make one; made on first use, on the thread
    // that drives it.
    CURLM* multi();

    // Lets libcurl work on every transfer of the handle, ends each transfer
    // that finished, then calls the watcher. False when libcurl failed.
    bool Perform();

    // Waits for network activity on any transfer, at most `limit`.
    void Poll(std::chrono::milliseconds limit);

    // Called after every Perform: it looks after the transfers that nobody
    // drives, such as header probes.
    void SetWatcher(std::function<void()> watcher) { watcher_ = std::move(watcher); }

private:
    void TakeFinishedTransfers();

    CurlMulti multi_;
    std::function<void()> watcher_;
};

}  // namespace bramix
