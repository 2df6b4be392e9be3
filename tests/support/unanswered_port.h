#pragma once

// A port on 127.0.0.1 whose connects never complete, as when a server's SYNs
// are dropped: it listens with no room in its queue, and one connection
// already fills it. Point http_proxy at it to hold a transfer in its connect.

#include <unistd.h>

#include <string>

#include "support/loopback_socket.h"

namespace bramix::testing {

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

// The address of a port that was free a moment ago: nobody listens there, so
// a connect is refused at once.
inline std::string RefusedPortUrl() {
    const LoopbackSocket probe = BindLoopback();
    close(probe.fd);
    return probe.Url();
}

}  // namespace bramix::testing
