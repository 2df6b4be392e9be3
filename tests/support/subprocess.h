#pragma once

// Runs a program of ours as a user would, with the test's environment (and so
// its http_proxy), capturing what it writes.

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace bramix::testing {

struct ProcessResult {
    int exitCode = -1000;  // minus the signal, when a signal ended it
    std::string out;
    std::string err;
    // From the SIGINT that interruptWhen asked for to the end; max() if none.
    std::chrono::steady_clock::duration afterInterrupt = std::chrono::steady_clock::duration::max();
};

struct ProcessOptions {
    // Asked as the output grows (and every 50 ms besides): a SIGINT goes to
    // the program the first time it holds, as a user's Ctrl+C.
    std::function<bool(const ProcessResult& sofar)> interruptWhen{};
    // Standard error goes to a pseudo-terminal of this many columns.
    int terminalColumns = 0;
};

// A program of ours that runs longer than this is killed (exit code -9).
inline constexpr std::chrono::seconds kProcessLimit{60};

ProcessResult RunProcess(const std::vector<std::string>& argv, const ProcessOptions& options = {});

}  // namespace bramix::testing
