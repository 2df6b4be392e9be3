#pragma once

// What every HTTP request of the program shares, page fetches and downloads
// alike: the address as it goes on the wire, the user agent, the protocols,
// the connect time-out and the stall guard. The proxy is libcurl's own
// handling of http_proxy and no_proxy.

#include <curl/curl.h>

#include <chrono>
#include <string>
#include <string_view>

namespace bramix {

inline constexpr const char* kUserAgent = "Mozilla/4.0 (compatible; MSIE 7.0; Windows NT 5.1)";

// A transfer that moves fewer than 1,024 bytes in 30 s is given up: it is
// slower than this many bytes a second over the stall limit.
inline constexpr std::chrono::seconds kStallLimit{30};
inline constexpr long kStallBytesPerSecond = 35;

struct RequestSettings {
    const char* protocols = "http";  // libcurl's list, such as "http,https"
    std::chrono::milliseconds connectTimeout{1000};
    std::chrono::seconds stallLimit = kStallLimit;
};

// The address as it may go on the wire: spaces, control bytes and bytes of
// two-byte characters percent-escaped, everything else as it stands.
std::string EscapeForRequest(std::string_view address);

// True when libcurl can request the address as it goes on the wire: a
// scheme, a host, a port that exists. Asks nothing of the network.
bool IsRequestableAddress(std::string_view address);

// Sets the address and the shared options on a fresh handle. `errorBuffer`
// (CURL_ERROR_SIZE bytes) must live as long as the transfer.
void ConfigureRequest(CURL* easy, const std::string& url, const RequestSettings& settings,
                      char* errorBuffer);

// libcurl's message for a failed transfer, without its trailing line break.
std::string TransferErrorMessage(CURLcode code, const char* errorBuffer);

}  // namespace bramix
