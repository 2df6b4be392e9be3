#include "base/stop_flag.h"

#include <algorithm>
#include <thread>

namespace bramix {

bool WaitUnlessStopped(const StopFlag& stop, std::chrono::milliseconds duration) {
    static constexpr std::chrono::milliseconds kPoll{10};
    const auto until = std::chrono::steady_clock::now() + duration;
    for (auto now = std::chrono::steady_clock::now(); now < until;
         now = std::chrono::steady_clock::now()) {
        if (IsStopped(stop)) {
            return false;
        }
        std::this_thread::sleep_for(
            std::min<std::chrono::steady_clock::duration>(kPoll, until - now));
    }
    return !IsStopped(stop);
}

}  // namespace bramix
