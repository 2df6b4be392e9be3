#pragma once

// Every request of the search side goes through here: result pages, post pages
// and the header probe of candidate files. One GET per reader, over libcurl:
// fixed user agent, no redirects followed, status 200 only, no caches, http://
// only, the proxy from the environment. Failures are swallowed and traced.
// Used on the search thread; a reader is neither copied nor shared.

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

namespace bramix {

inline constexpr const char* kUserAgent = "Mozilla/4.0 (compatible; MSIE 7.0; Windows NT 5.1)";
inline constexpr uint32_t kFetchTimeoutMs = 1000;
inline constexpr size_t kPageReadChunk = 4096;
inline constexpr size_t kPageReadLimit = 524288;

// A server that sends nothing for this long is given up on.
inline constexpr std::chrono::seconds kStallLimit{30};

// Header query levels that QueryHeader answers.
inline constexpr int HTTP_QUERY_CONTENT_LENGTH = 5;
inline constexpr int HTTP_QUERY_CONTENT_DISPOSITION = 47;

class HttpPageReader {
public:
    explicit HttpPageReader(uint32_t timeoutMs, std::chrono::seconds stallLimit = kStallLimit);
    ~HttpPageReader();
    HttpPageReader(const HttpPageReader&) = delete;
    HttpPageReader& operator=(const HttpPageReader&) = delete;

    // Sends the request and waits for the final response's status and headers;
    // the body is left unread. True when the status is 200.
    bool Open(const std::string& url);

    // The first value of the header of that level after a successful Open;
    // empty otherwise or when the server sent none.
    std::string QueryHeader(int level) const;

    // Reads the body in 4,096-byte chunks, stopping after the first chunk that
    // takes it past 524,288 bytes. True when the text is not empty; on a read
    // error the text is empty.
    bool ReadAll(std::string& text);

    // Drops the request and its connection; an unread body is never read.
    void Close();

private:
    struct Transfer;

    uint32_t timeoutMs_;
    std::chrono::seconds stallLimit_;
    std::unique_ptr<Transfer> transfer_;
    std::string url_;
    bool ok_ = false;
};

// For a window that is closing: while set, every running and later fetch
// fails at once, so that a search thread never holds up the close. Any thread.
void AbortAllTransfers(bool abort);

// libcurl's message for a failed transfer, without its trailing line break.
std::string TransferErrorMessage(int curlCode, const char* errorBuffer);

// Fetches a page in one call. True when it was read and is not empty. After a
// failed request `text` is untouched; after a failed or empty read it is empty.
bool FetchPage(const std::string& url, std::string& text, uint32_t timeoutMs);

}  // namespace bramix
