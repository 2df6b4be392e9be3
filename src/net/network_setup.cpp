#include "net/network_setup.h"

#include <curl/curl.h>

#include <csignal>

namespace bramix {

NetworkSetup::NetworkSetup() {
    std::signal(SIGPIPE, SIG_IGN);
    curl_global_init(CURL_GLOBAL_DEFAULT);
}

NetworkSetup::~NetworkSetup() {
    curl_global_cleanup();
}

}  // namespace bramix
