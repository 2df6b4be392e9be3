#pragma once

// Signals the command line turns into requests: the first SIGINT or SIGTERM
// asks the running job to stop (a second one ends the process at once), and
// SIGWINCH tells the progress line to measure the terminal again. The
// handlers only store into lock-free atomics; any thread may ask.

namespace bramix::cli {

void InstallSignalHandlers();

// True once SIGINT or SIGTERM has arrived.
bool Interrupted();

// True once after each SIGWINCH.
bool TakeResize();

}  // namespace bramix::cli
