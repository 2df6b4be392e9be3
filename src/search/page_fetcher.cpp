#include "search/page_fetcher.h"

#include <curl/curl.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstdlib>
#include <string_view>
#include <utility>
#include <vector>

#include "search/address.h"
#include "search/debug_trace.h"
#include "search/text_helpers.h"

namespace bramix {

namespace {

std::atomic<bool> g_abortTransfers{false};

// How long a fetch may wait on the network before it looks at the abort flag.
constexpr int kPollMs = 100;

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

const char* HeaderNameOfLevel(int level) {
    switch (level) {
        case HTTP_QUERY_CONTENT_LENGTH:
            return "Content-Length";
        case HTTP_QUERY_CONTENT_DISPOSITION:
            return "Content-Disposition";
        default:
            return nullptr;
    }
}

}  // namespace

void AbortAllTransfers(bool abort) {
    g_abortTransfers = abort;
}

std::string TransferErrorMessage(int curlCode, const char* errorBuffer) {
    std::string message = errorBuffer != nullptr && errorBuffer[0] != '\0'
                              ? errorBuffer
                              : curl_easy_strerror(static_cast<CURLcode>(curlCode));
    while (!message.empty() && IsSpaceByte(static_cast<unsigned char>(message.back()))) {
        message.pop_back();
    }
    return message;
}

// One libcurl transfer driven step by step through a multi handle, so that the
// headers can be looked at before the body is read, or without reading it.
struct HttpPageReader::Transfer {
    CURLM* multi = nullptr;
    CURL* easy = nullptr;
    curl_slist* requestHeaders = nullptr;
    char errorBuffer[CURL_ERROR_SIZE] = {};

    long status = 0;                                           // of the latest status line
    std::vector<std::pair<std::string, std::string>> headers;  // of the latest response
    bool headersDone = false;  // the final response's headers have all arrived

    bool finished = false;
    CURLcode result = CURLE_OK;

    std::string* body = nullptr;  // null while Open waits: the first body byte pauses
    bool cut = false;             // the body passed the read limit

    Transfer() = default;
    Transfer(const Transfer&) = delete;
    Transfer& operator=(const Transfer&) = delete;

    ~Transfer() {
        if (multi != nullptr && easy != nullptr) {
            curl_multi_remove_handle(multi, easy);
        }
        if (easy != nullptr) {
            curl_easy_cleanup(easy);
        }
        if (multi != nullptr) {
            curl_multi_cleanup(multi);
        }
        curl_slist_free_all(requestHeaders);
    }

    bool Start(const std::string& url, uint32_t timeoutMs, std::chrono::seconds stallLimit) {
        multi = curl_multi_init();
        easy = curl_easy_init();
        if (multi == nullptr || easy == nullptr) {
            return false;
        }
        requestHeaders = curl_slist_append(requestHeaders, "Pragma: no-cache");
        requestHeaders = curl_slist_append(requestHeaders, "Cache-Control: no-cache");
        const std::string wireUrl = EscapeForRequest(url);
        curl_easy_setopt(easy, CURLOPT_URL, wireUrl.c_str());
        curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http");
        curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(easy, CURLOPT_USERAGENT, kUserAgent);
        curl_easy_setopt(easy, CURLOPT_HTTPHEADER, requestHeaders);
        curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 0L);
        curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(timeoutMs));
        curl_easy_setopt(easy, CURLOPT_LOW_SPEED_LIMIT, 1L);
        curl_easy_setopt(easy, CURLOPT_LOW_SPEED_TIME, static_cast<long>(stallLimit.count()));
        curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, errorBuffer);
        curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &Transfer::OnHeader);
        curl_easy_setopt(easy, CURLOPT_HEADERDATA, this);
        curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &Transfer::OnBody);
        curl_easy_setopt(easy, CURLOPT_WRITEDATA, this);
        return curl_multi_add_handle(multi, easy) == CURLM_OK;
    }

    // Runs the transfer until it ends, or until the final headers are in when
    // `untilHeaders` is set.
    void Drive(bool untilHeaders) {
        while (!finished && !(untilHeaders && headersDone)) {
            if (g_abortTransfers) {
                finished = true;
                result = CURLE_ABORTED_BY_CALLBACK;
                break;
            }
            int running = 0;
            if (curl_multi_perform(multi, &running) != CURLM_OK) {
                finished = true;
                result = CURLE_FAILED_INIT;
                break;
            }
            int queued = 0;
            while (CURLMsg* message = curl_multi_info_read(multi, &queued)) {
                if (message->msg == CURLMSG_DONE) {
                    finished = true;
                    result = message->data.result;
                }
            }
            if (!finished && !(untilHeaders && headersDone)) {
                curl_multi_poll(multi, nullptr, 0, kPollMs, nullptr);
            }
        }
    }

    std::string Header(std::string_view name) const {
        for (const auto& [key, value] : headers) {
            if (EqualsIgnoringCase(key, name)) {
                return value;
            }
        }
        return {};
    }

    static size_t OnHeader(char* data, size_t size, size_t count, void* user) {
        auto* self = static_cast<Transfer*>(user);
        const size_t total = size * count;
        std::string_view line(data, total);
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) {
            line.remove_suffix(1);
        }
        if (line.substr(0, 5) == "HTTP/") {
            // A new response (after a 1xx): only the final one counts.
            self->headers.clear();
            self->headersDone = false;
            const size_t space = line.find(' ');
            self->status =
                space == std::string_view::npos
                    ? 0
                    : std::strtol(std::string(line.substr(space + 1, 3)).c_str(), nullptr, 10);
        } else if (line.empty()) {
            self->headersDone = self->status >= 200;
        } else if (const size_t colon = line.find(':'); colon != std::string_view::npos) {
            std::string_view value = line.substr(colon + 1);
            while (!value.empty() && (value.front() == ' ' || value.front() == '\t')) {
                value.remove_prefix(1);
            }
            while (!value.empty() && (value.back() == ' ' || value.back() == '\t')) {
                value.remove_suffix(1);
            }
            self->headers.emplace_back(line.substr(0, colon), value);
        }
        return total;
    }

    static size_t OnBody(char* data, size_t size, size_t count, void* user) {
        auto* self = static_cast<Transfer*>(user);
        const size_t total = size * count;
        if (self->body == nullptr) {
            return CURL_WRITEFUNC_PAUSE;  // Open stops here; ReadAll takes it up again
        }
        for (size_t offset = 0; offset < total; offset += kPageReadChunk) {
            self->body->append(data + offset, std::min(kPageReadChunk, total - offset));
            if (self->body->size() > kPageReadLimit) {
                self->cut = true;
                return 0;  // ends the transfer; what was read stays
            }
        }
        return total;
    }
};

HttpPageReader::HttpPageReader(uint32_t timeoutMs, std::chrono::seconds stallLimit)
    : timeoutMs_(timeoutMs), stallLimit_(stallLimit) {}

HttpPageReader::~HttpPageReader() {
    Close();
}

bool HttpPageReader::Open(const std::string& url) {
    transfer_.reset();
    url_ = url;
    ok_ = false;
    const auto parsed = ParseAddress(url);
    if (!parsed || parsed->service != ServiceType::Http) {
        return false;
    }
    transfer_ = std::make_unique<Transfer>();
    if (!transfer_->Start(url, timeoutMs_, stallLimit_)) {
        return false;
    }
    transfer_->Drive(true);
    if (transfer_->finished && transfer_->result != CURLE_OK) {
        DebugTraceFormat("Open... %s %s\n",
                         TransferErrorMessage(transfer_->result, transfer_->errorBuffer).c_str(),
                         url_.c_str());
        return false;
    }
    long status = 0;
    curl_easy_getinfo(transfer_->easy, CURLINFO_RESPONSE_CODE, &status);
    ok_ = status == 200;
    return ok_;
}

std::string HttpPageReader::QueryHeader(int level) const {
    const char* name = HeaderNameOfLevel(level);
    if (!ok_ || transfer_ == nullptr || name == nullptr) {
        return {};
    }
    return transfer_->Header(name);
}

bool HttpPageReader::ReadAll(std::string& text) {
    text.clear();
    if (!ok_ || transfer_ == nullptr) {
        return false;
    }
    Transfer& transfer = *transfer_;
    transfer.body = &text;
    if (!transfer.finished) {
        curl_easy_pause(transfer.easy, CURLPAUSE_CONT);
        transfer.Drive(false);
    }
    transfer.body = nullptr;
    if (transfer.cut) {
        DebugTraceFormat("Read... %u %s\n", static_cast<unsigned>(text.size()), url_.c_str());
    } else if (transfer.result != CURLE_OK) {
        DebugTraceFormat("Read... %s %s\n",
                         TransferErrorMessage(transfer.result, transfer.errorBuffer).c_str(),
                         url_.c_str());
        text.clear();
    }
    return !text.empty();
}

void HttpPageReader::Close() {
    url_.clear();
    ok_ = false;
    transfer_.reset();
}

bool FetchPage(const std::string& url, std::string& text, uint32_t timeoutMs) {
    HttpPageReader reader(timeoutMs);
    if (!reader.Open(url)) {
        return false;
    }
    return reader.ReadAll(text);
}

}  // namespace bramix
