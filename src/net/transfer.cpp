#include "net/transfer.h"

#include "base/text_helpers.h"
#include "net/header_line.h"

namespace bramix {

std::optional<uint64_t> ParseByteCount(std::string_view text) {
    if (text.empty() || text.find_first_not_of("0123456789") != std::string_view::npos) {
        return std::nullopt;
    }
    uint64_t value = 0;
    for (const char digit : text) {
        const uint64_t next = value * 10 + static_cast<uint64_t>(digit - '0');
        if (value > (UINT64_MAX - 9) / 10 || next < value) {
            return UINT64_MAX;
        }
        value = next;
    }
    return value;
}

std::string ResponseHead::Field(std::string_view name) const {
    for (const auto& [key, value] : fields) {
        if (EqualsIgnoringCase(key, name)) {
            return value;
        }
    }
    return {};
}

void ResponseHead::TookValueOf(const std::pair<std::string, std::string>& field) {
    if (EqualsIgnoringCase(field.first, "Content-Length")) {
        contentLength = ParseByteCount(field.second);
    }
}

CurlTransfer::CurlTransfer(const StopFlag* stop, BodySink sink, ProgressHook progress,
                           CurlDriver* driver)
    : stop_(stop), sink_(std::move(sink)), progress_(std::move(progress)), driver_(driver) {
    if (driver_ == nullptr) {
        ownDriver_ = std::make_unique<CurlDriver>();
        driver_ = ownDriver_.get();
    }
}

CurlTransfer::~CurlTransfer() {
    if (added_) {
        curl_multi_remove_handle(driver_->multi(), easy_.get());
    }
}

bool CurlTransfer::Start(const std::string& url, const TransferOptions& options) {
    easy_.reset(curl_easy_init());
    if (driver_->multi() == nullptr || !easy_) {
        return false;
    }
    for (const std::string& line : options.requestHeaders) {
        AppendHeader(requestHeaders_, line.c_str());
    }
    CURL* easy = easy_.get();
    ConfigureRequest(easy, url, options.request, errorBuffer_);
    curl_easy_setopt(easy, CURLOPT_HTTPHEADER, requestHeaders_.get());
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, options.followRedirects ? 1L : 0L);
    if (options.followRedirects) {
        curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, options.request.protocols);
        curl_easy_setopt(easy, CURLOPT_MAXREDIRS, options.maxRedirects);
    }
    if (options.receiveBuffer > 0) {
        curl_easy_setopt(easy, CURLOPT_BUFFERSIZE, options.receiveBuffer);
    }
    if (options.ignoreContentLength) {
        curl_easy_setopt(easy, CURLOPT_IGNORE_CONTENT_LENGTH, 1L);
    }
    curl_easy_setopt(easy, CURLOPT_PRIVATE, this);
    curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &CurlTransfer::OnHeader);
    curl_easy_setopt(easy, CURLOPT_HEADERDATA, this);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &CurlTransfer::OnBody);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, this);
    curl_easy_setopt(easy, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(easy, CURLOPT_XFERINFOFUNCTION, &CurlTransfer::OnProgress);
    curl_easy_setopt(easy, CURLOPT_XFERINFODATA, this);
    if (!ownDriver_) {
        // A shared multi handle would keep the connection for the next request.
        curl_easy_setopt(easy, CURLOPT_FORBID_REUSE, 1L);
    }
    added_ = curl_multi_add_handle(driver_->multi(), easy) == CURLM_OK;
    return added_;
}

void CurlTransfer::Drive(Until until) {
    auto reached = [&] { return finished_ || (until == Until::HeadComplete && head_.complete); };
    while (!reached()) {
        // A transfer that ended stays ended, whatever stop comes after it.
        if (stop_ != nullptr && IsStopped(*stop_)) {
            stopped_ = true;
            Finish(CURLE_ABORTED_BY_CALLBACK);
            break;
        }
        if (!driver_->Perform()) {
            Finish(CURLE_FAILED_INIT);
            break;
        }
        if (!reached()) {
            driver_->Poll(kStopPollInterval);
        }
    }
}

void CurlTransfer::Resume() {
    if (easy_ && !finished_) {
        curl_easy_pause(easy_.get(), CURLPAUSE_CONT);
    }
}

std::string CurlTransfer::ErrorMessage() const {
    return TransferErrorMessage(code_, errorBuffer_);
}

std::string CurlTransfer::EffectiveUrl() const {
    char* url = nullptr;
    if (!easy_ || curl_easy_getinfo(easy_.get(), CURLINFO_EFFECTIVE_URL, &url) != CURLE_OK ||
        url == nullptr) {
        return {};
    }
    return url;
}

void CurlTransfer::Finish(CURLcode code) {
    finished_ = true;
    code_ = code;
    // Only the progress callback aborts, and only for the stop.
    stopped_ = stopped_ || code == CURLE_ABORTED_BY_CALLBACK;
}

size_t CurlTransfer::OnHeader(char* data, size_t size, size_t count, void* user) {
    auto* self = static_cast<CurlTransfer*>(user);
    ResponseHead& head = self->head_;
    const size_t total = size * count;
    const HeaderLine line = ParseHeaderLine(std::string_view(data, total));
    switch (line.kind) {
        case HeaderLine::Kind::Status:
            head = ResponseHead{};
            head.status = static_cast<int>(line.status);
            break;
        case HeaderLine::Kind::End:
            head.complete = head.status >= 200;
            break;
        case HeaderLine::Kind::Field:
            head.fields.emplace_back(line.name, line.value);
            head.TookValueOf(head.fields.back());
            break;
        case HeaderLine::Kind::Continuation:
            // One field over two lines reads as one line with a space between.
            if (!head.fields.empty()) {
                std::string& value = head.fields.back().second;
                value += value.empty() || line.value.empty() ? "" : " ";
                value += line.value;
                head.TookValueOf(head.fields.back());
            }
            break;
        case HeaderLine::Kind::Other:
            break;
    }
    return total;
}

size_t CurlTransfer::OnBody(char* data, size_t size, size_t count, void* user) {
    auto* self = static_cast<CurlTransfer*>(user);
    return self->sink_(std::string_view(data, size * count));
}

// Every notification is a chance to stop, even inside a long read.
int CurlTransfer::OnProgress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    auto* self = static_cast<CurlTransfer*>(user);
    if (self->stop_ != nullptr && IsStopped(*self->stop_)) {
        return 1;
    }
    if (self->progress_) {
        self->progress_();
    }
    return 0;
}

}  // namespace bramix
