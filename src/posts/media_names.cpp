#include "posts/media_names.h"

#include <string_view>

#include "base/code_page.h"
#include "base/percent_coding.h"
#include "base/text_helpers.h"
#include "posts/site_constants.h"
#include "titles/title_cleaning.h"

namespace bramix {

namespace {

constexpr std::string_view kFilename = "filename=";

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
    std::string name = disposition.substr(at + kFilename.size());
    TrimSpaces(name);
    TrimChar(name, '"');
    TrimSpaces(name);
    if (!naverLink) {
        name = Utf8ToAnsi(PercentDecode(name));
    }
    TidyFileName(name);
    return name;
}

std::string FileNameFromLink(const std::string& link, LinkCoding coding) {
    const size_t slash = link.rfind('/');
    if (slash == std::string::npos) {
        return {};
    }
    std::string name = link.substr(slash + 1);
    if (const size_t at = name.find(kFilename); at != std::string::npos) {
        name.erase(0, at + kFilename.size());
    }
    name = PercentDecode(name);
    if (coding == LinkCoding::Utf8) {
        name = Utf8ToAnsi(name);
    }
    TidyFileName(name);
    return name;
}

}  // namespace bramix
