#include <curl/curl.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <thread>

#include "download/download_job.h"
#include "search/debug_trace.h"
#include "search/page_fetcher.h"

namespace bramix {

namespace {

constexpr long kMaxRedirects = 10;
// Large reads mean fewer write calls: on a fast link the default 16 KiB
// costs half the throughput.
constexpr long kReceiveBuffer = 512 * 1024;

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

    // Runs the transfer; fills the job's error on failure.
    bool Run() {
        CURL* easy = curl_easy_init();
        easy_ = easy;
        if (easy == nullptr) {
            job_.error = "cannot start a transfer";
            return false;
        }
        char errorBuffer[CURL_ERROR_SIZE] = {};
        curl_easy_setopt(easy, CURLOPT_URL, job_.url.c_str());
        curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
        curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
        curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
        curl_easy_setopt(easy, CURLOPT_MAXREDIRS, kMaxRedirects);
        curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(easy, CURLOPT_USERAGENT, kUserAgent);
        curl_easy_setopt(easy, CURLOPT_BUFFERSIZE, kReceiveBuffer);
        curl_easy_setopt(easy, CURLOPT_LOW_SPEED_LIMIT, 1L);
        curl_easy_setopt(easy, CURLOPT_LOW_SPEED_TIME, static_cast<long>(job_.stallLimit.count()));
        curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, errorBuffer);
        curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &Transfer::OnBody);
        curl_easy_setopt(easy, CURLOPT_WRITEDATA, this);
        curl_easy_setopt(easy, CURLOPT_NOPROGRESS, 0L);
        curl_easy_setopt(easy, CURLOPT_XFERINFOFUNCTION, &Transfer::OnProgress);
        curl_easy_setopt(easy, CURLOPT_XFERINFODATA, this);
        const CURLcode result = curl_easy_perform(easy);
        long status = 0;
        curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &status);
        curl_easy_cleanup(easy);

        if (job_.stopFlag.load() != 0) {
            job_.error = "stopped";
            return false;
        }
        if (!fileError_.empty()) {
            job_.error = fileError_;
            return false;
        }
        if (status >= 400) {
            job_.error = "the server answered " + std::to_string(status);
            return false;
        }
        if (result != CURLE_OK) {
            job_.error = TransferErrorMessage(result, errorBuffer);
            return false;
        }
        // An empty body still makes a file, as the server meant one.
        return fd_ >= 0 || OpenFile();
    }

private:
    bool OpenFile() {
        fd_ = open(job_.path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd_ < 0) {
            job_.pathTaken = errno == EEXIST;
            fileError_ = job_.path + ": " + std::strerror(errno);
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
            curl_easy_getinfo(self->easy_, CURLINFO_RESPONSE_CODE, &status);
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
                self->fileError_ = self->job_.path + ": " + std::strerror(errno);
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
        if (self->job_.stopFlag.load() != 0) {
            self->job_.error = "stopped";
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
    CURL* easy_ = nullptr;
    int fd_ = -1;
    curl_off_t reported_ = 0;
    std::string fileError_;
};

// True when the pause ran out, false when a stop cut it short.
bool WaitOutPause(const DownloadJob& job) {
    const auto until = std::chrono::steady_clock::now() + job.retryPause;
    while (std::chrono::steady_clock::now() < until) {
        if (job.stopFlag.load() != 0) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return job.stopFlag.load() == 0;
}

}  // namespace

int DownloadThreadProc(DownloadJob* job) {
    bool ok = false;
    if (WaitOutPause(*job)) {
        Transfer transfer(*job);
        ok = transfer.Run();
    } else {
        job->error = "stopped";
    }
    if (!ok) {
        DebugTraceFormat("URLDownloadToFile... %s\n", job->error.c_str());
    }
    job->succeeded = ok ? 1 : 0;
    if (job->callback) {
        job->callback(DOWNLOAD_EV_END, 0, reinterpret_cast<intptr_t>(job));
    }
    return 0;
}

}  // namespace bramix
