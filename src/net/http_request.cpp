#include "net/http_request.h"

#include "base/percent_coding.h"
#include "base/text_helpers.h"
#include "net/curl_handles.h"

namespace bramix {

std::string EscapeForRequest(std::string_view address) {
    std::string out;
    out.reserve(address.size());
    for (const char ch : address) {
        const auto c = static_cast<unsigned char>(ch);
        if (IsControlByte(c) || c == ' ' || IsLeadByte(c)) {
            AppendPercentEscape(out, c);
        } else {
            out += ch;
        }
    }
    return out;
}

bool IsRequestableAddress(std::string_view address) {
    const CurlUrl url(curl_url());
    return url && curl_url_set(url.get(), CURLUPART_URL, EscapeForRequest(address).c_str(), 0) ==
                      CURLUE_OK;
}

void ConfigureRequest(CURL* easy, const std::string& url, const RequestSettings& settings,
                      char* errorBuffer) {
    const std::string wireUrl = EscapeForRequest(url);
    curl_easy_setopt(easy, CURLOPT_URL, wireUrl.c_str());
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, settings.protocols);
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_USERAGENT, kUserAgent);
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS,
                     static_cast<long>(settings.connectTimeout.count()));
    // libcurl gives up only below the limit: 35 bytes a second over 30 s is
    // the 1,024 bytes a transfer must move, and a drip of 1 byte a second
    // does not pass.
    curl_easy_setopt(easy, CURLOPT_LOW_SPEED_LIMIT, kStallBytesPerSecond);
    curl_easy_setopt(easy, CURLOPT_LOW_SPEED_TIME, static_cast<long>(settings.stallLimit.count()));
    curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, errorBuffer);
}

std::string TransferErrorMessage(CURLcode code, const char* errorBuffer) {
    std::string message =
        errorBuffer != nullptr && errorBuffer[0] != '\0' ? errorBuffer : curl_easy_strerror(code);
    while (!message.empty() && IsSpaceByte(static_cast<unsigned char>(message.back()))) {
        message.pop_back();
    }
    return message;
}

}  // namespace bramix
