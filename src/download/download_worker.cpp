#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <optional>

#include "base/debug_trace.h"
#include "download/download_job.h"
#include "net/curl_handles.h"
#include "net/http_request.h"

namespace bramix {

namespace {

constexpr long kMaxRedirects = 10;
// Large reads mean fewer write calls: on a fast link the default 16 KiB
// costs half the throughput.
constexpr long kReceiveBuffer = 512 * 1024;
// A file server is given more time to answer than a search page.
constexpr std::chrono::seconds kConnectTimeout{30};

struct Result {
    DownloadOutcome outcome;
    std::string detail;
};

// The state of one transfer, shared with libcurl's callbacks.
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
        if (!easy_) {
            return {DownloadOutcome::TransferError, "cannot start a transfer"};
        }
        char errorBuffer[CURL_ERROR_SIZE] = {};
        RequestSettings settings;
        settings.protocols = "http,https";
        settings.connectTimeout = kConnectTimeout;
        settings.stallLimit = job_.stallLimit;
        CURL* easy = easy_.get();
        ConfigureRequest(easy, job_.url, settings, errorBuffer);
        curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, settings.protocols);
        curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
        curl_easy_setopt(easy, CURLOPT_MAXREDIRS, kMaxRedirects);
        curl_easy_setopt(easy, CURLOPT_BUFFERSIZE, kReceiveBuffer);
        curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &Transfer::OnBody);
        curl_easy_setopt(easy, CURLOPT_WRITEDATA, this);
        curl_easy_setopt(easy, CURLOPT_NOPROGRESS, 0L);
        curl_easy_setopt(easy, CURLOPT_XFERINFOFUNCTION, &Transfer::OnProgress);
        curl_easy_setopt(easy, CURLOPT_XFERINFODATA, this);
        const CURLcode code = curl_easy_perform(easy);
        long status = 0;
        curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &status);

        if (IsStopped(job_.stopFlag)) {
            return {DownloadOutcome::Stopped, {}};
        }
        if (fileFailure_) {
            return *fileFailure_;
        }
        if (status >= 400) {
            return {DownloadOutcome::HttpStatus, std::to_string(status)};
        }
        if (code != CURLE_OK) {
            return {DownloadOutcome::TransferError, TransferErrorMessage(code, errorBuffer)};
        }
        // An empty body still makes a file, as the server meant one.
        if (fd_ < 0 && !OpenFile()) {
            return *fileFailure_;
        }
        return {DownloadOutcome::Saved, {}};
    }

private:
    bool OpenFile() {
        fd_ = open(job_.path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd_ < 0) {
            const int error = errno;
            fileFailure_ =
                Result{error == EEXIST ? DownloadOutcome::NameTaken : DownloadOutcome::FileError,
                       job_.path + ": " + std::strerror(error)};
            return false;
        }
        job_.createdFile = true;
        return true;
    }

    static size_t OnBody(char* data, size_t size, size_t count, void* user) {
        auto* self = static_cast<Transfer*>(user);
        const size_t total = size * count;
        if (self->fd_ < 0) {
            // The body of an error answer is not the file.
            long status = 0;
            curl_easy_getinfo(self->easy_.get(), CURLINFO_RESPONSE_CODE, &status);
            if (status >= 400 || !self->OpenFile()) {
                return 0;
            }
        }
        for (size_t written = 0; written < total;) {
            const ssize_t n = write(self->fd_, data + written, total - written);
            if (n < 0) {
                if (errno == EINTR) {
                    continue;
                }
                self->fileFailure_ = Result{DownloadOutcome::FileError,
                                            self->job_.path + ": " + std::strerror(errno)};
                return 0;
            }
            written += static_cast<size_t>(n);
        }
        return total;
    }

    // Every notification is a chance to stop; one that brings new bytes is a
    // progress report.
    static int OnProgress(void* user, curl_off_t total, curl_off_t now, curl_off_t, curl_off_t) {
        auto* self = static_cast<Transfer*>(user);
        if (IsStopped(self->job_.stopFlag)) {
            return 1;
        }
        // Bytes count once they go into the file: an error answer's body or a
        // file that cannot be made is no progress.
        if (self->fd_ >= 0 && now > self->reported_) {
            self->reported_ = now;
            if (self->job_.callback) {
                self->job_.callback(DOWNLOAD_EV_PROGRESS, static_cast<uint64_t>(now),
                                    static_cast<intptr_t>(total));
            }
        }
        return 0;
    }

    DownloadJob& job_;
    CurlEasy easy_;
    int fd_ = -1;
    curl_off_t reported_ = 0;
    std::optional<Result> fileFailure_;
};

Result Download(DownloadJob& job) {
    if (!WaitUnlessStopped(job.stopFlag, job.retryPause)) {
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

int DownloadThreadProc(DownloadJob* job) {
    const Result result = Download(*job);
    job->outcome = result.outcome;
    job->detail = result.detail;
    if (!job->succeeded()) {
        DebugTraceFormat("URLDownloadToFile... %s\n", Describe(job->outcome, job->detail).c_str());
    }
    if (job->callback) {
        job->callback(DOWNLOAD_EV_END, 0, reinterpret_cast<intptr_t>(job));
    }
    return 0;
}

}  // namespace bramix
