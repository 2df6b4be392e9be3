#pragma once

// A server that answers every connection with the same bytes and hangs up,
// for answers that no well-behaved server library would send (a length too
// large for any number, headers that contradict each other). Point
// http_proxy at Url().

#include <string>
#include <thread>

#include "support/unanswered_port.h"

namespace bramix::testing {

class RawServer {
public:
    explicit RawServer(std::string answer) : answer_(std::move(answer)), listener_(BindLoopback()) {
        listen(listener_.fd, 8);
        thread_ = std::thread([this] { Serve(); });
    }
    ~RawServer() {
        shutdown(listener_.fd, SHUT_RDWR);  // wakes the accept with an error
        thread_.join();
        close(listener_.fd);
    }
    RawServer(const RawServer&) = delete;
    RawServer& operator=(const RawServer&) = delete;

    std::string Url() const { return listener_.Url(); }

private:
    void Serve() {
        for (int connection; (connection = accept(listener_.fd, nullptr, nullptr)) >= 0;) {
            // The request's headers end with an empty line; an answer sent
            // before them is lost to the reset of a close with unread bytes.
            std::string request;
            char buffer[4096];
            for (ssize_t n = 1; n > 0 && request.find("\r\n\r\n") == std::string::npos;) {
                n = read(connection, buffer, sizeof buffer);
                request.append(buffer, n > 0 ? static_cast<size_t>(n) : 0);
            }
            for (ssize_t sent = 0, n = 1; n > 0 && sent < ssize_t(answer_.size()); sent += n) {
                n = send(connection, answer_.data() + sent, answer_.size() - sent, MSG_NOSIGNAL);
            }
            close(connection);
        }
    }

    const std::string answer_;
    const LoopbackSocket listener_;
    std::thread thread_;
};

}  // namespace bramix::testing
