#pragma once

// Milliseconds since boot as an unsigned 32-bit number that wraps, as the
// program's fallback names and throttles count them. Any thread.

#include <cstdint>
#include <ctime>

namespace bramix {

inline uint32_t TickCount() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<uint32_t>(static_cast<uint64_t>(now.tv_sec) * 1000 +
                                 static_cast<uint64_t>(now.tv_nsec) / 1000000);
}

}  // namespace bramix
