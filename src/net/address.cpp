#include "net/address.h"

#include <cctype>

#include "base/mbcs_text.h"

namespace bramix {

std::optional<ParsedAddress> ParseAddress(std::string_view text) {
    const size_t separator = text.find("://");
    if (separator == std::string_view::npos || separator == 0) {
        return std::nullopt;
    }
    std::string scheme(text.substr(0, separator));
    for (const char c : scheme) {
        const auto u = static_cast<unsigned char>(c);
        if (!std::isalnum(u) && c != '+' && c != '-' && c != '.') {
            return std::nullopt;
        }
    }
    if (!std::isalpha(static_cast<unsigned char>(scheme[0]))) {
        return std::nullopt;
    }
    const std::string_view rest = text.substr(separator + 3);
    const size_t hostEnd = rest.find_first_of("/?#");
    std::string_view host = rest.substr(0, hostEnd);
    if (const size_t at = host.rfind('@'); at != std::string_view::npos) {
        host.remove_prefix(at + 1);
    }
    LowerAscii(scheme);
    if ((host.empty() || host.front() == ':') && scheme != "file") {
        return std::nullopt;
    }
    ParsedAddress parsed;
    parsed.host = host;
    LowerAscii(parsed.host);
    if (scheme == "http") {
        parsed.service = ServiceType::Http;
    } else if (scheme == "https") {
        parsed.service = ServiceType::Https;
    } else if (scheme == "ftp") {
        parsed.service = ServiceType::Ftp;
    } else if (scheme == "file") {
        parsed.service = ServiceType::File;
    }
    return parsed;
}

}  // namespace bramix
