#pragma once

// A server that answers every connection with the same bytes and hangs up,
// for answers that no well-behaved server library would send (a length too
// large for any number, headers that contradict each other). Point
// http_proxy at Url(); it records how many requests it read.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <string>
#include <thread>

namespace bramix::testing {

class RawServer {
public:
    explicit RawServer(std::string answer) : answer_(std::move(answer)) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        listener_ = socket(AF_INET, SOCK_STREAM, 0);
        bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
        listen(listener_, 8);
        socklen_t length = sizeof address;
        getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this] { Serve(); });
    }
    ~RawServer() {
        stopping_ = true;
        thread_.join();
        close(listener_);
    }
    RawServer(const RawServer&) = delete;
    RawServer& operator=(const RawServer&) = delete;

    std::string Url() const { return "http://127.0.0.1:" + std::to_string(port_); }
    int requests() const { return requests_; }

private:
    void Serve() {
        while (!stopping_) {
            pollfd ready{listener_, POLLIN, 0};
            if (poll(&ready, 1, 20) <= 0) {
                continue;
            }
            const int connection = accept(listener_, nullptr, nullptr);
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
    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> stopping_{false};
    std::atomic<int> requests_{0};
    std::thread thread_;
};

}  // namespace bramix::testing
