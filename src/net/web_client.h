#pragma once

// What the search side asks of the network, behind one small interface that
// the search job carries: libcurl by default (MakeCurlWebClient), pages from
// memory in tests and fuzz targets. Called on the search thread only, and so
// is every ProbeDone.

#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include "base/stop_flag.h"
#include "net/fetch_result.h"

namespace bramix {

// The answer of a file's server to a GET whose body is never read.
struct FileProbe {
    FetchResult result;              // Ok only for a final status 200
    std::string contentDisposition;  // empty when absent
    std::string contentLength;
};

class WebClient {
public:
    using Clock = std::chrono::steady_clock;
    // Takes a started probe's answer; valid only during the call.
    using ProbeDone = std::function<void(const FileProbe&)>;

    virtual ~WebClient() = default;

    // A page's text, as FetchPage reads it; `stop` ends the wait. Probes
    // started before go on meanwhile.
    virtual FetchResult FetchPage(const std::string& url, std::string& text,
                                  const StopFlag& stop) = 0;

    // Asks for a candidate audio file's headers beside whatever else runs;
    // `done` takes the answer, from inside this call or a later call of this
    // client, exactly once unless DropProbes comes first.
    virtual void StartProbe(const std::string& url, const StopFlag& stop, ProbeDone&& done) = 0;

    // Waits until `deadline`, letting probes go on; a stop ends it.
    virtual void WaitUntil(const StopFlag& stop, Clock::time_point deadline);

    // Waits until every probe started has been answered; a stop ends it.
    virtual void WaitForProbes(const StopFlag& /*stop*/) {}

    // Ends every probe not yet answered; none of them is answered.
    virtual void DropProbes() {}
};

// The network through libcurl: one multi handle for every request, made on
// the thread that uses it. Each search job has one of its own.
std::unique_ptr<WebClient> MakeCurlWebClient();

}  // namespace bramix
