#include <csignal>

#include "cli/commands.h"

namespace bramix::cli {

namespace {

volatile std::sig_atomic_t g_interrupted = 0;

void OnInterrupt(int signal) {
    g_interrupted = 1;
    // The first signal asks for a clean stop; a second one ends at once.
    std::signal(signal, SIG_DFL);
}

}  // namespace

bool Interrupted() {
    return g_interrupted != 0;
}

void InstallInterruptHandlers() {
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

}  // namespace bramix::cli
