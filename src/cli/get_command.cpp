// bramix-cli get: downloads files through the same worker, queue and naming
// rules as the window's download list, one after another.

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <iostream>
#include <string>

#include "base/byte_size.h"
#include "base/code_page.h"
#include "cli/commands.h"
#include "download/disk_names.h"
#include "download/download_queue.h"
#include "download/task_loop.h"
#include "posts/media_resolution.h"
#include "results/find_line.h"

namespace bramix::cli {

namespace {

struct GetOptions {
    std::string folder;  // empty: the window's download folder
    int attempts = 3;
    std::vector<std::string> rest;
};

bool ParseOptions(int argc, char** argv, GetOptions& options) {
    for (int i = 0; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg.rfind("--dir=", 0) == 0 && arg.size() > 6) {
            options.folder = arg.substr(6);
        } else if (arg.rfind("--attempts=", 0) == 0) {
            char* end = nullptr;
            const long attempts = std::strtol(arg.c_str() + 11, &end, 10);
            if (end == arg.c_str() + 11 || *end != '\0' || attempts < 0 || attempts > 1000000) {
                std::fprintf(stderr, "bramix-cli get: bad %s\n", arg.c_str());
                return false;
            }
            options.attempts = static_cast<int>(attempts);
        } else if (arg.rfind("--", 0) == 0) {
            std::fprintf(stderr, "bramix-cli get: unknown option %s\n", arg.c_str());
            return false;
        } else {
            options.rest.push_back(arg);
        }
    }
    const bool fromInput = options.rest.size() == 1 && options.rest[0] == "-";
    if (options.rest.empty() || options.rest.size() > 2 || (!fromInput && options.rest[0] == "-")) {
        std::fputs("bramix-cli get: give one URL (and a name), or - to read search lines\n",
                   stderr);
        return false;
    }
    return true;
}

// The user's download folder, as desktops name it.
std::string UserDownloads() {
    if (const char* xdg = std::getenv("XDG_DOWNLOAD_DIR"); xdg != nullptr && xdg[0] == '/') {
        return xdg;
    }
    const char* home = std::getenv("HOME");
    return std::string(home != nullptr ? home : "/tmp") + "/Downloads";
}

// Per-file progress on a terminal: bytes so far, the total when known, speed.
class ProgressLine {
public:
    ProgressLine() : enabled_(isatty(STDERR_FILENO) != 0) {}

    void Show(const DownloadEntry& entry) {
        if (!enabled_) {
            return;
        }
        if (entry.fileName != current_ || entry.bytesSoFar < lastBytes_) {
            current_ = entry.fileName;
            started_ = std::chrono::steady_clock::now();
        }
        lastBytes_ = entry.bytesSoFar;
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - started_).count();
        const auto speed = static_cast<uint64_t>(seconds > 0.2 ? entry.bytesSoFar / seconds : 0);
        std::string line =
            AnsiToUtf8(entry.fileName) + ": " + AnsiToUtf8(FormatByteSize(entry.bytesSoFar));
        if (entry.bytesTotal > 0) {
            line += " / " + AnsiToUtf8(FormatByteSize(entry.bytesTotal));
        }
        if (speed > 0) {
            line += ", " + AnsiToUtf8(FormatByteSize(speed)) + "/s";
        }
        std::fprintf(stderr, "\r\033[K%s", line.c_str());
    }

    void Clear() {
        if (enabled_) {
            std::fputs("\r\033[K", stderr);
        }
    }

private:
    const bool enabled_;
    std::string current_;
    uint64_t lastBytes_ = 0;
    std::chrono::steady_clock::time_point started_;
};

struct Target {
    std::string url;
    std::string fileName;  // code page 949
};

std::vector<Target> ReadTargets(const GetOptions& options) {
    std::vector<Target> targets;
    if (options.rest[0] != "-") {
        const std::string& url = options.rest[0];
        std::string name =
            options.rest.size() == 2 ? Utf8ToAnsi(options.rest[1]) : FileNameFromLink(url);
        if (name.empty()) {
            name = "download";
        }
        targets.push_back({url, name});
        return targets;
    }
    std::string line;
    for (int number = 1; std::getline(std::cin, line); ++number) {
        if (const auto target = ParseFindLine(line)) {
            targets.push_back({target->fileUrl, target->fileName});
        } else if (!line.empty()) {
            std::fprintf(stderr, "bramix-cli get: line %d is not a search line; skipped\n", number);
        }
    }
    return targets;
}

}  // namespace

int RunGet(int argc, char** argv) {
    GetOptions options;
    if (!ParseOptions(argc, argv, options)) {
        std::fputs(kGetUsage, stderr);
        return kExitUsage;
    }
    std::string folder = options.folder;
    if (folder.empty()) {
        folder = DownloadFolder(ExecutablePath(), UserDownloads());
    } else {
        std::error_code ignored;
        std::filesystem::create_directories(folder, ignored);
    }
    const std::vector<Target> targets = ReadTargets(options);

    TaskLoop loop;
    ProgressLine progress;
    int givenUp = 0;
    DownloadQueue::Listener listener;
    DownloadQueue* queuePointer = nullptr;
    listener.entryChanged = [&](int row) {
        const DownloadEntry& entry = queuePointer->entries()[row];
        if (entry.state == DL_RUNNING) {
            progress.Show(entry);
        }
    };
    listener.entryFinished = [&](int row) {
        const DownloadEntry& entry = queuePointer->entries()[row];
        progress.Clear();
        if (entry.state == DL_DONE) {
            std::printf("%s\n", entry.savedPath.c_str());
            std::fflush(stdout);
        } else {
            ++givenUp;
            std::fprintf(stderr, "bramix-cli get: gave up on %s: %s\n", entry.fileUrl.c_str(),
                         entry.lastError.c_str());
        }
    };
    DownloadQueue queue(
        folder, [&loop](std::function<void()> work) { loop.Post(std::move(work)); }, listener);
    queuePointer = &queue;
    queue.SetMaxAttempts(options.attempts);
    for (const Target& target : targets) {
        queue.Add(target.fileName, "", target.url);
    }
    queue.RequestStart();

    bool stopping = false;
    for (;;) {
        loop.RunFor(std::chrono::milliseconds(50));
        if (Interrupted() && !stopping) {
            stopping = true;
            if (queue.downloading()) {
                queue.StartOrStop();  // its end removes the partial file
            }
        }
        if (!queue.downloading() && (stopping || !queue.hasQueued())) {
            loop.RunFor(std::chrono::milliseconds(0));
            if (!queue.downloading()) {
                break;
            }
        }
    }
    progress.Clear();
    if (stopping) {
        return kExitInterrupted;
    }
    return givenUp > 0 ? kExitGaveUp : kExitOk;
}

}  // namespace bramix::cli
