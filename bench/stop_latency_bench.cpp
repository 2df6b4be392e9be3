// How soon a stop ends each wait of the workers: a page fetch, a header
// probe and a download while connecting, before the headers, in a stalled
// body and in a drip; the search job in a stalled post and in its pause; the
// download worker in its retry pause; and bramix-cli search after Ctrl+C.
// Each is stopped several times at a moment inside the wait; the worst
// latency of each is printed. Goal: 500 ms everywhere.

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "download/download_job.h"
#include "download/partial_file.h"
#include "net/network_setup.h"
#include "net/page_fetcher.h"
#include "search/search_job.h"
#include "stand_in_web.h"
#include "support/unanswered_port.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr int kRounds = 10;

// A piece of work and the stop flag that ends it.
struct Stoppable {
    bramix::StopFlag* stop;
    std::function<void()> run;
};

// Runs the work on a thread, sets its stop once `ready` holds and 50 ms more
// have passed (well inside the wait), and returns how many milliseconds the
// work took after that.
double StopAfter(const Stoppable& work, const std::function<bool()>& ready) {
    Clock::time_point ended;
    std::thread worker([&] {
        work.run();
        ended = Clock::now();
    });
    const auto limit = Clock::now() + 10s;
    while (!ready() && Clock::now() < limit) {
        std::this_thread::sleep_for(5ms);
    }
    std::this_thread::sleep_for(50ms);
    const auto stopped = Clock::now();
    *work.stop = 1;
    worker.join();
    return std::chrono::duration<double, std::milli>(ended - stopped).count();
}

Stoppable Fetch(std::string url) {
    auto stop = std::make_shared<bramix::StopFlag>(0);
    return {stop.get(), [stop, url] {
                std::string text;
                bramix::FetchPage(url, text, bramix::kFetchTimeoutMs, stop.get());
            }};
}

Stoppable Download(std::string url, std::chrono::milliseconds pause) {
    auto job = std::make_shared<bramix::DownloadJob>();
    job->url = std::move(url);
    job->path = (std::filesystem::temp_directory_path() /
                 ("bramix-stop-" + std::to_string(getpid()) + ".mp3"))
                    .string();
    job->retryPause = pause;
    return {&job->stopFlag, [job] {
                bramix::DownloadThreadProc(job.get());
                std::filesystem::remove(bramix::PartPathOf(job->path));
            }};
}

Stoppable Search(std::string input) {
    auto job = std::make_shared<bramix::SearchJob>();
    job->input = std::move(input);
    return {&job->stopFlag, [job] { bramix::SearchThreadProc(job.get()); }};
}

}  // namespace

int main() {
    std::setvbuf(stdout, nullptr, _IOLBF, 0);  // each figure as it is measured
    const bramix::NetworkSetup network;
    // A web of its own for each round: a stall holds one of the server's
    // threads until the server stops.
    std::unique_ptr<standin::StandInWeb> web;
    auto newWeb = [&web] {
        web = std::make_unique<standin::StandInWeb>();
        web->Start();
        web->Set("http://a.example.com/silent", standin::StallBeforeHeaders());
        web->Set("http://a.example.com/stalled", standin::StallAfterHeaders());
        web->Set("http://a.example.com/drip", standin::Trickle(std::string(1000, 'x'), 2, 1s));
        web->Set(
            "http://www.google.co.kr/search?as_q=abc+mp3&num=10&as_sitesearch=tistory.com&start=0",
            standin::Page("<body><li class=g><h3 class=r><a href=\"http://b.tistory.com/1\" x>"
                          "<li class=g><h3 class=r><a href=\"http://a.example.com/silent\" x>"));
        web->Set("http://b.tistory.com/1", standin::Page("<html><body>nothing</body></html>"));
        return web->ProxyUrl();
    };
    const bramix::testing::UnansweredPort unanswered;

    auto asked = [&web](const char* url) {
        return [&web, url] {
            const auto urls = web->RequestedUrls();
            return std::find(urls.begin(), urls.end(), url) != urls.end();
        };
    };
    auto started = [] { return true; };
    struct Case {
        const char* name;
        std::function<Stoppable()> make;
        std::function<bool()> ready;
        bool connects = true;  // false: the proxy never answers the connect
    };
    const Case cases[] = {
        {"page, before the headers", [] { return Fetch("http://a.example.com/silent"); },
         asked("http://a.example.com/silent")},
        {"page, stalled body", [] { return Fetch("http://a.example.com/stalled"); },
         asked("http://a.example.com/stalled")},
        {"page, 2 bytes a second", [] { return Fetch("http://a.example.com/drip"); },
         asked("http://a.example.com/drip")},
        {"page, connecting", [] { return Fetch("http://a.example.com/any"); }, started, false},
        {"download, before the headers",
         [] { return Download("http://a.example.com/silent", 0ms); },
         asked("http://a.example.com/silent")},
        {"download, 2 bytes a second", [] { return Download("http://a.example.com/drip", 0ms); },
         asked("http://a.example.com/drip")},
        {"download, retry pause", [] { return Download("http://a.example.com/drip", 30s); },
         started},
        {"download, connecting", [] { return Download("http://a.example.com/any", 0ms); }, started,
         false},
        {"search, in a silent post", [] { return Search("abc"); },
         asked("http://a.example.com/silent")},
        {"search, in its pause", [] { return Search("abc"); }, asked("http://b.tistory.com/1")},
    };
    std::printf("%-34s %10s\n", "stopped while", "worst ms");
    double worst = 0;
    for (const Case& test : cases) {
        double latency = 0;
        for (int round = 0; round < kRounds; ++round) {
            const std::string proxy = newWeb();
            setenv("http_proxy", test.connects ? proxy.c_str() : unanswered.Url().c_str(), 1);
            latency = std::max(latency, StopAfter(test.make(), test.ready));
        }
        worst = std::max(worst, latency);
        std::printf("%-34s %10.1f\n", test.name, latency);
    }

    // bramix-cli search, Ctrl+C in a dripping post: from the signal to the exit.
    double cli = 0;
    for (int round = 0; round < kRounds; ++round) {
        setenv("http_proxy", newWeb().c_str(), 1);
        const pid_t pid = fork();
        if (pid == 0) {
            const int null = open("/dev/null", O_WRONLY);
            dup2(null, 1);
            execl(BRAMIX_CLI, BRAMIX_CLI, "search", "http://a.example.com/drip", nullptr);
            _exit(127);
        }
        while (!asked("http://a.example.com/drip")()) {
            std::this_thread::sleep_for(5ms);
        }
        std::this_thread::sleep_for(50ms);
        const auto signalled = Clock::now();
        kill(pid, SIGINT);
        int status = 0;
        waitpid(pid, &status, 0);
        cli = std::max(cli,
                       std::chrono::duration<double, std::milli>(Clock::now() - signalled).count());
    }
    worst = std::max(worst, cli);
    std::printf("%-34s %10.1f\n", "bramix-cli search, Ctrl+C", cli);
    std::printf("worst of all: %.1f ms (goal 500 ms)\n", worst);
    return worst <= 500 ? 0 : 1;
}
