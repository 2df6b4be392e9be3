#include "support/subprocess.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

namespace bramix::testing {

ProcessResult RunProcess(const std::vector<std::string>& argv, const ProcessOptions& options) {
    int out[2], err[2];
    winsize size{24, static_cast<unsigned short>(options.terminalColumns), 0, 0};
    if (pipe(out) != 0 ||
        (options.terminalColumns > 0 ? openpty(&err[0], &err[1], nullptr, nullptr, &size)
                                     : pipe(err)) != 0) {
        return {};
    }
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(open("/dev/null", O_RDONLY), 0);
        dup2(out[1], 1);
        dup2(err[1], 2);
        for (int fd : {out[0], out[1], err[0], err[1]}) {
            close(fd);
        }
        std::vector<char*> args;
        for (const std::string& arg : argv) {
            args.push_back(const_cast<char*>(arg.c_str()));
        }
        args.push_back(nullptr);
        execv(args[0], args.data());
        _exit(127);
    }
    close(out[1]);
    close(err[1]);

    using Clock = std::chrono::steady_clock;
    ProcessResult result;
    pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
    const auto limit = Clock::now() + kProcessLimit;
    Clock::time_point interrupted{};
    for (int open = 2; open > 0;) {
        if (Clock::now() > limit) {
            kill(pid, SIGKILL);
        }
        const bool ready = poll(fds, 2, 50) > 0;
        for (int i = 0; ready && i < 2; ++i) {
            if ((fds[i].revents & (POLLIN | POLLHUP | POLLERR)) == 0) {
                continue;
            }
            char buffer[4096];
            const ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
            if (n <= 0) {  // a pseudo-terminal says EIO once the program is gone
                close(fds[i].fd);
                fds[i].fd = -1;
                --open;
            } else {
                (i == 0 ? result.out : result.err).append(buffer, static_cast<size_t>(n));
            }
        }
        if (interrupted == Clock::time_point{} && options.interruptWhen &&
            options.interruptWhen(result)) {
            kill(pid, SIGINT);
            interrupted = Clock::now();
        }
    }
    int status = 0;
    waitpid(pid, &status, 0);
    if (interrupted != Clock::time_point{}) {
        result.afterInterrupt = Clock::now() - interrupted;
    }
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
    return result;
}

}  // namespace bramix::testing
