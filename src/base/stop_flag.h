#pragma once

// A worker's stop request and the one way a worker waits: every pause ends
// within 10 ms of the request. Any thread.

#include <atomic>
#include <chrono>

namespace bramix {

// 0 = run; nonzero = stop. Written by whoever started the worker, read afresh
// by the worker at every poll.
using StopFlag = std::atomic<int>;

inline bool IsStopped(const StopFlag& stop) {
    return stop.load() != 0;
}

// Waits for `duration`, or less when `stop` is or becomes set. True when the
// whole time passed without a stop.
bool WaitUnlessStopped(const StopFlag& stop, std::chrono::milliseconds duration);

}  // namespace bramix
