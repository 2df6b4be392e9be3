#pragma once

// A transfer's speed over its last few seconds, from the progress reports,
// and the time left at that speed. Not thread-safe: its owner's thread only.

#include <chrono>
#include <cstdint>
#include <deque>
#include <optional>
#include <utility>

namespace bramix {

class TransferRate {
public:
    using Clock = std::chrono::steady_clock;

    // The speed is taken over this much of the latest reports.
    static constexpr std::chrono::seconds kWindow{3};

    void Reset() { samples_.clear(); }

    void Add(Clock::time_point when, uint64_t bytes) {
        if (!samples_.empty() && bytes < samples_.back().second) {
            samples_.clear();  // a new start of the same file
        }
        samples_.emplace_back(when, bytes);
        while (samples_.size() > 2 && when - samples_[1].first >= kWindow) {
            samples_.pop_front();
        }
    }

    // Bytes a second; 0 until two reports half a second apart have come.
    uint64_t BytesPerSecond() const {
        if (samples_.size() < 2) {
            return 0;
        }
        const auto& [firstTime, firstBytes] = samples_.front();
        const auto& [lastTime, lastBytes] = samples_.back();
        const double seconds = std::chrono::duration<double>(lastTime - firstTime).count();
        return seconds < 0.5
                   ? 0
                   : static_cast<uint64_t>(static_cast<double>(lastBytes - firstBytes) / seconds);
    }

    // Whole seconds left to `total` at the current speed; empty when either is
    // unknown.
    std::optional<uint64_t> SecondsLeft(uint64_t total) const {
        const uint64_t speed = BytesPerSecond();
        if (total == 0 || speed == 0 || samples_.empty()) {
            return std::nullopt;
        }
        const uint64_t done = samples_.back().second;
        return done >= total ? 0 : (total - done + speed - 1) / speed;
    }

private:
    std::deque<std::pair<Clock::time_point, uint64_t>> samples_;
};

}  // namespace bramix
