#pragma once

// Ports on 127.0.0.1 that the system picked free, for the tests' hand-made
// servers, and two that answer no connect.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>

namespace bramix::testing {

struct LoopbackSocket {
    int fd = -1;
    sockaddr_in address{};

    std::string Url() const {
        return "http://127.0.0.1:" + std::to_string(ntohs(address.sin_port));
    }
};

inline LoopbackSocket BindLoopback() {
    LoopbackSocket bound;
    bound.address.sin_family = AF_INET;
    bound.address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bound.fd = socket(AF_INET, SOCK_STREAM, 0);
    bind(bound.fd, reinterpret_cast<sockaddr*>(&bound.address), sizeof bound.address);
    socklen_t length = sizeof bound.address;
    getsockname(bound.fd, reinterpret_cast<sockaddr*>(&bound.address), &length);
    return bound;
}

// A port whose connects never complete, as when a server's SYNs are dropped:
// it listens with no room in its queue, and one connection already fills it.
// Point http_proxy at it to hold a transfer in its connect.
class UnansweredPort {
public:
    UnansweredPort() : listener_(BindLoopback()) {
        listen(listener_.fd, 0);
        filler_ = socket(AF_INET, SOCK_STREAM, 0);
        connect(filler_, reinterpret_cast<const sockaddr*>(&listener_.address),
                sizeof listener_.address);
    }
    ~UnansweredPort() {
        close(filler_);
        close(listener_.fd);
    }
    UnansweredPort(const UnansweredPort&) = delete;
    UnansweredPort& operator=(const UnansweredPort&) = delete;

    std::string Url() const { return listener_.Url(); }

private:
    LoopbackSocket listener_;
    int filler_ = -1;
};

// A port that was free a moment ago: nobody listens there, so a connect is
// refused at once.
inline std::string RefusedPortUrl() {
    const LoopbackSocket probe = BindLoopback();
    close(probe.fd);
    return probe.Url();
}

}  // namespace bramix::testing
