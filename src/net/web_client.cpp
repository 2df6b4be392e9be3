#include "net/web_client.h"

#include "net/page_fetcher.h"

namespace bramix {

namespace {

class LibcurlWebClient final : public WebClient {
public:
    FetchResult FetchPage(const std::string& url, std::string& text,
                          const StopFlag& stop) override {
        return ::bramix::FetchPage(url, text, kFetchTimeoutMs, &stop);
    }

    FileProbe ProbeFile(const std::string& url, const StopFlag& stop) override {
        HttpPageReader reader(kFetchTimeoutMs, &stop);
        FileProbe probe;
        if (reader.Open(url)) {
            // Only the status and two headers: the body is never read.
            probe.contentDisposition = reader.QueryHeader(HTTP_QUERY_CONTENT_DISPOSITION);
            probe.contentLength = reader.QueryHeader(HTTP_QUERY_CONTENT_LENGTH);
        }
        probe.result = reader.result();
        return probe;
    }
};

}  // namespace

WebClient& CurlWebClient() {
    static LibcurlWebClient client;
    return client;
}

}  // namespace bramix
