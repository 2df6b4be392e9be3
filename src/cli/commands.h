#pragma once

// The subcommands of bramix-cli. Each takes the arguments after its name and
// returns the process's exit status.

namespace bramix::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitGaveUp = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitInterrupted = 130;

inline constexpr const char* kSearchUsage =
    "usage: bramix-cli search [--order=arrival|list] [--matched] TEXT...\n";
inline constexpr const char* kGetUsage =
    "usage: bramix-cli get [--dir=DIR] [--attempts=N] (URL [NAME] | -)\n";

int RunSearch(int argc, char** argv);
int RunGet(int argc, char** argv);

// True once SIGINT or SIGTERM has arrived; the second one ends the process.
bool Interrupted();
void InstallInterruptHandlers();

}  // namespace bramix::cli
