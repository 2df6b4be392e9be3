// One search of the demo world (bramix-cli search 봄) with the stand-in web
// holding every answer 0, 150 and 300 ms, as a distant server's round trip
// would. The search's time should stay near the one its pauses set: its
// ratio to the instant web's time at most 1.15 at 150 ms and 1.40 at 300 ms.
// The finds must be the same bytes at every latency.

#include <array>
#include <cstdio>
#include <string>

#include "cli_search.h"
#include "stand_in_web.h"
#include "world.h"

namespace {

struct Goal {
    int latencyMs;
    double maxRatio;
};

constexpr std::array<Goal, 3> kGoals{{{0, 1.0}, {150, 1.15}, {300, 1.40}}};

}  // namespace

int main() {
    const standin::World world = standin::World::Load(BRAMIX_DEMO_WORLD);
    std::printf("%-8s %9s %7s %6s %6s %7s %7s %8s %s\n", "latency", "wall", "ratio", "posts",
                "pages", "frames", "probes", "finds", "same finds");
    double instantSeconds = 0;
    std::string instantFinds;
    bool allMet = true;
    for (const Goal& goal : kGoals) {
        standin::StandInWeb web;
        web.SetFallback(
            [&world](const standin::RecordedRequest& request) { return world.Answer(request); });
        web.SetLatency(std::chrono::milliseconds(goal.latencyMs));
        web.Start();
        setenv("http_proxy", web.ProxyUrl().c_str(), 1);
        const CliRun run = RunCli({"search", "봄"});
        web.Stop();

        std::array<int, 4> requests{};
        for (const std::string& url : web.RequestedUrls()) {
            ++requests[static_cast<size_t>(KindOf(url))];
        }
        if (goal.latencyMs == 0) {
            instantSeconds = run.wallSeconds;
            instantFinds = run.output;
        }
        const double ratio = run.wallSeconds / instantSeconds;
        const bool same = run.output == instantFinds;
        const bool met = run.succeeded && same && (goal.latencyMs == 0 || ratio <= goal.maxRatio);
        allMet = allMet && met;
        int finds = 0;
        for (const char c : run.output) {
            finds += c == '\n' ? 1 : 0;
        }
        std::printf("%5d ms %7.2f s %6.2fx %6d %6d %7d %7d %8d %s%s\n", goal.latencyMs,
                    run.wallSeconds, ratio, requests[static_cast<size_t>(RequestKind::Post)],
                    requests[static_cast<size_t>(RequestKind::ResultPage)],
                    requests[static_cast<size_t>(RequestKind::DaumFrame)],
                    requests[static_cast<size_t>(RequestKind::FileProbe)], finds,
                    same ? "yes" : "NO", met ? "" : "  (goal missed)");
    }
    return allMet ? 0 : 1;
}
