#pragma once

// One HTTP transfer over libcurl, driven step by step in a multi loop that
// looks at a stop flag between short waits. It collects the final answer's
// status and head, and hands the body to the caller's sink, so that a page
// fetch and a download differ only in what they do with the bytes. Used on
// one thread; a transfer is neither copied nor shared. It runs on a
// CurlDriver of its own, or on one it is given and shares with others.

#include <curl/curl.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/stop_flag.h"
#include "net/curl_driver.h"
#include "net/curl_handles.h"
#include "net/http_request.h"

namespace bramix {

// A decimal number of bytes; a number too large for 64 bits reads as the
// largest, which no transfer can match. Empty for anything but digits.
std::optional<uint64_t> ParseByteCount(std::string_view text);

// The head of the latest answer: a new status line (after a 1xx, or a
// redirect that is followed) starts it afresh, so that only the final
// answer's fields count.
struct ResponseHead {
    int status = 0;  // 0 until a status line came
    std::vector<std::pair<std::string, std::string>> fields;
    bool complete = false;  // its empty line came, and its status is final (>= 200)
    // The last Content-Length, when it is a decimal number.
    std::optional<uint64_t> contentLength;

    // The first value of the field of that name (any case); empty when absent.
    std::string Field(std::string_view name) const;
    // Notes what a field that came or grew says of the answer.
    void TookValueOf(const std::pair<std::string, std::string>& field);
};

struct TransferOptions {
    RequestSettings request;
    std::vector<std::string> requestHeaders;  // "Name: value" lines
    bool followRedirects = false;
    long maxRedirects = 0;
    long receiveBuffer = 0;  // 0: libcurl's own size
    // libcurl neither reads the Content-Length nor refuses an answer whose
    // value is no number; the body then ends when the server closes.
    bool ignoreContentLength = false;
};

class CurlTransfer {
public:
    // Takes body bytes as libcurl's write callback does: returns how many it
    // took; fewer ends the transfer, CURL_WRITEFUNC_PAUSE holds it until
    // Resume.
    using BodySink = std::function<size_t(std::string_view bytes)>;
    // Called at each of libcurl's progress notifications that no stop ended.
    using ProgressHook = std::function<void()>;

    // `stop`, when given, ends the transfer and every wait of it within
    // 100 ms of being set; it must outlive the transfer. So must `driver`,
    // when given: the transfer then shares its multi handle, and the
    // connection is closed at its end, as a transfer of its own closes it.
    CurlTransfer(const StopFlag* stop, BodySink sink, ProgressHook progress = {},
                 CurlDriver* driver = nullptr);
    ~CurlTransfer();
    CurlTransfer(const CurlTransfer&) = delete;
    CurlTransfer& operator=(const CurlTransfer&) = delete;

    // Makes the handles and sets the request up; false when libcurl cannot.
    bool Start(const std::string& url, const TransferOptions& options);

    enum class Until { HeadComplete, End };
    // Runs the transfer (and every other on its driver) until `until` holds
    // or it ended.
    void Drive(Until until);

    // Takes up a transfer that the sink held.
    void Resume();

    const ResponseHead& head() const { return head_; }
    bool finished() const { return finished_; }
    bool stopped() const { return stopped_; }  // the stop flag ended it
    CURLcode code() const { return code_; }    // once finished
    // libcurl's message for a failed transfer.
    std::string ErrorMessage() const;
    // The address of the latest request, after the redirects followed.
    std::string EffectiveUrl() const;

private:
    friend class CurlDriver;  // tells a transfer its end
    void Finish(CURLcode code);

    static size_t OnHeader(char* data, size_t size, size_t count, void* user);
    static size_t OnBody(char* data, size_t size, size_t count, void* user);
    static int OnProgress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t);

    const StopFlag* stop_;
    BodySink sink_;
    ProgressHook progress_;
    std::unique_ptr<CurlDriver> ownDriver_;  // unless one was given
    CurlDriver* driver_;
    CurlEasy easy_;
    bool added_ = false;  // to the driver's multi handle
    CurlHeaderList requestHeaders_;
    char errorBuffer_[CURL_ERROR_SIZE] = {};
    ResponseHead head_;
    bool finished_ = false;
    bool stopped_ = false;
    CURLcode code_ = CURLE_OK;
};

}  // namespace bramix
