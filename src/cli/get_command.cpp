// bramix-cli get: downloads files through the same worker, queue and naming
// rules as the window's download list, one after another.

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
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
#include "posts/media_names.h"
#include "results/find_line.h"

namespace bramix::cli {

namespace {

constexpr OptionSpec kOptions[] = {
    {"dir", 'd', true},
    {"attempts", 'n', true},
    {"quiet", 'q', false},
    {"help", 'h', false},
};

constexpr int kDefaultAttempts = 3;

// An http:// or https:// address with a host, and nothing in it that no
// address holds: control bytes.
bool IsDownloadAddress(const std::string& text) {
    if (Printable(text) != text) {
        return false;
    }
    const auto parsed = ParseAddress(text);
    return parsed &&
           (parsed->service == ServiceType::Http || parsed->service == ServiceType::Https);
}

// A file to fetch, as the command line or a list names it.
struct Target {
    std::string url;
    std::string fileName;  // code page 949; empty: the server's, else the address's
    bool typedAddress;     // given as UTF-8 by a person, not by a find's line
};

// The lines of standard input: finds' lines (TSV or JSON), or addresses with
// an optional TAB and name. Every other line is reported and counted.
std::vector<Target> ReadList(int& badLines) {
    std::vector<Target> targets;
    std::string line;
    for (int number = 1; std::getline(std::cin, line); ++number) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (line.empty() || line[0] == '#') {
            continue;
        }
        if (const auto find = ParseFindLine(line)) {
            targets.push_back({find->fileUrl, find->fileName, false});
            continue;
        }
        const size_t tab = line.find('\t');
        const std::string address = line.substr(0, tab);
        const std::string name = tab == std::string::npos ? "" : line.substr(tab + 1);
        if (IsDownloadAddress(address) && name.find('\t') == std::string::npos) {
            targets.push_back({address, Utf8ToAnsi(name), true});
            continue;
        }
        std::fprintf(stderr,
                     "bramix-cli get: line %d is neither a line of bramix-cli search nor an "
                     "address: %s\n",
                     number, Printable(line.substr(0, 80)).c_str());
        ++badLines;
    }
    return targets;
}

// The entry for one target: a .part that an earlier run left for the same
// address is resumed; without a name, the server's answer names the file.
DownloadEntry EntryFor(const Target& target, const std::string& folder) {
    DownloadEntry entry;
    entry.fileUrl = target.url;
    if (const auto path = FindPartOf(folder, target.url)) {
        entry.path = *path;
        entry.fileName = Utf8ToAnsi(path->substr(path->rfind('/') + 1));
        entry.partIsOurs = true;
        entry.validator = RecallPart(PartPathOf(*path))->validator;
        return entry;
    }
    if (!target.fileName.empty()) {
        entry.fileName = target.fileName;
        return entry;
    }
    const LinkCoding coding = target.typedAddress ? LinkCoding::Utf8 : LinkCoding::CodePage949;
    std::string fallback = FileNameFromLink(target.url, coding);
    if (fallback.empty()) {
        fallback = "download";
    }
    entry.fileName = fallback;
    const bool naverLink = IsNaverLink(target.url, "");
    entry.nameFromAnswer = [fallback, naverLink](const std::string& disposition) {
        const std::string name = NameFromDisposition(disposition, naverLink);
        return AnsiToUtf8(name.empty() ? fallback : name);
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
        char* end = nullptr;
        const long number = std::strtol(value->c_str(), &end, 10);
        if (value->empty() || *end != '\0' || number < 0 || number > 1000000) {
            return UsageError("get",
                              "--attempts takes a number from 0, not '" + Printable(*value) + "'");
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
    std::string folder = parsed->Value("dir").value_or(DownloadFolder(ExecutablePath()));
    if (folder.empty()) {
        return UsageError("get", "--dir needs a folder");
    }
    if (!MakeFolder(folder)) {
        std::fprintf(stderr, "bramix-cli get: cannot make the folder %s: %s\n",
                     Printable(folder).c_str(), std::strerror(errno));
        return kExitGaveUp;
    }

    int badLines = 0;
    std::vector<Target> targets;
    if (fromInput) {
        targets = ReadList(badLines);
    } else {
        const std::string name = operands.size() == 2 ? Utf8ToAnsi(operands[1]) : "";
        targets.push_back({operands[0], name, true});
    }

    // How each row's address is shown: as typed, or as its find's line had it.
    std::vector<std::string> shownUrls;
    for (const Target& target : targets) {
        shownUrls.push_back(target.typedAddress ? target.url : AnsiToUtf8(target.url));
    }

    TaskLoop loop;
    StatusLine status(parsed->Has("quiet"));
    int givenUp = 0;
    DownloadQueue* queue = nullptr;
    DownloadQueue::Listener listener;
    listener.entryChanged = [&](int row) {
        const DownloadEntry& entry = queue->entries()[row];
        if (entry.state == DL_RUNNING) {
            status.Show(AnsiToUtf8(entry.fileName), ProgressDetails(entry));
        }
    };
    listener.entryFinished = [&](int row) {
        const DownloadEntry& entry = queue->entries()[row];
        status.Clear();
        if (entry.state == DL_DONE) {
            std::printf("%s\n", entry.path.c_str());
            std::fflush(stdout);
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
    return givenUp > 0 || badLines > 0 ? kExitGaveUp : kExitOk;
}

}  // namespace bramix::cli
