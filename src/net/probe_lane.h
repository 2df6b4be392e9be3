#pragma once

// Header probes that run beside the page fetches on one CurlDriver, several
// at once: at most kProbesInFlight, and at most kProbesPerServer to one
// server (the host of the file's address: through a proxy libcurl's own limits
// would see the proxy alone). The others wait their turn in the order they
// came. Used on the driver's thread.

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "net/curl_driver.h"
#include "net/page_fetcher.h"
#include "net/web_client.h"

namespace bramix {

inline constexpr size_t kProbesInFlight = 8;
inline constexpr size_t kProbesPerServer = 2;
// Beyond this many waiting, whoever starts probes waits for some to end: a
// page that names thousands of files neither holds them all at once nor
// makes each start look through all of them.
inline constexpr size_t kProbesWaitingAtMost = 64;

class ProbeLane {
public:
    // Watches `driver`, which must outlive the lane.
    explicit ProbeLane(CurlDriver& driver);
    ~ProbeLane();
    ProbeLane(const ProbeLane&) = delete;
    ProbeLane& operator=(const ProbeLane&) = delete;

    // Queues the probe and starts what may start.
    void Start(const std::string& url, const StopFlag& stop, WebClient::ProbeDone done);

    // No probe is running or waiting.
    bool Idle() const { return running_.empty() && waiting_.empty(); }
    // More probes wait than kProbesWaitingAtMost.
    bool Crowded() const { return waiting_.size() > kProbesWaitingAtMost; }

    // Answers every probe, running or waiting, as failed: the driver failed.
    void FailAll();

    // Ends every probe without answering it.
    void Drop();

private:
    struct Probe {
        std::string url;
        std::string server;
        const StopFlag* stop;
        WebClient::ProbeDone done;
        std::unique_ptr<HttpPageReader> reader;  // while it runs
    };
    struct Answer {
        WebClient::ProbeDone done;
        FileProbe probe;
    };

    // After each step of the driver: answers the probes whose head came.
    void TakeSettled();
    // Starts the waiting probes that the limits let start, in order.
    void Launch(std::vector<Answer>& answers);
    size_t RunningTo(const std::string& server) const;
    static FileProbe Conclude(HttpPageReader& reader, bool started);
    static void Tell(std::vector<Answer>& answers);

    CurlDriver& driver_;
    std::vector<Probe> running_;
    std::deque<Probe> waiting_;
};

}  // namespace bramix
