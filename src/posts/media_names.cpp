#include "posts/media_names.h"

#include <optional>
#include <string_view>

#include "base/code_page.h"
#include "base/percent_coding.h"
#include "base/text_helpers.h"
#include "posts/site_constants.h"
#include "titles/title_cleaning.h"

namespace bramix {

namespace {

constexpr std::string_view kFilename = "filename=";

// The text of a quoted string after its opening quote, up to its closing one
// or the end: a backslash takes the next byte as it is (no two-byte character
// of code page 949 has a backslash or a quote for its second byte), and a
// lone one at the end is dropped.
std::string QuotedText(std::string_view rest) {
    std::string text;
    for (size_t i = 0; i < rest.size() && rest[i] != '"'; ++i) {
        if (rest[i] == '\\') {
            ++i;
            if (i == rest.size()) {
                break;
            }
        }
        text += rest[i];
    }
    return text;
}

}  // namespace

bool IsNaverLink(const std::string& link, const std::string& pageUrl) {
    if (Contains(link, std::string(".") + DOMAIN_DAUM + "/")) {
        return false;
    }
    return Contains(link, std::string(".") + DOMAIN_NAVER_FILES + "/") ||
           Contains(pageUrl, std::string(".") + DOMAIN_NAVER + "/");
}

std::string NameFromDisposition(const std::string& disposition, bool naverLink) {
    const size_t at = disposition.find(kFilename);
    if (at == std::string::npos) {
        return {};
    }
    // The value alone: a quoted one ends at its closing quote, a bare one at
    // the next parameter.
    std::string_view value = std::string_view(disposition).substr(at + kFilename.size());
    while (!value.empty() && value.front() == ' ') {
        value.remove_prefix(1);
    }
    std::string name = !value.empty() && value.front() == '"'
                           ? QuotedText(value.substr(1))
                           : std::string(value.substr(0, value.find(';')));
    TrimSpaces(name);
    TrimChar(name, '"');
    TrimSpaces(name);
    if (!naverLink) {
        name = Utf8ToAnsi(PercentDecode(name));
    }
    TidyFileName(name);
    return name;
}

namespace {

// The last path segment of a link, or what follows a "filename=" in it,
// percent-decoded; nothing without a '/'.
std::optional<std::string> DecodedNameOfLink(const std::string& link) {
    const size_t slash = link.rfind('/');
    if (slash == std::string::npos) {
        return std::nullopt;
    }
    std::string name = link.substr(slash + 1);
    if (const size_t at = name.find(kFilename); at != std::string::npos) {
        name.erase(0, at + kFilename.size());
    }
    return PercentDecode(name);
}

}  // namespace

std::string FileNameFromLink(const std::string& link) {
    std::string name = DecodedNameOfLink(link).value_or("");
    TidyFileName(name);
    return name;
}

std::string Utf8FileNameFromLink(const std::string& link) {
    std::string decoded = DecodedNameOfLink(link).value_or("");
    std::string ansi = Utf8ToAnsi(decoded);
    if (AnsiToUtf8(ansi) != decoded) {
        return decoded;  // 949 would lose some of it
    }
    TidyFileName(ansi);
    return AnsiToUtf8(ansi);
}

}  // namespace bramix
