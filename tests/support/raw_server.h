#pragma once

// A server that answers every connection with the same bytes and hangs up,
// for answers that no well-behaved server library would send (a length too
// large for any number, headers that contradict each other). Point
// http_proxy at Url(); it records how many requests it read.

#include <poll.h>
#include <unistd.h>

#include <atomic>
#include <string>
#include <thread>

#include "support/loopback_socket.h"

namespace bramix::testing {

class RawServer {
public:
    explicit RawServer(std::string answer) : answer_(std::move(answer)), listener_(BindLoopback()) {
        listen(listener_.fd, 8);
        thread_ = std::thread([this] { Serve(); });
    }
    ~RawServer() {
        stopping_ = true;
        thread_.join();
        close(listener_.fd);
    }
    RawServer(const RawServer&) = delete;
    RawServer& operator=(const RawServer&) = delete;

    std::string Url() const { return listener_.Url(); }
    int requests() const { return requests_; }

private:
    void Serve() {
        while (!stopping_) {
            pollfd ready{listener_.fd, POLLIN, 0};
            if (poll(&ready, 1, 20) <= 0) {
                continue;
            }
            const int connection = accept(listener_.fd, nullptr, nullptr);
            if (connection < 0) {
                continue;
            }
            // The request's headers end with an empty line.
            std::string request;
            char buffer[4096];
            while (request.find("\r\n\r\n") == std::string::npos) {
                const ssize_t n = read(connection, buffer, sizeof buffer);
                if (n <= 0) {
                    break;
                }
                request.append(buffer, static_cast<size_t>(n));
            }
            ++requests_;
            for (size_t sent = 0; sent < answer_.size();) {
                const ssize_t n =
                    send(connection, answer_.data() + sent, answer_.size() - sent, MSG_NOSIGNAL);
                if (n <= 0) {
                    break;
                }
                sent += static_cast<size_t>(n);
            }
            close(connection);
        }
    }

    const std::string answer_;
    const LoopbackSocket listener_;
    std::atomic<bool> stopping_{false};
    std::atomic<int> requests_{0};
    std::thread thread_;
};

}  // namespace bramix::testing
