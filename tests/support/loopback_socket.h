#pragma once

// A TCP socket bound to a port on 127.0.0.1 that the system picked free, for
// the tests' hand-made servers.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <string>

namespace bramix::testing {

struct LoopbackSocket {
    int fd = -1;
    sockaddr_in address{};

    int Port() const { return ntohs(address.sin_port); }
    std::string Url() const { return "http://127.0.0.1:" + std::to_string(Port()); }
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

}  // namespace bramix::testing
