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
    std::string out;
    std::string err;
};

// A program of ours that runs longer than this is killed (exit code 137).
inline constexpr std::chrono::seconds kProcessLimit{60};

// `onOutput` sees standard output as it grows (and every 50 ms besides) and
// may signal the process through the pid it is given.
ProcessResult RunProcess(const std::vector<std::string>& argv, const std::string& input = "",
                         const std::function<void(int pid, const std::string& out)>& onOutput = {});

}  // namespace bramix::testing
