#pragma once

// Every request of the search side goes through here: result pages, post pages
// and the header probe of candidate files. One GET per reader, over libcurl:
// fixed user agent, no redirects followed, status 200 only, no caches, http://
// only, the proxy from the environment. Failures are swallowed, traced and
// told in a FetchResult. Used on the search thread; a reader is neither copied
// nor shared.

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "base/stop_flag.h"
#include "net/fetch_result.h"
#include "net/http_request.h"
#include "net/transfer.h"

namespace bramix {

inline constexpr uint32_t kFetchTimeoutMs = 1000;
inline constexpr size_t kPageReadChunk = 4096;
inline constexpr size_t kPageReadLimit = 524288;

class HttpPageReader {
public:
    // `stop`, when given, ends every wait of the reader within 0.5 s of being
    // set; it must outlive the reader. So must `driver`, when given: the
    // reader's transfer then runs on it beside the driver's others.
    explicit HttpPageReader(uint32_t timeoutMs, const StopFlag* stop = nullptr,
                            std::chrono::seconds stallLimit = kStallLimit,
                            CurlDriver* driver = nullptr);
    ~HttpPageReader();
    HttpPageReader(const HttpPageReader&) = delete;
    HttpPageReader& operator=(const HttpPageReader&) = delete;

    // Sends the request and waits for the final response's status and headers;
    // the body is left unread. True when the status is 200.
    bool Open(const std::string& url);

    // Starts a request whose body is never read (ReadAll fails after it), in
    // its driver's loop without waiting: the head is read by us alone, so
    // that no Content-Length a server sends can make libcurl refuse the
    // answer. False when it failed at once (result() tells why).
    bool StartHeadOnly(const std::string& url);
    // True once the started request's head is complete or the request ended.
    bool HeadSettled() const;
    // Once HeadSettled: true when the status is 200, as Open.
    bool TakeHead();

    // The first value of the header of that name (any case) after a
    // successful Open; empty otherwise or when the server sent none.
    std::string Header(std::string_view name) const;

    // Reads the body in 4,096-byte chunks, stopping after the first chunk that
    // takes it past 524,288 bytes. True when the text is not empty; on a read
    // error the text is empty.
    bool ReadAll(std::string& text);

    // Drops the request and its connection; an unread body is never read.
    void Close();

    // How the last Open or ReadAll ended.
    const FetchResult& result() const { return result_; }

private:
    bool BeginTransfer(const std::string& url, bool bodyWanted);
    size_t TakeBody(std::string_view bytes);
    FetchResult Failure() const;

    uint32_t timeoutMs_;
    const StopFlag* stop_;
    std::chrono::seconds stallLimit_;
    CurlDriver* driver_;
    std::unique_ptr<CurlTransfer> transfer_;
    std::string url_;
    bool ok_ = false;
    bool bodyWanted_ = false;
    std::string* body_ = nullptr;  // null while Open waits: the first body byte pauses
    bool cut_ = false;             // the body passed the read limit
    FetchResult result_;
};

// Fetches a page in one call, on `driver` when given. Succeeds when it was
// read and is not empty. After a failed request `text` is untouched; after a
// failed or empty read it is empty.
FetchResult FetchPage(const std::string& url, std::string& text, uint32_t timeoutMs,
                      const StopFlag* stop = nullptr, CurlDriver* driver = nullptr);

}  // namespace bramix
