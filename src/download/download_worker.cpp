#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "base/debug_trace.h"
#include "base/text_helpers.h"
#include "base/tick_count.h"
#include "download/disk_names.h"
#include "download/download_job.h"
#include "download/partial_file.h"
#include "net/http_request.h"
#include "net/transfer.h"

namespace bramix {

namespace {

constexpr long kMaxRedirects = 10;
// Large reads mean fewer write calls: on a fast link the default 16 KiB
// costs half the throughput.
constexpr long kReceiveBuffer = 512L * 1024;
struct Result {
    DownloadOutcome outcome;
    std::string detail;
    int httpStatus = 0;  // of an HttpStatus outcome
};

// What the final answer's headers said; of a field sent twice, the last.
struct Answer {
    int status = 0;
    std::optional<uint64_t> length;  // Content-Length, when announced
    std::optional<uint64_t> rangeStart;
    std::optional<uint64_t> wholeSize;  // of an unsatisfiable range
    std::string etag;
    std::string lastModified;
    std::string disposition;

    static Answer Of(const ResponseHead& head) {
        Answer answer;
        answer.status = head.status;
        answer.length = head.contentLength;
        for (const auto& [name, value] : head.fields) {
            answer.Field(name, value);
        }
        return answer;
    }

    void Field(std::string_view name, std::string_view value) {
        if (EqualsIgnoringCase(name, "Content-Range")) {
            // "bytes START-END/TOTAL", or "bytes */TOTAL" with a 416
            if (value.substr(0, 8) == "bytes */") {
                wholeSize = ParseByteCount(value.substr(8));
            } else if (value.substr(0, 6) == "bytes ") {
                rangeStart = ParseByteCount(value.substr(6, value.find('-') - 6));
            }
        } else if (EqualsIgnoringCase(name, "ETag")) {
            etag = value;
        } else if (EqualsIgnoringCase(name, "Last-Modified")) {
            lastModified = value;
        } else if (EqualsIgnoringCase(name, "Content-Disposition")) {
            disposition = value;
        }
    }
};

// One attempt at the file, shared with libcurl's callbacks.
class Transfer {
public:
    explicit Transfer(DownloadJob& job) : job_(job) {}
    Transfer(const Transfer&) = delete;
    Transfer& operator=(const Transfer&) = delete;
    ~Transfer() {
        if (fd_ >= 0) {
            close(fd_);
        }
    }

    Result Run() {
        if (const auto taken = TakeOurPart()) {
            return *taken;
        }
        std::unique_ptr<CurlTransfer> transfer = Perform(job_.url, false);
        // libcurl refuses an answer whose Content-Length is no number before
        // its head ends. Such a length announces nothing: asked again, the
        // head is ours to read and the body ends where the server closes.
        // The answer that had it is asked for directly, so that no redirect's
        // body is ever read to its close.
        if (transfer != nullptr && RefusedForItsLength(*transfer)) {
            const std::string url = transfer->EffectiveUrl();
            transfer.reset();
            transfer = Perform(url, true);
        }
        if (transfer == nullptr) {
            return {DownloadOutcome::TransferError, "cannot start a transfer"};
        }
        return Judge(*transfer);
    }

private:
    // An earlier attempt's .part is opened and locked for the whole attempt:
    // another download (another bramix-cli, the window) may have taken it up
    // since, and then the name is taken. With a validator of its bytes the
    // rest is asked for, if they are still the same; without one, the whole
    // file comes again. Returns the outcome when the attempt ends here.
    std::optional<Result> TakeOurPart() {
        if (!job_.partIsOurs) {
            return std::nullopt;
        }
        const std::string part = PartPathOf(job_.path);
        fd_ = OpenPartForWriting(part, false);
        if (fd_ < 0) {
            const int error = errno;
            if (error == ENOENT) {  // gone: start anew
                job_.partIsOurs = false;
                return std::nullopt;
            }
            return Result{
                error == EWOULDBLOCK ? DownloadOutcome::NameTaken : DownloadOutcome::FileError,
                part + ": " +
                    (error == EWOULDBLOCK ? "in use by another download" : std::strerror(error))};
        }
        struct stat info {};
        if (job_.validator.empty() || fstat(fd_, &info) != 0 || info.st_size <= 0) {
            return std::nullopt;
        }
        offset_ = static_cast<uint64_t>(info.st_size);
        askedForRest_ = true;
        rangeHeaders_ = {"Range: bytes=" + std::to_string(offset_) + "-",
                         "If-Range: " + job_.validator};
        return std::nullopt;
    }

    // One request for the file, run to its end; null when it cannot start.
    static bool RefusedForItsLength(const CurlTransfer& transfer) {
        const int status = transfer.head().status;
        return transfer.code() == CURLE_WEIRD_SERVER_REPLY && status >= 200 &&
               (status < 300 || status >= 400) && !transfer.head().complete &&
               Contains(transfer.ErrorMessage(), "Content-Length") &&
               !transfer.EffectiveUrl().empty();
    }

    std::unique_ptr<CurlTransfer> Perform(const std::string& url, bool ignoreContentLength) {
        auto transfer = std::make_unique<CurlTransfer>(
            &job_.stopFlag, [this](std::string_view bytes) { return TakeBody(bytes); },
            [this] { ReportProgress(); });
        TransferOptions options;
        options.request.protocols = "http,https";
        options.request.connectTimeout = job_.connectTimeout;
        options.request.stallLimit = job_.stallLimit;
        options.requestHeaders = rangeHeaders_;
        options.followRedirects = !ignoreContentLength;
        options.maxRedirects = kMaxRedirects;
        options.receiveBuffer = kReceiveBuffer;
        options.ignoreContentLength = ignoreContentLength;
        if (!transfer->Start(url, options)) {
            return nullptr;
        }
        current_ = transfer.get();
        transfer->Drive(CurlTransfer::Until::End);
        current_ = nullptr;
        return transfer;
    }

    // How the attempt ended, once its transfer has.
    Result Judge(const CurlTransfer& transfer) {
        if (transfer.stopped()) {
            return {DownloadOutcome::Stopped, {}};
        }
        const CURLcode code = transfer.code();
        if (code == CURLE_TOO_MANY_REDIRECTS || code == CURLE_UNSUPPORTED_PROTOCOL ||
            code == CURLE_URL_MALFORMAT) {
            // A redirect libcurl would not follow (a loop, another scheme):
            // its message says why, the status would not.
            return {DownloadOutcome::TransferError, transfer.ErrorMessage()};
        }
        if (!begun_ && transfer.head().status != 0) {
            accepted_ = Begin(transfer.head());  // an answer without a body: judged at its end
        }
        if (partIsWhole_) {
            return TakeTheName();
        }
        if (failure_) {
            return *failure_;
        }
        if (code != CURLE_OK) {
            return {DownloadOutcome::TransferError, transfer.ErrorMessage()};
        }
        if (answer_.length && written_ != *answer_.length) {
            return {DownloadOutcome::TransferError,
                    "the server announced " + std::to_string(*answer_.length) + " bytes and sent " +
                        std::to_string(written_)};
        }
        // What the file holds must be what this attempt and the earlier ones
        // wrote: anything else wrote into it meanwhile.
        struct stat info {};
        if (fstat(fd_, &info) != 0 || static_cast<uint64_t>(info.st_size) != offset_ + written_) {
            job_.validator.clear();  // the next attempt starts over
            return {DownloadOutcome::FileError,
                    PartPathOf(job_.path) + ": not the size it was written to"};
        }
        return TakeTheName();
    }

    // The answer's validator, of the kind that was sent as If-Range.
    const std::string& AnswerValidator() const {
        return !answer_.etag.empty() ? answer_.etag : answer_.lastModified;
    }

    // Only a final 200 makes the file; a 206 only when the rest was asked for,
    // it starts where the .part ends and it is of the same version.
    bool Acceptable() const {
        if (answer_.status == 200) {
            return true;
        }
        return answer_.status == 206 && askedForRest_ && answer_.rangeStart == offset_ &&
               (AnswerValidator().empty() || AnswerValidator() == job_.validator);
    }

    Result StatusFailure() const {
        if (answer_.status == 206) {
            return {DownloadOutcome::HttpStatus,
                    "206 not the rest from byte " + std::to_string(offset_) + " of this version",
                    answer_.status};
        }
        return {DownloadOutcome::HttpStatus, std::to_string(answer_.status), answer_.status};
    }

    // At the first byte of the body (or at its end, for an empty one): the
    // answer is judged, the name decided and the .part opened.
    bool Begin(const ResponseHead& head) {
        begun_ = true;
        answer_ = Answer::Of(head);
        // The rest of a .part that holds the whole file: nothing is left.
        if (answer_.status == 416 && askedForRest_ && answer_.wholeSize == offset_) {
            partIsWhole_ = true;
            return false;
        }
        if (!Acceptable()) {
            failure_ = StatusFailure();
            if (askedForRest_ && answer_.status != 200) {
                job_.validator.clear();  // the next attempt starts over
            }
            return false;
        }
        if (answer_.status == 206) {
            return true;  // the .part is open, and the rest goes after it
        }
        offset_ = 0;
        if (fd_ >= 0) {
            // Ours, from an earlier attempt: the whole file comes anew.
            if (ftruncate(fd_, 0) != 0) {
                failure_ = Result{DownloadOutcome::FileError,
                                  PartPathOf(job_.path) + ": " + std::strerror(errno)};
                return false;
            }
        } else {
            if (job_.nameFromAnswer) {
                const std::string folder = FolderOf(job_.path);
                job_.path =
                    folder + "/" +
                    FreeFileName(folder, job_.nameFromAnswer(answer_.disposition), TickCount());
            }
            const std::string part = PartPathOf(job_.path);
            fd_ = OpenPartForWriting(part, true);
            if (fd_ < 0) {
                const int error = errno;
                failure_ =
                    Result{error == EEXIST || error == EWOULDBLOCK ? DownloadOutcome::NameTaken
                                                                   : DownloadOutcome::FileError,
                           part + ": " + std::strerror(error)};
                return false;
            }
            job_.partIsOurs = true;
        }
        job_.validator = AnswerValidator();
        RememberPart(fd_, {job_.url, job_.validator});
        return true;
    }

    // The whole file takes its name; a name taken meanwhile gives way to a
    // free one, as at the start.
    // The .part is still open and locked, so that nobody takes it up
    // between its last byte and its new name.
    Result TakeTheName() {
        const std::string part = PartPathOf(job_.path);
        const std::string folder = FolderOf(job_.path);
        for (int attempt = 0; attempt < 100; ++attempt) {
            const int error = NameWithoutReplacing(part, job_.path);
            if (error == 0) {
                job_.partIsOurs = false;
                ForgetPart(fd_);
                close(fd_);
                fd_ = -1;
                return {DownloadOutcome::Saved, {}};
            }
            if (error != EEXIST) {
                return {DownloadOutcome::FileError, job_.path + ": " + std::strerror(error)};
            }
            job_.path = folder + "/" + FreeFileName(folder, FileNameOf(job_.path), TickCount());
        }
        return {DownloadOutcome::FileError, job_.path + ": no free name"};
    }

    size_t TakeBody(std::string_view bytes) {
        if (!begun_) {
            accepted_ = Begin(current_->head());
        }
        if (!accepted_) {
            return 0;  // the body of an answer that is not the file
        }
        for (size_t written = 0; written < bytes.size();) {
            const ssize_t n = write(fd_, bytes.data() + written, bytes.size() - written);
            if (n < 0) {
                if (errno == EINTR) {
                    continue;
                }
                failure_ = Result{DownloadOutcome::FileError,
                                  PartPathOf(job_.path) + ": " + std::strerror(errno)};
                return 0;
            }
            written += static_cast<size_t>(n);
        }
        written_ += bytes.size();
        return bytes.size();
    }

    // A notification that finds new bytes in the file is a progress report.
    void ReportProgress() {
        const uint64_t inFile = offset_ + written_;
        if (accepted_ && inFile > reported_) {
            reported_ = inFile;
            const bool knowsTotal = answer_.length && *answer_.length != UINT64_MAX;
            const uint64_t total = knowsTotal ? offset_ + *answer_.length : 0;
            if (job_.listener != nullptr) {
                job_.listener->OnProgress(inFile, total);
            }
        }
    }

    DownloadJob& job_;
    std::vector<std::string> rangeHeaders_;  // asking for the rest of the .part
    const CurlTransfer* current_ = nullptr;  // while a transfer runs
    Answer answer_;
    uint64_t offset_ = 0;  // bytes of the .part that this attempt continues
    bool askedForRest_ = false;
    bool begun_ = false;
    bool accepted_ = false;     // the answer is the file, and its body goes to fd_
    bool partIsWhole_ = false;  // the server says the .part holds the whole file
    int fd_ = -1;
    uint64_t written_ = 0;  // by this attempt
    uint64_t reported_ = 0;
    std::optional<Result> failure_;
};

Result Download(DownloadJob& job) {
    const bool waited = WaitUnlessStopped(job.stopFlag, job.retryPause);
    job.pausing = false;
    if (!waited) {
        return {DownloadOutcome::Stopped, {}};
    }
    Transfer transfer(job);
    return transfer.Run();
}

}  // namespace

std::string Describe(DownloadOutcome outcome, const std::string& detail) {
    switch (outcome) {
        case DownloadOutcome::Saved:
            return "saved";
        case DownloadOutcome::Stopped:
            return "stopped";
        case DownloadOutcome::NameTaken:
            return "the name was taken: " + detail;
        case DownloadOutcome::FileError:
            return detail;
        case DownloadOutcome::HttpStatus:
            return "the server answered " + detail;
        case DownloadOutcome::TransferError:
            return detail;
    }
    return detail;
}

void DownloadThreadProc(DownloadJob* job) {
    const Result result = Download(*job);
    job->outcome = result.outcome;
    job->detail = result.detail;
    job->httpStatus = result.httpStatus;
    if (!job->succeeded()) {
        DebugTraceFormat("URLDownloadToFile... %s\n", Describe(job->outcome, job->detail).c_str());
    }
    if (job->listener != nullptr) {
        job->listener->OnEnd(*job);
    }
}

}  // namespace bramix
