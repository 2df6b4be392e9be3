// Replays inputs through a fuzz target without libFuzzer, for builds with any
// compiler: every file named, and every file under every folder named (a
// folder that does not exist is skipped: a target may have no regressions
// yet; dot files are skipped too). Each input must finish within
// -timeout=SECONDS (default 2), so that a slow input fails here as it fails
// a fuzzing run. Other options (libFuzzer's, such as -runs=0) are ignored.

#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

namespace fs = std::filesystem;

// The input under way, for the alarm's message.
char g_current[4096];

void OnAlarm(int) {
    static constexpr char kPrefix[] = "slow input, over the time limit: ";
    [[maybe_unused]] ssize_t written = write(STDERR_FILENO, kPrefix, sizeof kPrefix - 1);
    written = write(STDERR_FILENO, g_current, strnlen(g_current, sizeof g_current));
    written = write(STDERR_FILENO, "\n", 1);
    _exit(1);
}

void Collect(const fs::path& path, std::vector<fs::path>& files) {
    if (fs::is_regular_file(path)) {
        files.push_back(path);
        return;
    }
    if (!fs::is_directory(path)) {
        return;
    }
    for (const auto& entry : fs::recursive_directory_iterator(path)) {
        if (entry.is_regular_file() && entry.path().filename().string()[0] != '.') {
            files.push_back(entry.path());
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    unsigned timeout = 2;
    std::vector<fs::path> files;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg.rfind("-timeout=", 0) == 0) {
            timeout = static_cast<unsigned>(std::strtoul(arg.c_str() + 9, nullptr, 10));
        } else if (arg[0] != '-') {
            Collect(arg, files);
        }
    }
    std::sort(files.begin(), files.end());
    signal(SIGALRM, OnAlarm);
    for (const fs::path& file : files) {
        std::ifstream stream(file, std::ios::binary);
        const std::string input(std::istreambuf_iterator<char>(stream), {});
        std::snprintf(g_current, sizeof g_current, "%s", file.c_str());
        alarm(timeout);
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(input.data()), input.size());
        alarm(0);
    }
    std::printf("replayed %zu inputs\n", files.size());
    return 0;
}
