#pragma once

// What every program of ours does first, before any thread starts: libcurl's
// global state, and no SIGPIPE from a peer that hung up (a failed write is
// seen as an error instead). Hold one for the life of main.

namespace bramix {

class NetworkSetup {
public:
    NetworkSetup();
    ~NetworkSetup();
    NetworkSetup(const NetworkSetup&) = delete;
    NetworkSetup& operator=(const NetworkSetup&) = delete;
};

}  // namespace bramix
