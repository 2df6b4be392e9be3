// bramix-cli get: downloads files through the same worker, queue and naming
// rules as the window's download list, one after another.

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "base/byte_size.h"
#include "base/code_page.h"
#include "cli/arguments.h"
#include "cli/commands.h"
#include "cli/help.h"
#include "cli/interrupt.h"
#include "cli/terminal.h"
#include "download/disk_names.h"
#include "download/download_queue.h"
#include "download/partial_file.h"
#include "download/task_loop.h"
#include "net/address.h"
#include "net/http_request.h"
#include "posts/media_names.h"
#include "results/find_line.h"

namespace bramix::cli {

namespace {

constexpr KnownOption kOptions[] = {
    {"dir", 'd', true},
    {"attempts", 'n', true},
    {"quiet", 'q', false},
    {"help", 'h', false},
};

constexpr int kDefaultAttempts = 3;

constexpr long kMostAttempts = 1000000;

bool IsControlByte(char c) {
    return static_cast<unsigned char>(c) < 0x20 || c == 0x7F;
}

// An http:// or https:// address that libcurl can ask for, and nothing in it
// that no address holds: control bytes.
bool IsDownloadAddress(const std::string& text) {
    if (std::any_of(text.begin(), text.end(), IsControlByte)) {
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

// A file to fetch, as the command line or a list names it.
struct Target {
    std::string url;
    // A find's line: its address and name in code page 949, as the window
    // would have them. Otherwise typed: the address and name (maybe empty:
    // the server's, else the address's) as given, in UTF-8.
    bool fromFind;
    std::string name;
};

// One line of standard input, waiting for it no longer than an interrupt
// comes: false at the end of the input, on an interrupt or when it cannot
// be read (`readError` then holds the errno).
bool ReadLine(std::string& line, std::string& pending, int& readError) {
    for (;;) {
        if (const size_t end = pending.find('\n'); end != std::string::npos) {
            line = pending.substr(0, end);
            pending.erase(0, end + 1);
            return true;
        }
        if (Interrupted()) {
            return false;
        }
        pollfd input{STDIN_FILENO, POLLIN, 0};
        if (poll(&input, 1, 50) <= 0) {
            continue;
        }
        char buffer[65536];
        const ssize_t n = read(STDIN_FILENO, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            readError = errno;
            return false;
        }
        if (n == 0) {  // the end: a last line without its line break counts
            line = std::move(pending);
            pending.clear();
            return !line.empty();
        }
        pending.append(buffer, static_cast<size_t>(n));
    }
}

// The lines of standard input: finds' lines (TSV or JSON), or addresses with
// an optional TAB and name. Every other line is reported and counted, and
// so is input that cannot be read.
std::vector<Target> ReadList(int& badLines) {
    constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";  // an editor's
    std::vector<Target> targets;
    std::string line;
    std::string pending;
    int readError = 0;
    for (int number = 1; ReadLine(line, pending, readError); ++number) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (number == 1 && line.starts_with(kByteOrderMark)) {
            line.erase(0, kByteOrderMark.size());
        }
        if (line.find_first_not_of(" \t") == std::string::npos || line[0] == '#') {
            continue;
        }
        if (const auto find = ParseFindLine(line); find && IsDownloadAddress(find->fileUrl)) {
            targets.push_back({find->fileUrl, true, find->fileName});
            continue;
        }
        const size_t tab = line.find('\t');
        const std::string address = line.substr(0, tab);
        const std::string name = tab == std::string::npos ? "" : line.substr(tab + 1);
        if (IsDownloadAddress(address) && name.find('\t') == std::string::npos) {
            targets.push_back({address, false, name});
            continue;
        }
        std::fprintf(stderr,
                     "bramix-cli get: line %d is neither a line of bramix-cli search nor an "
                     "address: %s\n",
                     number, Printable(line.substr(0, 80)).c_str());
        ++badLines;
    }
    if (readError != 0) {
        std::fprintf(stderr, "bramix-cli get: cannot read the list: %s\n",
                     std::strerror(readError));
        ++badLines;
    }
    return targets;
}

// The name a target asks for, in UTF-8; empty when it leaves it to the server.
std::string WantedName(const Target& target) {
    return target.fromFind ? AnsiToUtf8(target.name) : target.name;
}

// The entry for one target: a .part that an earlier run left for the same
// address (and name, when one is asked for) is resumed; without a name, the
// server's answer names the file.
DownloadEntry EntryFor(const Target& target, const std::string& folder) {
    DownloadEntry entry;
    entry.fileUrl = target.url;
    const std::string wanted = WantedName(target);
    if (const auto part = FindPartOf(folder, target.url);
        part && (wanted.empty() || FileNameOf(part->path) == SafeFileNameOf(wanted))) {
        entry.path = part->path;
        entry.fileName = Utf8ToAnsi(FileNameOf(part->path));
        entry.partIsOurs = true;
        entry.validator = part->record.validator;
        return entry;
    }
    if (target.fromFind) {
        entry.fileName = target.name;
        return entry;
    }
    if (!wanted.empty()) {
        entry.diskName = wanted;
        return entry;
    }
    std::string fallback = Utf8FileNameFromLink(target.url);
    if (fallback.empty()) {
        fallback = "download";
    }
    entry.diskName = fallback;
    const bool naverLink = IsNaverLink(target.url, "");
    entry.nameFromAnswer = [fallback, naverLink](const std::string& disposition) {
        const std::string name = NameFromDisposition(disposition, naverLink);
        return name.empty() ? fallback : AnsiToUtf8(name);
    };
    return entry;
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

}  // namespace

int RunGet(std::span<char* const> args) {
    std::string error;
    const auto parsed = Arguments::Parse(args, kOptions, error);
    if (!parsed) {
        return UsageError("get", error);
    }
    if (parsed->Has("help")) {
        std::fputs(kGetHelp, stdout);
        return kExitOk;
    }
    int attempts = kDefaultAttempts;
    if (const auto value = parsed->Value("attempts")) {
        const bool digits = !value->empty() && value->size() <= 7 &&
                            value->find_first_not_of("0123456789") == std::string::npos;
        const long number = digits ? std::strtol(value->c_str(), nullptr, 10) : -1;
        if (number < 0 || number > kMostAttempts) {
            return UsageError("get", "--attempts takes a number from 0 to " +
                                         std::to_string(kMostAttempts) + ", not '" +
                                         Printable(*value) + "'");
        }
        attempts = static_cast<int>(number);
    }
    const std::vector<std::string>& operands = parsed->operands();
    const bool fromInput = operands.size() == 1 && operands[0] == "-";
    if (operands.empty() || operands.size() > 2 || (!fromInput && operands[0] == "-")) {
        return UsageError("get", "give one address (and a name), or - to read a list");
    }
    if (!fromInput && !IsDownloadAddress(operands[0])) {
        return UsageError("get",
                          "not an http:// or https:// address: '" + Printable(operands[0]) + "'");
    }
    const std::optional<std::string> dir = parsed->Value("dir");
    if (dir && dir->empty()) {
        return UsageError("get", "--dir needs a folder");
    }
    const std::string folder = FullFolderPath(dir ? *dir : DownloadFolder(ExecutablePath()));
    if (!MakeFolder(folder)) {
        std::fprintf(stderr, "bramix-cli get: cannot make the folder %s: %s\n",
                     Printable(folder).c_str(), std::strerror(errno));
        return kExitGaveUp;
    }

    int badLines = 0;
    std::vector<Target> targets;
    if (fromInput) {
        targets = ReadList(badLines);
        if (Interrupted()) {
            return kExitInterrupted;
        }
    } else {
        targets.push_back({operands[0], false, operands.size() == 2 ? operands[1] : ""});
    }

    // How each row's address is shown: as typed, or as its find's line had it.
    std::vector<std::string> shownUrls;
    for (const Target& target : targets) {
        shownUrls.push_back(target.fromFind ? AnsiToUtf8(target.url) : target.url);
    }

    TaskLoop loop;
    StatusLine status(parsed->Has("quiet"));
    int givenUp = 0;
    int writeError = 0;
    DownloadQueue* queue = nullptr;
    DownloadQueue::Listener listener;
    listener.entryChanged = [&](int row) {
        const DownloadEntry& entry = queue->entries()[row];
        if (entry.state == DL_RUNNING) {
            status.Show(FileNameOf(entry.path), ProgressDetails(entry));
        }
    };
    listener.entryFinished = [&](int row) {
        const DownloadEntry& entry = queue->entries()[row];
        status.Clear();
        if (entry.state == DL_DONE) {
            // A path that cannot be written is a file its user cannot find.
            if ((std::printf("%s\n", entry.path.c_str()) < 0 || std::fflush(stdout) != 0) &&
                writeError == 0) {
                writeError = errno;
                std::fprintf(stderr, "bramix-cli get: cannot write the saved files' paths: %s\n",
                             std::strerror(writeError));
            }
        } else {
            ++givenUp;
            std::fprintf(stderr, "bramix-cli get: gave up on %s: %s\n",
                         Printable(shownUrls[row]).c_str(), Printable(entry.lastError).c_str());
        }
    };
    DownloadQueue downloads(
        folder, [&loop](std::function<void()> work) { loop.Post(std::move(work)); }, listener);
    queue = &downloads;
    downloads.SetMaxAttempts(attempts);
    for (const Target& target : targets) {
        downloads.Add(EntryFor(target, folder));
    }
    downloads.RequestStart();

    bool stopping = false;
    for (;;) {
        loop.RunFor(std::chrono::milliseconds(50));
        if (Interrupted() && !stopping) {
            stopping = true;
            if (downloads.downloading()) {
                downloads.StartOrStop();  // its .part stays for the next run
            }
        }
        if (!downloads.downloading() && (stopping || !downloads.hasQueued())) {
            loop.RunFor(std::chrono::milliseconds(0));
            if (!downloads.downloading()) {
                break;
            }
        }
    }
    status.Clear();
    if (stopping) {
        return kExitInterrupted;
    }
    if (writeError != 0) {
        return kExitWriteError;
    }
    return givenUp > 0 || badLines > 0 ? kExitGaveUp : kExitOk;
}

}  // namespace bramix::cli
