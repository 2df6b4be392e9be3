#pragma once

// The stand-in web: one local HTTP server that answers for every host the
// program talks to. The program reaches it as its proxy (http_proxy), so each
// request arrives with its absolute address; the server answers by that
// address, records every request, and plays whatever behaviour a test set for
// the address. Runs its own threads; every public member is thread-safe.

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "base/stop_flag.h"
#include "reply.h"

namespace httplib {
class Server;
}

namespace standin {

struct RecordedRequest {
    std::string method;
    std::string url;  // absolute: "http://host/path?query"
    HeaderList headers;
    std::chrono::steady_clock::time_point time;

    // The first value of the header (name compared without case), or empty.
    std::string Header(std::string_view name) const;
    bool HasHeader(std::string_view name) const;
};

class StandInWeb {
public:
    // Answers for addresses that have no reply of their own (a whole world of
    // services); nullopt gives a 404.
    using Fallback = std::function<std::optional<Reply>(const RecordedRequest&)>;

    StandInWeb();
    ~StandInWeb();
    StandInWeb(const StandInWeb&) = delete;
    StandInWeb& operator=(const StandInWeb&) = delete;

    // Listens on 127.0.0.1; port 0 takes a free one. Throws when it cannot.
    void Start(int port = 0);
    // Ends stalls and trickles at once, then waits for the server's threads.
    void Stop();

    int port() const { return port_; }
    std::string ProxyUrl() const;  // "http://127.0.0.1:PORT"

    // `url` is absolute, as the program requests it.
    void Set(const std::string& url, Reply reply);
    void SetFallback(Fallback fallback);
    // Holds every answer this long after its request came, as a distant
    // server would (a round trip); a stop ends the hold.
    void SetLatency(std::chrono::milliseconds latency) { latencyMs_ = latency.count(); }

    std::vector<RecordedRequest> Requests() const;
    std::vector<std::string> RequestedUrls() const;
    void ClearRequests();

    // Body bytes handed to the network so far, over all requests.
    uint64_t BodyBytesSent() const { return bodyBytesSent_; }

private:
    struct Connection;

    std::optional<Reply> ReplyFor(const RecordedRequest& request) const;
    // The part of the reply that the request's Range asks for, where the reply
    // honours ranges.
    static Reply RangeOf(const RecordedRequest& request, const Reply& reply);
    void Serve(const RecordedRequest& request, const Reply& reply, void* response);

    std::unique_ptr<httplib::Server> server_;
    std::thread thread_;
    int port_ = 0;
    bramix::StopFlag stopping_{0};
    std::atomic<uint64_t> bodyBytesSent_{0};
    std::atomic<int64_t> latencyMs_{0};

    mutable std::mutex mutex_;
    std::vector<std::pair<std::string, Reply>> replies_;
    Fallback fallback_;
    std::vector<RecordedRequest> requests_;
};

}  // namespace standin
