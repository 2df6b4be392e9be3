// bramix-standin: the stand-in web as a program. Point http_proxy at the
// address it prints, and the program's requests reach it instead of the
// internet.
//
//   bramix-standin [--port=N] [--latency=MS] [--world FILE] [--page URL FILE]...
//                  [--size URL BYTES]...

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>

#include "stand_in_web.h"
#include "world.h"

namespace {

volatile std::sig_atomic_t g_signalled = 0;

void OnSignal(int) {
    g_signalled = 1;
}

int Usage() {
    std::cerr << "usage: bramix-standin [--port=N] [--latency=MS] [--world FILE] "
                 "[--page URL FILE]... [--size URL BYTES]...\n";
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    standin::StandInWeb web;
    std::optional<standin::World> world;
    int port = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg.rfind("--port=", 0) == 0) {
            port = std::atoi(arg.c_str() + 7);
        } else if (arg.rfind("--latency=", 0) == 0) {
            // Milliseconds held before each answer, as a round trip to a
            // distant server.
            const int latency = std::atoi(arg.c_str() + 10);
            if (latency < 0) {
                return Usage();
            }
            web.SetLatency(std::chrono::milliseconds(latency));
        } else if (arg == "--world" && i + 1 < argc) {
            try {
                world = standin::World::Load(argv[++i]);
            } catch (const std::exception& error) {
                std::cerr << "bramix-standin: " << error.what() << "\n";
                return 1;
            }
            web.SetFallback([&world](const standin::RecordedRequest& request) {
                return world->Answer(request);
            });
        } else if (arg == "--page" && i + 2 < argc) {
            std::ifstream file(argv[i + 2], std::ios::binary);
            if (!file) {
                std::cerr << "bramix-standin: cannot read " << argv[i + 2] << "\n";
                return 1;
            }
            std::ostringstream content;
            content << file.rdbuf();
            web.Set(argv[i + 1], standin::Page(content.str()));
            i += 2;
        } else if (arg == "--size" && i + 2 < argc) {
            web.Set(argv[i + 1], standin::LargeBody(std::strtoull(argv[i + 2], nullptr, 10)));
            i += 2;
        } else {
            return Usage();
        }
    }
    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);
    try {
        web.Start(port);
    } catch (const std::exception& error) {
        std::cerr << "bramix-standin: " << error.what() << "\n";
        return 1;
    }
    std::cout << "http_proxy=" << web.ProxyUrl() << std::endl;
    while (!g_signalled) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    web.Stop();
    return 0;
}
