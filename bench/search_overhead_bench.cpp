// A whole five-pass search, run as bramix-cli against an in-process stand-in
// world with no network delay. The 400 ms pause after each post is mandated;
// everything else is overhead, which should stay under 5% of the pauses. The
// search's peak resident memory should stay under 40 MB.

#include <cstdio>
#include <cstdlib>
#include <string>

#include "cli_search.h"
#include "stand_in_web.h"
#include "world.h"

namespace {

// Enough posts that every pass of a search for 노래 finds addresses: 25
// Tistory posts (listed twice each), 12 Daum and 25 Naver posts.
std::string BenchWorld() {
    std::string world;
    for (int i = 0; i < 25; ++i) {
        const std::string n = std::to_string(i);
        world +=
            "post tistory bench" + n + ".tistory.com/" + n + " | 벤치 블로그 | 노래 " + n + "\n";
        world += "  attach cfile5.uf.tistory.com/attach/T" + n + " | 노래 " + n + ".mp3\n";
        world += "  embed cfile5.uf.tistory.com/original/E" + n +
                 " | size=4718592 | name=quoted:노래 " + n + " live.mp3\n";
    }
    for (int i = 0; i < 12; ++i) {
        const std::string n = std::to_string(i);
        world += "post daum bench" + n + "/" + n + " | 벤치 | 노래 " + n + "\n";
        world += "  link cfile12.uf.daum.net/attach/D" + n + " | size=3145728 | name=utf8:노래 " +
                 n + ".mp3\n";
    }
    for (int i = 0; i < 25; ++i) {
        const std::string n = std::to_string(i);
        world += "post naver bench" + n + "/" + n + " | 벤치 | 노래 " + n + "\n";
        world += "  link blogfiles.naver.net/bench/" + n +
                 ".mp3 | size=2097152 | name=cp949:노래 " + n + ".mp3\n";
    }
    return world;
}

}  // namespace

int main() {
    const standin::World world = standin::World::Parse(BenchWorld());
    standin::StandInWeb web;
    web.SetFallback(
        [&world](const standin::RecordedRequest& request) { return world.Answer(request); });
    web.Start();
    setenv("http_proxy", web.ProxyUrl().c_str(), 1);

    const CliRun run = RunCli({"search", "노래"});
    web.Stop();

    int posts = 0;
    int passes = 0;
    for (const std::string& url : web.RequestedUrls()) {
        posts += KindOf(url) == RequestKind::Post ? 1 : 0;
        passes += url.find("as_sitesearch=tistory.com") != std::string::npos ? 1 : 0;
    }
    const double pauses = posts * 0.4;
    const double overhead = (run.wallSeconds - pauses) / pauses;
    std::printf("passes run:           %d\n", passes);
    std::printf("posts analysed:       %d\n", posts);
    std::printf("mandated pauses:      %.2f s\n", pauses);
    std::printf("wall time:            %.2f s\n", run.wallSeconds);
    std::printf("overhead:             %.2f%% (budget 5%%)\n", overhead * 100);
    std::printf("peak resident memory: %.1f MB (budget 40 MB)\n", run.peakMegabytes);
    return run.succeeded && overhead <= 0.05 && run.peakMegabytes < 40 ? 0 : 1;
}
