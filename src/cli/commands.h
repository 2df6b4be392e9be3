#pragma once

// The commands of bramix-cli. Each takes the arguments after its name and
// returns the process's exit status.

#include <span>
#include <string>

namespace bramix::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitGaveUp = 1;
inline constexpr int kExitWriteError = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitUnreachable = 3;
inline constexpr int kExitInterrupted = 130;
inline constexpr int kExitReaderGone = 141;  // as a shell reports SIGPIPE

int RunSearch(std::span<char* const> args);
int RunGet(std::span<char* const> args);

// Writes "bramix-cli COMMAND: PROBLEM" and the way to help on standard error;
// returns kExitUsage.
int UsageError(const std::string& command, const std::string& problem);

}  // namespace bramix::cli
