#pragma once

// Runs a program of ours as a user would, with the test's environment (and so
// its http_proxy), capturing what it writes.

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace bramix::testing {

struct ProcessResult {
    int exitCode = -1;  // 128 + signal when a signal ended it
    int signal = 0;     // the signal that ended it, if one did
    std::string out;
    std::string err;
    // From the hang-up of standard output (hangUpAfterFirstLine) to the exit.
    std::chrono::steady_clock::duration afterHangUp{};
};

struct ProcessOptions {
    std::string input;
    // Sees standard output as it grows (and every 50 ms besides) and may signal
    // the process through the pid it is given.
    std::function<void(int pid, const std::string& out)> onOutput;
    // Standard error goes to a terminal of this many columns (a
    // pseudo-terminal) instead of a pipe.
    int terminalColumns = 0;
    // Standard output's reader goes away after the first line, as `| head -1`.
    bool hangUpAfterFirstLine = false;
    // Standard output is never read, as by a pager its user has stopped at:
    // writes block once the pipe is full. `out` stays empty.
    bool outputUnread = false;
    // Standard input stays open after `input` until the program ends, as a
    // terminal or a writer that has more to say.
    bool keepInputOpen = false;
};

// A program of ours that runs longer than this is killed (exit code 137).
inline constexpr std::chrono::seconds kProcessLimit{60};

ProcessResult RunProcess(const std::vector<std::string>& argv, const ProcessOptions& options);

inline ProcessResult RunProcess(
    const std::vector<std::string>& argv, const std::string& input = "",
    const std::function<void(int pid, const std::string& out)>& onOutput = {}) {
    return RunProcess(argv, ProcessOptions{input, onOutput});
}

}  // namespace bramix::testing
