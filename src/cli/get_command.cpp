// bramix-cli get: downloads files through the same worker, queue and naming
// rules as the window's download list, one after another.

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "base/byte_size.h"
#include "base/code_page.h"
#include "base/text_helpers.h"
#include "cli/arguments.h"
#include "cli/commands.h"
#include "cli/help.h"
#include "cli/interrupt.h"
#include "cli/line_reader.h"
#include "cli/terminal.h"
#include "download/disk_names.h"
#include "download/download_plan.h"
#include "download/download_queue.h"
#include "download/task_loop.h"
#include "net/address.h"
#include "net/http_request.h"
#include "posts/media_names.h"
#include "results/find_line.h"

namespace bramix::cli {

namespace {

constexpr KnownOption kGetOptions[] = {
    {"dir", 'd', true},
    {"attempts", 'n', true},
    {"quiet", 'q', false},
    {"help", 'h', false},
};

constexpr int kDefaultAttempts = 3;

constexpr long kMostAttempts = 1000000;

// An http:// or https:// address that libcurl can ask for, and nothing in it
// that no address holds: control bytes.
bool IsDownloadAddress(const std::string& text) {
    if (std::any_of(text.begin(), text.end(),
                    [](char c) { return IsControlByte(static_cast<unsigned char>(c)); })) {
        return false;
    }
    const auto parsed = ParseAddress(text);
    return parsed &&
           (parsed->service == ServiceType::Http || parsed->service == ServiceType::Https) &&
           IsRequestableAddress(text);
}

// The folder as a full path, without a trailing '/': the saved files' paths
// are printed whole, whatever was typed. ".." stays, as a link may lead it
// elsewhere than its text says.
std::string FullFolderPath(const std::string& folder) {
    std::error_code error;
    std::filesystem::path full = std::filesystem::absolute(folder, error);
    if (error) {
        return folder;
    }
    if (std::find(full.begin(), full.end(), "..") == full.end()) {
        full = full.lexically_normal();
    }
    std::string text = full.string();
    while (text.size() > 1 && text.back() == '/') {
        text.pop_back();
    }
    return text;
}

// The longest line of a list, and the longest address, typed or listed:
// what is longer is no address, and the list is read with little memory.
constexpr size_t kLongestLine = size_t{64} * 1024;
constexpr size_t kLongestAddress = size_t{8} * 1024;

// An address typed or listed in UTF-8, and the name to save under (empty:
// the server's, else the address's).
DownloadEntry TypedEntry(const std::string& url, const std::string& name) {
    const bool naverLink = IsNaverLink(url, "");
    return EntryForAddress(url, name, Utf8FileNameFromLink(url),
                           [naverLink](const std::string& disposition) {
                               return AnsiToUtf8(NameFromDisposition(disposition, naverLink));
                           });
}

// One line of a list: a find's line (TSV or JSON), or an address with an
// optional TAB and name. Empty, with what is wrong in `problem`, otherwise.
std::optional<DownloadEntry> EntryOfLine(const std::string& line, std::string& problem) {
    if (const auto find = ParseFindLine(line)) {
        if (find->fileUrl.size() > kLongestAddress) {
            problem = "holds an address longer than 8 KiB";
            return std::nullopt;
        }
        if (IsDownloadAddress(find->fileUrl)) {
            return EntryForFind(find->fileName, "", find->fileUrl);
        }
    }
    const size_t tab = line.find('\t');
    const std::string address = line.substr(0, tab);
    const std::string name = tab == std::string::npos ? "" : line.substr(tab + 1);
    if (address.size() > kLongestAddress) {
        problem = "holds an address longer than 8 KiB";
        return std::nullopt;
    }
    if (IsDownloadAddress(address) && name.find('\t') == std::string::npos) {
        return TypedEntry(address, name);
    }
    problem =
        "is neither a line of bramix-cli search nor an address: " + Printable(line.substr(0, 80));
    return std::nullopt;
}

// The entries of the lines of standard input. Every line that names none is
// reported and counted, and so is input that cannot be read.
std::vector<DownloadEntry> ReadList(int& badLines) {
    constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";  // an editor's
    std::vector<DownloadEntry> entries;
    LineReader reader(kLongestLine);
    std::string line;
    std::string problem;
    for (int number = 1;; ++number) {
        const LineReader::Read read = reader.Next(line);
        if (read == LineReader::Read::TooLong) {
            problem = "is longer than 64 KiB";
        } else if (read != LineReader::Read::Line) {
            break;
        } else {
            if (!line.empty() && line.back() == '\r') {
                line.pop_back();
            }
            if (number == 1 && line.starts_with(kByteOrderMark)) {
                line.erase(0, kByteOrderMark.size());
            }
            if (line.find_first_not_of(" \t") == std::string::npos || line[0] == '#') {
                continue;
            }
            if (auto entry = EntryOfLine(line, problem)) {
                entries.push_back(std::move(*entry));
                continue;
            }
        }
        std::fprintf(stderr, "bramix-cli get: line %d %s\n", number, problem.c_str());
        ++badLines;
    }
    if (reader.error() != 0) {
        std::fprintf(stderr, "bramix-cli get: cannot read the list: %s\n",
                     std::strerror(reader.error()));
        ++badLines;
    }
    return entries;
}

// "3.10 MB / 9.79 MB  31%  1.20 MB/s  6 s left", as much of it as is known.
std::string ProgressDetails(const DownloadEntry& entry) {
    std::string text = FormatByteSizeInEnglish(entry.bytesSoFar);
    if (entry.bytesTotal > 0) {
        text += " / " + FormatByteSizeInEnglish(entry.bytesTotal);
        text += "  " + std::to_string(entry.bytesSoFar * 100 / entry.bytesTotal) + "%";
    }
    if (const uint64_t speed = entry.rate.BytesPerSecond(); speed > 0) {
        text += "  " + FormatByteSizeInEnglish(speed) + "/s";
    }
    if (const auto left = entry.rate.SecondsLeft(entry.bytesTotal)) {
        text += "  " + std::to_string(*left) + " s left";
    }
    return text;
}

// What `get` was asked, once its arguments are understood.
struct GetRequest {
    int attempts = kDefaultAttempts;
    std::string folder;
    bool quiet = false;
    bool fromInput = false;
    std::string url;  // typed, without "-"
    std::string name;
};

// --attempts: a number from 0 to kMostAttempts, in plain digits.
std::optional<int> ParseAttempts(const std::string& value) {
    const bool digits = !value.empty() && value.size() <= 7 &&
                        value.find_first_not_of("0123456789") == std::string::npos;
    const long number = digits ? std::strtol(value.c_str(), nullptr, 10) : -1;
    if (number < 0 || number > kMostAttempts) {
        return std::nullopt;
    }
    return static_cast<int>(number);
}

// Fills `request` from the arguments; the exit status when the command ends
// here (help, a usage error).
std::optional<int> ReadArguments(std::span<char* const> args, GetRequest& request) {
    std::string error;
    const auto parsed = Arguments::Parse(args, kGetOptions, error);
    if (!parsed) {
        return UsageError("get", error);
    }
    if (parsed->Has("help")) {
        std::fputs(kGetHelp, stdout);
        return kExitOk;
    }
    if (const auto value = parsed->Value("attempts")) {
        const auto attempts = ParseAttempts(*value);
        if (!attempts) {
            return UsageError("get", "--attempts takes a number from 0 to " +
                                         std::to_string(kMostAttempts) + ", not '" +
                                         Printable(*value) + "'");
        }
        request.attempts = *attempts;
    }
    const std::vector<std::string>& operands = parsed->operands();
    request.fromInput = operands.size() == 1 && operands[0] == "-";
    if (operands.empty() || operands.size() > 2 || (!request.fromInput && operands[0] == "-")) {
        return UsageError("get", "give one address (and a name), or - to read a list");
    }
    if (!request.fromInput && operands[0].size() > kLongestAddress) {
        return UsageError("get", "an address longer than 8 KiB: '" + Printable(operands[0]) + "'");
    }
    if (!request.fromInput && !IsDownloadAddress(operands[0])) {
        return UsageError("get",
                          "not an http:// or https:// address: '" + Printable(operands[0]) + "'");
    }
    const std::optional<std::string> dir = parsed->Value("dir");
    if (dir && dir->empty()) {
        return UsageError("get", "--dir needs a folder");
    }
    request.folder = FullFolderPath(dir ? *dir : DownloadFolder(ExecutablePath()));
    request.quiet = parsed->Has("quiet");
    if (!request.fromInput) {
        request.url = operands[0];
        request.name = operands.size() == 2 ? operands[1] : "";
    }
    return std::nullopt;
}

// How the downloads went.
struct GetOutcome {
    bool interrupted = false;
    int givenUp = 0;
    int writeError = 0;  // of the saved files' paths
};

// Shows the running download's progress, and prints each saved file's path
// or why it was given up.
DownloadQueue::Listener Reporter(const DownloadQueue*& queue, StatusLine& status,
                                 GetOutcome& outcome) {
    DownloadQueue::Listener listener;
    listener.entryChanged = [&queue, &status](int row) {
        const DownloadEntry& entry = queue->entries()[row];
        if (entry.state == DownloadState::Running) {
            status.Show(FileNameOf(entry.path), ProgressDetails(entry));
        }
    };
    listener.entryFinished = [&queue, &status, &outcome](int row) {
        const DownloadEntry& entry = queue->entries()[row];
        status.Clear();
        if (entry.state != DownloadState::Done) {
            ++outcome.givenUp;
            std::fprintf(stderr, "bramix-cli get: gave up on %s: %s\n",
                         Printable(entry.fileUrl).c_str(),
                         Printable(Describe(entry.failure, entry.failureDetail)).c_str());
            return;
        }
        // A path that cannot be written is a file its user cannot find.
        if ((std::printf("%s\n", entry.path.c_str()) < 0 || std::fflush(stdout) != 0) &&
            outcome.writeError == 0) {
            outcome.writeError = errno;
            std::fprintf(stderr, "bramix-cli get: cannot write the saved files' paths: %s\n",
                         std::strerror(outcome.writeError));
        }
    };
    return listener;
}

// Downloads the entries one after another until they are done or given up,
// or an interrupt stops the one that runs (its .part stays for the next run).
GetOutcome DownloadAll(std::vector<DownloadEntry> entries, const GetRequest& request) {
    TaskLoop loop;
    StatusLine status(request.quiet);
    GetOutcome outcome;
    const DownloadQueue* shown = nullptr;
    DownloadQueue downloads(
        request.folder, [&loop](std::function<void()> work) { loop.Post(std::move(work)); },
        Reporter(shown, status, outcome));
    shown = &downloads;
    downloads.SetMaxAttempts(request.attempts);
    for (DownloadEntry& entry : entries) {
        downloads.Add(std::move(entry));
    }
    downloads.RequestStart();

    for (;;) {
        loop.RunFor(std::chrono::milliseconds(50));
        if (Interrupted() && !outcome.interrupted) {
            outcome.interrupted = true;
            if (downloads.downloading()) {
                downloads.StartOrStop();
            }
        }
        if (!downloads.downloading() && (outcome.interrupted || !downloads.hasQueued())) {
            loop.RunFor(std::chrono::milliseconds(0));
            if (!downloads.downloading()) {
                break;
            }
        }
    }
    status.Clear();
    return outcome;
}

}  // namespace

int RunGet(std::span<char* const> args) {
    GetRequest request;
    if (const auto exit = ReadArguments(args, request)) {
        return *exit;
    }
    if (!MakeFolder(request.folder)) {
        std::fprintf(stderr, "bramix-cli get: cannot make the folder %s: %s\n",
                     Printable(request.folder).c_str(), std::strerror(errno));
        return kExitGaveUp;
    }
    int badLines = 0;
    std::vector<DownloadEntry> entries;
    if (request.fromInput) {
        entries = ReadList(badLines);
        if (Interrupted()) {
            return kExitInterrupted;
        }
    } else {
        entries.push_back(TypedEntry(request.url, request.name));
    }
    for (DownloadEntry& entry : entries) {
        TakeUpEarlierPart(entry, request.folder);
    }

    const GetOutcome outcome = DownloadAll(std::move(entries), request);
    if (outcome.interrupted) {
        return kExitInterrupted;
    }
    if (outcome.writeError != 0) {
        return kExitWriteError;
    }
    return outcome.givenUp > 0 || badLines > 0 ? kExitGaveUp : kExitOk;
}

}  // namespace bramix::cli
