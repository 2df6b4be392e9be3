#include "cli/interrupt.h"

#include <atomic>
#include <cerrno>
#include <csignal>

namespace bramix::cli {

namespace {

static_assert(std::atomic<int>::is_always_lock_free, "signal handlers need lock-free atomics");

std::atomic<int> g_interrupted{0};
std::atomic<int> g_resized{0};

void OnResize(int) {
    const int saved = errno;
    g_resized.store(1);
    errno = saved;
}

void Install(int signal, void (*handler)(int), int flags) {
    struct sigaction action {};
    action.sa_handler = handler;
    action.sa_flags = flags;
    sigemptyset(&action.sa_mask);
    sigaction(signal, &action, nullptr);
}

// SA_RESETHAND restores the default of the signal that came; after a SIGINT,
// a SIGTERM (or the other way round) is the second signal too.
void OnInterrupt(int signal) {
    const int saved = errno;
    if (g_interrupted.exchange(1) != 0) {
        Install(signal, SIG_DFL, 0);
        raise(signal);
    }
    errno = saved;
}

}  // namespace

void InstallSignalHandlers() {
    // SA_RESETHAND: the handler runs once; the second signal ends the process.
    Install(SIGINT, OnInterrupt, SA_RESETHAND | SA_RESTART);
    Install(SIGTERM, OnInterrupt, SA_RESETHAND | SA_RESTART);
    Install(SIGWINCH, OnResize, SA_RESTART);
}

bool Interrupted() {
    return g_interrupted.load() != 0;
}

bool TakeResize() {
    return g_resized.exchange(0) != 0;
}

}  // namespace bramix::cli
