#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string_view>

#include "base/debug_trace.h"
#include "base/text_helpers.h"
#include "base/tick_count.h"
#include "download/disk_names.h"
#include "download/download_job.h"
#include "download/partial_file.h"
#include "net/curl_handles.h"
#include "net/header_line.h"
#include "net/http_request.h"

namespace bramix {

namespace {

constexpr long kMaxRedirects = 10;
// Large reads mean fewer write calls: on a fast link the default 16 KiB
// costs half the throughput.
constexpr long kReceiveBuffer = 512 * 1024;
// How long the transfer may wait on the network before it looks at its stop
// flag.
constexpr int kPollMs = 100;

struct Result {
    DownloadOutcome outcome;
    std::string detail;
};

// A decimal number of bytes; a number too large for 64 bits reads as the
// largest, which no transfer can match.
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

// What the final answer's headers said.
struct Answer {
    long status = 0;
    std::optional<uint64_t> length;  // Content-Length, when announced
    std::optional<uint64_t> rangeStart;
    std::optional<uint64_t> wholeSize;  // of an unsatisfiable range
    std::string etag;
    std::string lastModified;
    std::string disposition;

    void Header(std::string_view name, std::string_view value) {
        if (EqualsIgnoringCase(name, "Content-Length")) {
            length = ParseByteCount(value);
        } else if (EqualsIgnoringCase(name, "Content-Range")) {
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
        easy_.reset(curl_easy_init());
        multi_.reset(curl_multi_init());
        if (!easy_ || !multi_) {
            return {DownloadOutcome::TransferError, "cannot start a transfer"};
        }
        CURL* easy = easy_.get();
        RequestSettings settings;
        settings.protocols = "http,https";
        settings.connectTimeout = job_.connectTimeout;
        settings.stallLimit = job_.stallLimit;
        ConfigureRequest(easy, job_.url, settings, errorBuffer_);
        curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, settings.protocols);
        curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
        curl_easy_setopt(easy, CURLOPT_MAXREDIRS, kMaxRedirects);
        curl_easy_setopt(easy, CURLOPT_BUFFERSIZE, kReceiveBuffer);
        curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &Transfer::OnHeader);
        curl_easy_setopt(easy, CURLOPT_HEADERDATA, this);
        curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &Transfer::OnBody);
        curl_easy_setopt(easy, CURLOPT_WRITEDATA, this);
        curl_easy_setopt(easy, CURLOPT_NOPROGRESS, 0L);
        curl_easy_setopt(easy, CURLOPT_XFERINFOFUNCTION, &Transfer::OnProgress);
        curl_easy_setopt(easy, CURLOPT_XFERINFODATA, this);
        if (const auto taken = TakeOurPart()) {
            return *taken;
        }
        curl_easy_setopt(easy, CURLOPT_HTTPHEADER, requestHeaders_.get());

        const std::optional<CURLcode> code = Perform();
        if (!code) {
            return {DownloadOutcome::Stopped, {}};
        }
        if (*code == CURLE_TOO_MANY_REDIRECTS || *code == CURLE_UNSUPPORTED_PROTOCOL ||
            *code == CURLE_URL_MALFORMAT) {
            // A redirect libcurl would not follow (a loop, another scheme):
            // its message says why, the status would not.
            return {DownloadOutcome::TransferError, TransferErrorMessage(*code, errorBuffer_)};
        }
        if (!begun_ && answer_.status != 0) {
            accepted_ = Begin();  // an answer without a body: judged at its end
        }
        if (partIsWhole_) {
            return TakeTheName();
        }
        if (failure_) {
            return *failure_;
        }
        if (*code != CURLE_OK) {
            return {DownloadOutcome::TransferError, TransferErrorMessage(*code, errorBuffer_)};
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
        AppendHeader(requestHeaders_, ("Range: bytes=" + std::to_string(offset_) + "-").c_str());
        AppendHeader(requestHeaders_, ("If-Range: " + job_.validator).c_str());
        return std::nullopt;
    }

    // Drives the transfer, looking at the stop flag between short waits.
    // Empty when the stop ended it.
    std::optional<CURLcode> Perform() {
        CURLM* multi = multi_.get();
        CURL* easy = easy_.get();
        if (curl_multi_add_handle(multi, easy) != CURLM_OK) {
            return CURLE_FAILED_INIT;
        }
        // A transfer that ended stays ended, whatever stop comes after it.
        std::optional<CURLcode> result;
        while (!result && !IsStopped(job_.stopFlag)) {
            int running = 0;
            if (curl_multi_perform(multi, &running) != CURLM_OK) {
                result = CURLE_FAILED_INIT;
                break;
            }
            int queued = 0;
            while (CURLMsg* message = curl_multi_info_read(multi, &queued)) {
                if (message->msg == CURLMSG_DONE) {
                    result = message->data.result;
                }
            }
            if (!result) {
                curl_multi_poll(multi, nullptr, 0, kPollMs, nullptr);
            }
        }
        curl_multi_remove_handle(multi, easy);
        if (result == CURLE_ABORTED_BY_CALLBACK) {
            return std::nullopt;  // OnProgress saw the stop before this loop did
        }
        return result;
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
                    "206 not the rest from byte " + std::to_string(offset_) + " of this version"};
        }
        return {DownloadOutcome::HttpStatus, std::to_string(answer_.status)};
    }

    // At the first byte of the body (or at its end, for an empty one): the
    // answer is judged, the name decided and the .part opened.
    bool Begin() {
        begun_ = true;
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

    static size_t OnHeader(char* data, size_t size, size_t count, void* user) {
        auto* self = static_cast<Transfer*>(user);
        const size_t total = size * count;
        const HeaderLine line = ParseHeaderLine(std::string_view(data, total));
        if (line.kind == HeaderLine::Kind::Status) {
            // A new answer (after a redirect or a 1xx): only the last one counts.
            self->answer_ = Answer{};
            self->answer_.status = line.status;
        } else if (line.kind == HeaderLine::Kind::Field) {
            self->answer_.Header(line.name, line.value);
        }
        return total;
    }

    static size_t OnBody(char* data, size_t size, size_t count, void* user) {
        auto* self = static_cast<Transfer*>(user);
        const size_t total = size * count;
        if (!self->begun_) {
            self->accepted_ = self->Begin();
        }
        if (!self->accepted_) {
            return 0;  // the body of an answer that is not the file
        }
        for (size_t written = 0; written < total;) {
            const ssize_t n = write(self->fd_, data + written, total - written);
            if (n < 0) {
                if (errno == EINTR) {
                    continue;
                }
                self->failure_ = Result{DownloadOutcome::FileError,
                                        PartPathOf(self->job_.path) + ": " + std::strerror(errno)};
                return 0;
            }
            written += static_cast<size_t>(n);
        }
        self->written_ += total;
        return total;
    }

    // Every notification is a chance to stop; one that finds new bytes in the
    // file is a progress report.
    static int OnProgress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
        auto* self = static_cast<Transfer*>(user);
        if (IsStopped(self->job_.stopFlag)) {
            return 1;
        }
        const uint64_t inFile = self->offset_ + self->written_;
        if (self->accepted_ && inFile > self->reported_) {
            self->reported_ = inFile;
            const Answer& answer = self->answer_;
            const bool knowsTotal = answer.length && *answer.length != UINT64_MAX;
            const uint64_t total = knowsTotal ? self->offset_ + *answer.length : 0;
            if (self->job_.listener != nullptr) {
                self->job_.listener->OnProgress(inFile, total);
            }
        }
        return 0;
    }

    DownloadJob& job_;
    CurlEasy easy_;
    CurlMulti multi_;
    CurlHeaderList requestHeaders_;
    char errorBuffer_[CURL_ERROR_SIZE] = {};
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
    if (!job->succeeded()) {
        DebugTraceFormat("URLDownloadToFile... %s\n", Describe(job->outcome, job->detail).c_str());
    }
    if (job->listener != nullptr) {
        job->listener->OnEnd(*job);
    }
}

}  // namespace bramix
