#include "net/page_fetcher.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <string_view>
#include <utility>
#include <vector>

#include "base/code_page.h"
#include "base/debug_trace.h"
#include "base/text_helpers.h"
#include "net/address.h"
#include "net/curl_handles.h"
#include "net/header_line.h"

namespace bramix {

namespace {

// How long a fetch may wait on the network before it looks at its stop flag.
constexpr int kPollMs = 100;

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

// One libcurl transfer driven step by step through a multi handle, so that the
// headers can be looked at before the body is read, or without reading it.
struct HttpPageReader::Transfer {
    CurlMulti multi;
    CurlEasy easy;
    CurlHeaderList requestHeaders;
    char errorBuffer[CURL_ERROR_SIZE] = {};

    long status = 0;                                           // of the latest status line
    std::vector<std::pair<std::string, std::string>> headers;  // of the latest response
    bool headersDone = false;  // the final response's headers have all arrived

    bool finished = false;
    CURLcode result = CURLE_OK;
    bool stopped = false;  // the stop flag ended it

    std::string* body = nullptr;  // null while Open waits: the first body byte pauses
    bool cut = false;             // the body passed the read limit

    Transfer() = default;
    Transfer(const Transfer&) = delete;
    Transfer& operator=(const Transfer&) = delete;

    ~Transfer() {
        if (multi && easy) {
            curl_multi_remove_handle(multi.get(), easy.get());
        }
    }

    bool Start(const std::string& url, uint32_t timeoutMs, std::chrono::seconds stallLimit) {
        multi.reset(curl_multi_init());
        easy.reset(curl_easy_init());
        if (!multi || !easy) {
            return false;
        }
        AppendHeader(requestHeaders, "Pragma: no-cache");
        AppendHeader(requestHeaders, "Cache-Control: no-cache");
        RequestSettings settings;
        settings.connectTimeout = std::chrono::milliseconds(timeoutMs);
        settings.stallLimit = stallLimit;
        CURL* handle = easy.get();
        ConfigureRequest(handle, url, settings, errorBuffer);
        curl_easy_setopt(handle, CURLOPT_HTTPHEADER, requestHeaders.get());
        curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 0L);
        curl_easy_setopt(handle, CURLOPT_HEADERFUNCTION, &Transfer::OnHeader);
        curl_easy_setopt(handle, CURLOPT_HEADERDATA, this);
        curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, &Transfer::OnBody);
        curl_easy_setopt(handle, CURLOPT_WRITEDATA, this);
        return curl_multi_add_handle(multi.get(), handle) == CURLM_OK;
    }

    // Runs the transfer until it ends, or until the final headers are in when
    // `untilHeaders` is set.
    void Drive(bool untilHeaders, const StopFlag* stop) {
        while (!finished && !(untilHeaders && headersDone)) {
            if (stop != nullptr && IsStopped(*stop)) {
                finished = true;
                stopped = true;
                result = CURLE_ABORTED_BY_CALLBACK;
                break;
            }
            int running = 0;
            if (curl_multi_perform(multi.get(), &running) != CURLM_OK) {
                finished = true;
                result = CURLE_FAILED_INIT;
                break;
            }
            int queued = 0;
            while (CURLMsg* message = curl_multi_info_read(multi.get(), &queued)) {
                if (message->msg == CURLMSG_DONE) {
                    finished = true;
                    result = message->data.result;
                }
            }
            if (!finished && !(untilHeaders && headersDone)) {
                curl_multi_poll(multi.get(), nullptr, 0, kPollMs, nullptr);
            }
        }
    }

    // How the transfer failed, once it has.
    FetchResult Failure() const {
        if (stopped) {
            return {FetchOutcome::Stopped, {}};
        }
        return {FetchOutcome::TransferError, TransferErrorMessage(result, errorBuffer)};
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
        const HeaderLine line = ParseHeaderLine(std::string_view(data, total));
        switch (line.kind) {
            case HeaderLine::Kind::Status:
                // A new response (after a 1xx): only the final one counts.
                self->headers.clear();
                self->headersDone = false;
                self->status = line.status;
                break;
            case HeaderLine::Kind::End:
                self->headersDone = self->status >= 200;
                break;
            case HeaderLine::Kind::Field:
                self->headers.emplace_back(line.name, line.value);
                break;
            case HeaderLine::Kind::Other:
                break;
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

HttpPageReader::HttpPageReader(uint32_t timeoutMs, const StopFlag* stop,
                               std::chrono::seconds stallLimit)
    : timeoutMs_(timeoutMs), stop_(stop), stallLimit_(stallLimit) {}

HttpPageReader::~HttpPageReader() {
    Close();
}

bool HttpPageReader::Open(const std::string& url) {
    transfer_.reset();
    url_ = url;
    ok_ = false;
    const auto parsed = ParseAddress(url);
    if (!parsed || parsed->service != ServiceType::Http) {
        result_ = {FetchOutcome::NotHttp, {}};
        return false;
    }
    transfer_ = std::make_unique<Transfer>();
    if (!transfer_->Start(url, timeoutMs_, stallLimit_)) {
        result_ = {FetchOutcome::TransferError, "cannot start a transfer"};
        return false;
    }
    transfer_->Drive(true, stop_);
    // The final headers decide, whatever the body does after them: a server
    // that closes right after its headers answered all the same.
    if (!transfer_->headersDone) {  // the transfer ended before them
        result_ = transfer_->Failure();
        DebugTraceFormat("Open... %s %s\n", Describe(result_).c_str(), AnsiToUtf8(url_).c_str());
        return false;
    }
    const long status = transfer_->status;
    ok_ = status == 200;
    result_ = ok_ ? FetchResult{} : FetchResult{FetchOutcome::HttpStatus, std::to_string(status)};
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
        curl_easy_pause(transfer.easy.get(), CURLPAUSE_CONT);
        transfer.Drive(false, stop_);
    }
    transfer.body = nullptr;
    if (transfer.cut) {
        DebugTraceFormat("Read... %u %s\n", static_cast<unsigned>(text.size()),
                         AnsiToUtf8(url_).c_str());
    } else if (transfer.result != CURLE_OK) {
        result_ = transfer.Failure();
        DebugTraceFormat("Read... %s %s\n", Describe(result_).c_str(), AnsiToUtf8(url_).c_str());
        text.clear();
        return false;
    }
    if (text.empty()) {
        result_ = {FetchOutcome::EmptyPage, {}};
        return false;
    }
    return true;
}

void HttpPageReader::Close() {
    url_.clear();
    ok_ = false;
    transfer_.reset();
}

FetchResult FetchPage(const std::string& url, std::string& text, uint32_t timeoutMs,
                      const StopFlag* stop) {
    HttpPageReader reader(timeoutMs, stop);
    if (reader.Open(url)) {
        reader.ReadAll(text);
    }
    return reader.result();
}

}  // namespace bramix
