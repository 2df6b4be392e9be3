#pragma once

// What the search side asks of the network, behind one small interface that
// the search job carries: libcurl by default (CurlWebClient), pages from
// memory in tests and fuzz targets. Called on the search thread.

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
    virtual ~WebClient() = default;

    // A page's text, as FetchPage reads it; `stop` ends the wait.
    virtual FetchResult FetchPage(const std::string& url, std::string& text,
                                  const StopFlag& stop) = 0;

    // The headers of a candidate audio file.
    virtual FileProbe ProbeFile(const std::string& url, const StopFlag& stop) = 0;
};

// The network through libcurl (HttpPageReader). Stateless; one for the process.
WebClient& CurlWebClient();

}  // namespace bramix
