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
        // Only the status and two headers: the body is never read.
        if (reader.OpenHeadOnly(url)) {
            probe.contentDisposition = reader.Header("Content-Disposition");
            probe.contentLength = reader.Header("Content-Length");
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
