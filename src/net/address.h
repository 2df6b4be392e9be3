#pragma once

// Tells an address from a search term: an address is a scheme, "://" and a
// host. Stateless; any thread.

#include <optional>
#include <string>
#include <string_view>

namespace bramix {

enum class ServiceType {
    Other = 0,
    Ftp = 1,
    Http = 3,  // the only one the search side fetches
    File = 4,
    Https = 5,
};

struct ParsedAddress {
    ServiceType service = ServiceType::Other;
    std::string host;  // lower-cased, with its port if it has one
};

// Empty for a text without a scheme (a search term, or a host and path typed
// without "http://").
std::optional<ParsedAddress> ParseAddress(std::string_view text);

}  // namespace bramix
