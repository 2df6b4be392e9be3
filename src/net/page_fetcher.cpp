#include "net/page_fetcher.h"

#include "base/code_page.h"
#include "base/debug_trace.h"
#include "net/address.h"

namespace bramix {

HttpPageReader::HttpPageReader(uint32_t timeoutMs, const StopFlag* stop,
                               std::chrono::seconds stallLimit, CurlDriver* driver)
    : timeoutMs_(timeoutMs), stop_(stop), stallLimit_(stallLimit), driver_(driver) {}

HttpPageReader::~HttpPageReader() {
    Close();
}

bool HttpPageReader::Open(const std::string& url) {
    if (!BeginTransfer(url, true)) {
        return false;
    }
    transfer_->Drive(CurlTransfer::Until::HeadComplete);
    return TakeHead();
}

bool HttpPageReader::StartHeadOnly(const std::string& url) {
    return BeginTransfer(url, false);
}

bool HttpPageReader::HeadSettled() const {
    return transfer_ != nullptr && (transfer_->head().complete || transfer_->finished());
}

bool HttpPageReader::BeginTransfer(const std::string& url, bool bodyWanted) {
    transfer_.reset();
    url_ = url;
    ok_ = false;
    bodyWanted_ = bodyWanted;
    cut_ = false;
    const auto parsed = ParseAddress(url);
    if (!parsed || parsed->service != ServiceType::Http) {
        result_ = {FetchOutcome::NotHttp, {}};
        return false;
    }
    transfer_ = std::make_unique<CurlTransfer>(
        stop_, [this](std::string_view bytes) { return TakeBody(bytes); }, nullptr, driver_);
    TransferOptions options;
    options.request.connectTimeout = std::chrono::milliseconds(timeoutMs_);
    options.request.stallLimit = stallLimit_;
    options.requestHeaders = {"Pragma: no-cache", "Cache-Control: no-cache"};
    options.ignoreContentLength = !bodyWanted;
    if (!transfer_->Start(url, options)) {
        result_ = {FetchOutcome::TransferError, "cannot start a transfer"};
        return false;
    }
    return true;
}

bool HttpPageReader::TakeHead() {
    // The final headers decide, whatever the body does after them: a server
    // that closes right after its headers answered all the same.
    const ResponseHead& head = transfer_->head();
    if (!head.complete) {  // the transfer ended before them
        result_ = Failure();
        DebugTraceFormat("Open... %s %s\n", Describe(result_).c_str(), AnsiToUtf8(url_).c_str());
        return false;
    }
    ok_ = head.status == 200;
    result_ = ok_ ? FetchResult{} : FetchResult{FetchOutcome::HttpStatus, {}, head.status};
    return ok_;
}

std::string HttpPageReader::Header(std::string_view name) const {
    if (!ok_ || transfer_ == nullptr) {
        return {};
    }
    return transfer_->head().Field(name);
}

bool HttpPageReader::ReadAll(std::string& text) {
    text.clear();
    if (!ok_ || transfer_ == nullptr || !bodyWanted_) {
        return false;
    }
    CurlTransfer& transfer = *transfer_;
    body_ = &text;
    if (!transfer.finished()) {
        transfer.Resume();
        transfer.Drive(CurlTransfer::Until::End);
    }
    body_ = nullptr;
    if (cut_) {
        DebugTraceFormat("Read... %u %s\n", static_cast<unsigned>(text.size()),
                         AnsiToUtf8(url_).c_str());
    } else if (transfer.code() != CURLE_OK) {
        result_ = Failure();
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

size_t HttpPageReader::TakeBody(std::string_view bytes) {
    if (body_ == nullptr) {
        return CURL_WRITEFUNC_PAUSE;  // Open stops here; ReadAll takes it up again
    }
    for (size_t offset = 0; offset < bytes.size(); offset += kPageReadChunk) {
        body_->append(bytes.substr(offset, kPageReadChunk));
        if (body_->size() > kPageReadLimit) {
            cut_ = true;
            return 0;  // ends the transfer; what was read stays
        }
    }
    return bytes.size();
}

// How the transfer failed, once it has.
FetchResult HttpPageReader::Failure() const {
    if (transfer_->stopped()) {
        return {FetchOutcome::Stopped, {}};
    }
    return {FetchOutcome::TransferError, transfer_->ErrorMessage()};
}

void HttpPageReader::Close() {
    url_.clear();
    ok_ = false;
    transfer_.reset();
}

FetchResult FetchPage(const std::string& url, std::string& text, uint32_t timeoutMs,
                      const StopFlag* stop, CurlDriver* driver) {
    HttpPageReader reader(timeoutMs, stop, kStallLimit, driver);
    if (reader.Open(url)) {
        reader.ReadAll(text);
    }
    return reader.result();
}

}  // namespace bramix
