// bramix-cli search: runs one search job, exactly as the window's search
// button does, and prints a line per find.

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "base/code_page.h"
#include "base/text_helpers.h"
#include "cli/commands.h"
#include "results/find_line.h"
#include "results/results_list.h"
#include "search/search_job.h"

namespace bramix::cli {

namespace {

enum class Order { Arrival, List };

struct SearchOptions {
    Order order = Order::Arrival;
    bool matchedOnly = false;
    std::string text;  // code page 949, trimmed
};

bool ParseOptions(int argc, char** argv, SearchOptions& options) {
    std::string text;
    bool optionsEnded = false;
    for (int i = 0; i < argc; ++i) {
        const std::string arg = argv[i];
        if (!optionsEnded && arg == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && arg == "--order=arrival") {
            options.order = Order::Arrival;
        } else if (!optionsEnded && arg == "--order=list") {
            options.order = Order::List;
        } else if (!optionsEnded && arg == "--matched") {
            options.matchedOnly = true;
        } else if (!optionsEnded && arg.rfind("--", 0) == 0) {
            std::fprintf(stderr, "bramix-cli search: unknown option %s\n", arg.c_str());
            return false;
        } else {
            text += (text.empty() ? "" : " ") + arg;
        }
    }
    options.text = Utf8ToAnsi(text);
    TrimSpaces(options.text);
    if (options.text.empty()) {
        std::fputs("bramix-cli search: nothing to search for\n", stderr);
        return false;
    }
    return true;
}

// Receives the job's events on the search thread and writes what the options
// ask for.
class SearchPrinter {
public:
    explicit SearchPrinter(const SearchOptions& options)
        : options_(options), showProgress_(isatty(STDERR_FILENO) != 0) {
        list_.Start(options.text);
    }

    int OnEvent(int code, int value, intptr_t data) {
        std::lock_guard lock(mutex_);
        if (code == SEARCH_EV_POSITION) {
            position_ = value;
            DrawProgress();
        } else if (code == SEARCH_EV_FOUND) {
            const auto& found = FoundFileOf(data);
            ++finds_;
            if (options_.order == Order::Arrival) {
                Print(found, IsMatchingFind(options_.text, found));
            } else {
                const size_t row = list_.Insert(found);
                arrived_.insert(arrived_.begin() + static_cast<std::ptrdiff_t>(row), found);
            }
            DrawProgress();
        }
        return 0;
    }

    // After the job has ended: the list order, and the progress line cleared.
    void Finish() {
        std::lock_guard lock(mutex_);
        if (showProgress_) {
            std::fputs("\r\033[K", stderr);
        }
        for (size_t row = 0; row < arrived_.size(); ++row) {
            Print(arrived_[row], (list_.entries()[row].flags & RESULT_MATCHED) != 0);
        }
    }

private:
    void Print(const FoundFile& found, bool matched) {
        if (options_.matchedOnly && !matched) {
            return;
        }
        if (showProgress_) {
            std::fputs("\r\033[K", stderr);
        }
        const std::string line = FormatFindLine(found, matched) + "\n";
        std::fwrite(line.data(), 1, line.size(), stdout);
        std::fflush(stdout);
    }

    void DrawProgress() {
        if (showProgress_) {
            std::fprintf(stderr, "\r\033[Ksearching %d/%d, %d found", position_,
                         SEARCH_PROGRESS_MAX, finds_);
        }
    }

    const SearchOptions& options_;
    const bool showProgress_;
    std::mutex mutex_;
    int position_ = 0;
    int finds_ = 0;
    ResultsList list_;
    std::vector<FoundFile> arrived_;  // in list order, row for row
};

}  // namespace

int RunSearch(int argc, char** argv) {
    SearchOptions options;
    if (!ParseOptions(argc, argv, options)) {
        std::fputs(kSearchUsage, stderr);
        return kExitUsage;
    }
    SearchPrinter printer(options);
    SearchJob job;
    job.input = options.text;
    job.callback = [&printer](int code, int value, intptr_t data) {
        return printer.OnEvent(code, value, data);
    };
    std::thread worker(SearchThreadProc, &job);
    std::atomic<bool> ended{false};
    std::thread watcher([&] {
        // Turns an interrupt into the job's stop request.
        while (!ended) {
            if (Interrupted()) {
                job.stopFlag = 1;
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    });
    worker.join();
    ended = true;
    watcher.join();
    printer.Finish();
    return Interrupted() ? kExitInterrupted : kExitOk;
}

}  // namespace bramix::cli
