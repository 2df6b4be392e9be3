#pragma once

// What the search benchmarks share: running bramix-cli as a child process
// against the stand-in web that http_proxy names, and telling the kinds of
// request apart in what the web recorded.

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "base/text_helpers.h"

struct CliRun {
    bool succeeded = false;  // exited with status 0
    double wallSeconds = 0;
    double peakMegabytes = 0;  // resident
    std::string output;        // standard output
};

// Runs bramix-cli with `arguments`; its standard error goes where ours goes.
inline CliRun RunCli(const std::vector<std::string>& arguments) {
    std::vector<char*> argv{const_cast<char*>(BRAMIX_CLI)};
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0) {
        return {};
    }
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child == 0) {
        dup2(pipeEnds[1], STDOUT_FILENO);
        close(pipeEnds[0]);
        close(pipeEnds[1]);
        execv(BRAMIX_CLI, argv.data());
        _exit(127);
    }
    close(pipeEnds[1]);
    CliRun run;
    char buffer[4096];
    for (ssize_t got; (got = read(pipeEnds[0], buffer, sizeof buffer)) > 0;) {
        run.output.append(buffer, static_cast<size_t>(got));
    }
    close(pipeEnds[0]);
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    run.wallSeconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    run.peakMegabytes = usage.ru_maxrss / 1024.0;
    run.succeeded = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return run;
}

enum class RequestKind { ResultPage, Post, DaumFrame, FileProbe };

// By the address alone, as the stand-in worlds shape them.
inline RequestKind KindOf(const std::string& url) {
    if (bramix::Contains(url, "google.co.kr/search?") ||
        bramix::Contains(url, "search.naver.com/")) {
        return RequestKind::ResultPage;
    }
    if (bramix::Contains(url, "/_blog/")) {
        return RequestKind::DaumFrame;
    }
    if ((bramix::Contains(url, ".tistory.com/") && !bramix::Contains(url, "cfile")) ||
        bramix::Contains(url, "/PostView.nhn?") || url.rfind("http://blog.daum.net/", 0) == 0) {
        return RequestKind::Post;
    }
    return RequestKind::FileProbe;
}
