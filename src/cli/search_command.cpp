// bramix-cli search: runs one search job, exactly as the window's search
// button does, and prints a line per find.

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "base/code_page.h"
#include "base/text_helpers.h"
#include "cli/arguments.h"
#include "cli/commands.h"
#include "cli/help.h"
#include "cli/interrupt.h"
#include "cli/terminal.h"
#include "net/address.h"
#include "net/http_request.h"
#include "results/find_line.h"
#include "results/results_list.h"
#include "search/search_job.h"

namespace bramix::cli {

namespace {

using Clock = std::chrono::steady_clock;

// A stopped job ends within this, whatever it was waiting for.
constexpr std::chrono::milliseconds kLongestStop{450};

constexpr KnownOption kSearchOptions[] = {
    {"order", 'o', true},  {"matched", 'm', false}, {"format", 'f', true},
    {"quiet", 'q', false}, {"help", 'h', false},
};

struct SearchOptions {
    bool listOrder = false;
    bool matchedOnly = false;
    bool json = false;
    bool quiet = false;
    std::string text;  // code page 949, trimmed
};

// Listens to the job on the search thread and writes what the options ask
// for. The first write that fails (the reader went away) stops the job.
class SearchPrinter final : public SearchListener {
public:
    SearchPrinter(const SearchOptions& options, SearchJob& job)
        : options_(options), job_(job), status_(options.quiet) {}

    void OnPosition(int position, int /*maximum*/) override {
        std::lock_guard lock(mutex_);
        position_ = position;
        DrawStatus();
    }

    void OnFound(const FoundFile& found) override {
        std::lock_guard lock(mutex_);
        const bool matched = IsMatchingFind(term_, found);
        ++finds_;
        matching_ += matched ? 1 : 0;
        if (!options_.listOrder) {
            Print(found, matched);
        } else {
            arrived_.push_back({found, matched, ListPlace::Of(EntryOf(found, matched))});
        }
        DrawStatus();
    }

    void OnEnd() override {
        std::lock_guard lock(mutex_);
        ended_ = 1;
    }

    // After the job has ended: the list order, and the summary.
    void Finish(Clock::duration elapsed) {
        std::lock_guard lock(mutex_);
        std::stable_sort(arrived_.begin(), arrived_.end(), [](const Arrived& a, const Arrived& b) {
            return GoesAbove(a.place, b.place);
        });
        for (size_t row = 0; row < arrived_.size() && writeError_ == 0; ++row) {
            Print(arrived_[row].found, arrived_[row].matched);
        }
        if (writeError_ != 0) {
            status_.Clear();
            return;
        }
        char summary[96];
        std::snprintf(summary, sizeof summary, "%d finds, %d matching, %.1f s", finds_, matching_,
                      std::chrono::duration<double>(elapsed).count());
        status_.Keep();  // the progress line stays, at 130/130
        status_.Show("", summary);
        status_.Keep();
    }

    // The errno of the write that failed, or 0.
    int writeError() {
        std::lock_guard lock(mutex_);
        return writeError_;
    }
    // Set by the end event; the main thread waits on it with the one
    // interruptible wait, as a worker waits on its stop.
    const StopFlag& ended() const { return ended_; }

private:
    void Print(const FoundFile& found, bool matched) {
        if ((options_.matchedOnly && !matched) || writeError_ != 0) {
            return;
        }
        status_.Clear();
        // The addresses as they were asked for: a page's bytes that are not
        // text in code page 949 (UTF-8, say) would not survive conversion.
        FoundFile shown = found;
        shown.pageUrl = EscapeForRequest(found.pageUrl);
        shown.fileUrl = EscapeForRequest(found.fileUrl);
        const std::string line =
            (options_.json ? FormatFindJson(shown, matched) : FormatFindLine(shown, matched)) +
            "\n";
        if (std::fwrite(line.data(), 1, line.size(), stdout) != line.size() ||
            std::fflush(stdout) != 0) {
            // The first failed write ends the search: a reader that went away
            // (a pipe's EPIPE) quietly, anything else as an error.
            writeError_ = errno;
            job_.stopFlag = 1;
        }
    }

    void DrawStatus() {
        if (status_.enabled()) {
            const std::string text = "searching " + std::to_string(position_) + "/" +
                                     std::to_string(SEARCH_PROGRESS_MAX) + ", " +
                                     std::to_string(finds_) + " found";
            status_.Show("", text);
        }
    }

    const SearchOptions& options_;
    const SearchTerm term_{options_.text};
    SearchJob& job_;
    StatusLine status_;
    std::mutex mutex_;
    int position_ = 0;
    int finds_ = 0;
    int matching_ = 0;
    int writeError_ = 0;
    StopFlag ended_{0};
    struct Arrived {
        FoundFile found;
        bool matched;
        ListPlace place;
    };
    std::vector<Arrived> arrived_;  // for the list order, sorted at the end
};

// One line per service whose requests failed, for the user to see why a
// search found little or nothing.
void ReportFailures(const SearchStats& stats) {
    for (int i = 0; i < kSearchServiceCount; ++i) {
        const SearchStats::Requests& requests = stats.services[static_cast<size_t>(i)];
        if (requests.failed > 0) {
            std::fprintf(stderr, "bramix-cli search: %s: %d of %d requests failed (first: %s)\n",
                         ServiceName(static_cast<SearchService>(i)), requests.failed, requests.made,
                         Printable(AnsiToUtf8(requests.firstError)).c_str());
        }
    }
}

// Reads the command line into `options`; an exit status when the command ends
// there (its help, or a usage error).
std::optional<int> ReadOptions(std::span<char* const> args, SearchOptions& options) {
    std::string error;
    const auto parsed = Arguments::Parse(args, kSearchOptions, error);
    if (!parsed) {
        return UsageError("search", error);
    }
    if (parsed->Has("help")) {
        std::fputs(kSearchHelp, stdout);
        return kExitOk;
    }
    if (const auto order = parsed->Value("order")) {
        if (*order != "arrival" && *order != "list") {
            return UsageError("search",
                              "--order takes arrival or list, not '" + Printable(*order) + "'");
        }
        options.listOrder = *order == "list";
    }
    if (const auto format = parsed->Value("format")) {
        if (*format != "tsv" && *format != "json") {
            return UsageError("search",
                              "--format takes tsv or json, not '" + Printable(*format) + "'");
        }
        options.json = *format == "json";
    }
    options.matchedOnly = parsed->Has("matched");
    options.quiet = parsed->Has("quiet");
    std::string text;
    for (const std::string& word : parsed->operands()) {
        text += (text.empty() ? "" : " ") + word;
    }
    options.text = Utf8ToAnsi(text);
    TrimSpaces(options.text);
    if (options.text.empty()) {
        return UsageError("search", "nothing to search for");
    }
    return std::nullopt;
}

// Runs the job on a thread of its own until its end event, and how long that
// took.
Clock::duration RunJob(SearchJob& job, const SearchPrinter& printer) {
    const auto started = Clock::now();
    std::thread worker(SearchThreadProc, &job);
    // Until the end event, an interrupt becomes the job's stop request.
    std::optional<Clock::time_point> interrupted;
    while (WaitUnlessStopped(printer.ended(), std::chrono::milliseconds(20))) {
        if (!Interrupted()) {
            continue;
        }
        job.stopFlag = 1;
        if (!interrupted) {
            interrupted = Clock::now();
        } else if (Clock::now() - *interrupted > kLongestStop) {
            // Only a write its reader does not take (a pager held still) keeps
            // a stopped job this long: what it holds can never be written.
            std::_Exit(kExitInterrupted);
        }
    }
    worker.join();
    return Clock::now() - started;
}

}  // namespace

int RunSearch(std::span<char* const> args) {
    SearchOptions options;
    if (const std::optional<int> status = ReadOptions(args, options)) {
        return *status;
    }
    SearchJob job;
    job.input = options.text;
    SearchPrinter printer(options, job);
    job.listener = &printer;
    printer.Finish(RunJob(job, printer));
    if (printer.writeError() == EPIPE) {
        return kExitReaderGone;
    }
    if (printer.writeError() != 0) {
        std::fprintf(stderr, "bramix-cli search: cannot write the finds: %s\n",
                     std::strerror(printer.writeError()));
        return kExitWriteError;
    }
    ReportFailures(job.stats);
    if (Interrupted()) {
        return kExitInterrupted;
    }
    if (job.stats.NothingAsked()) {
        // Not an error, but an empty answer the user should not have to guess.
        std::fprintf(stderr, "bramix-cli search: nothing was asked: %s\n",
                     ParseAddress(options.text)
                         ? "only http:// addresses of blog posts are read"
                         : "no word is left to search for once words like mp3 are taken out");
    }
    return job.stats.NothingRead() ? kExitUnreachable : kExitOk;
}

}  // namespace bramix::cli
