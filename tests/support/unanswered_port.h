#pragma once

// A port on 127.0.0.1 whose connects never complete, as when a server's SYNs
// are dropped: it listens with no room in its queue, and one connection
// already fills it. Point http_proxy at it to hold a transfer in its connect.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>

namespace bramix::testing {

class UnansweredPort {
public:
    UnansweredPort() {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        listener_ = socket(AF_INET, SOCK_STREAM, 0);
        bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
        listen(listener_, 0);
        socklen_t length = sizeof address;
        getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
        filler_ = socket(AF_INET, SOCK_STREAM, 0);
        connect(filler_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    }
    ~UnansweredPort() {
        close(filler_);
        close(listener_);
    }
    UnansweredPort(const UnansweredPort&) = delete;
    UnansweredPort& operator=(const UnansweredPort&) = delete;

    std::string Url() const { return "http://127.0.0.1:" + std::to_string(port_); }

private:
    int listener_ = -1;
    int filler_ = -1;
    int port_ = 0;
};

// The address of a port that was free a moment ago: nobody listens there, so
// a connect is refused at once.
inline std::string RefusedPortUrl() {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const int probe = socket(AF_INET, SOCK_STREAM, 0);
    bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t length = sizeof address;
    getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length);
    close(probe);
    return "http://127.0.0.1:" + std::to_string(ntohs(address.sin_port));
}

}  // namespace bramix::testing
