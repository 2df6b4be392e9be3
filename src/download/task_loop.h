#pragma once

// Work handed from other threads to one thread that runs it in order: the
// owner's thread of a DownloadQueue where there is no window event loop (the
// command line, tests). Post from any thread; Run on the owner's.

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

namespace bramix {

class TaskLoop {
public:
    void Post(std::function<void()> task) {
        std::lock_guard lock(mutex_);
        tasks_.push_back(std::move(task));
        ready_.notify_one();
    }

    // Runs what has arrived, waiting at most `timeout` for the first task.
    void RunFor(std::chrono::milliseconds timeout) {
        std::unique_lock lock(mutex_);
        ready_.wait_for(lock, timeout, [this] { return !tasks_.empty(); });
        while (!tasks_.empty()) {
            auto task = std::move(tasks_.front());
            tasks_.pop_front();
            lock.unlock();
            task();
            lock.lock();
        }
    }

    // Runs tasks until `done` holds or `limit` passes; true when it held.
    template <typename Predicate>
    bool RunUntil(Predicate done, std::chrono::milliseconds limit) {
        const auto until = std::chrono::steady_clock::now() + limit;
        while (!done()) {
            if (std::chrono::steady_clock::now() >= until) {
                return false;
            }
            RunFor(std::chrono::milliseconds(20));
        }
        return true;
    }

private:
    std::mutex mutex_;
    std::condition_variable ready_;
    std::deque<std::function<void()>> tasks_;
};

}  // namespace bramix
