// Replays the files named and those under the folders named (but dot files)
// through a fuzz target without libFuzzer, each within -timeout=SECONDS
// (default 2) as in a fuzzing run; libFuzzer's other options are ignored.

#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

static const char* volatile g_current = "";  // the input under way, for the alarm's message

static void OnAlarm(int) {
    static const char kSlow[] = "slow input, over the time limit: ";
    [[maybe_unused]] const ssize_t a = write(STDERR_FILENO, kSlow, sizeof kSlow - 1),
                                   b = write(STDERR_FILENO, g_current, std::strlen(g_current));
    _exit(1);
}

int main(int argc, char** argv) {
    namespace fs = std::filesystem;
    unsigned timeout = 2;
    std::vector<fs::path> files;
    for (const std::string& arg : std::vector<std::string>(argv + 1, argv + argc)) {
        if (arg.starts_with("-timeout=")) {
            timeout = static_cast<unsigned>(std::stoul(arg.substr(9)));
        } else if (fs::is_directory(arg)) {
            for (const auto& entry : fs::recursive_directory_iterator(arg)) {
                if (entry.is_regular_file() && !entry.path().filename().string().starts_with('.')) {
                    files.push_back(entry.path());
                }
            }
        } else if (fs::is_regular_file(arg)) {
            files.push_back(arg);
        }
    }
    std::sort(files.begin(), files.end());
    std::signal(SIGALRM, OnAlarm);
    for (const fs::path& file : files) {
        std::ifstream stream(file, std::ios::binary);
        const std::string input(std::istreambuf_iterator<char>(stream), {});
        g_current = file.c_str();
        alarm(timeout);
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(input.data()), input.size());
        alarm(0);
    }
    std::printf("replayed %zu inputs\n", files.size());
    return 0;
}
