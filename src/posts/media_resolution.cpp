#include "posts/media_resolution.h"

#include <cstdlib>

#include "search/code_page.h"
#include "search/page_fetcher.h"
#include "search/site_constants.h"
#include "search/text_helpers.h"
#include "titles/keyword_match.h"
#include "titles/mbcs_text.h"
#include "titles/title_cleaning.h"

namespace bramix {

namespace {

// Naver serves file names undecoded and in code page 949, and marks its
// attachment links with a parameter that the file server does not want.
bool IsNaverLink(const std::string& link, const std::string& pageUrl) {
    if (Contains(link, std::string(".") + DOMAIN_DAUM + "/")) {
        return false;
    }
    return Contains(link, std::string(".") + DOMAIN_NAVER_FILES + "/") ||
           Contains(pageUrl, std::string(".") + DOMAIN_NAVER + "/");
}

std::string LowerCasedExtension(std::string_view name) {
    std::string lowered(name);
    LowerAscii(lowered);
    return std::string(LastFourBytes(lowered));
}

int TypeOfExtension(std::string_view extension) {
    if (extension == ".mp3") {
        return FILE_TYPE_MP3;
    }
    if (extension == ".wma") {
        return FILE_TYPE_WMA;
    }
    if (extension == ".zip") {
        return FILE_TYPE_ZIP;
    }
    return 0;
}

// The leading decimal number, read as a signed 32-bit integer and kept as the
// same 32 bits; saturates instead of overflowing.
uint32_t ParseContentLength(const std::string& value) {
    long long number = std::strtoll(value.c_str(), nullptr, 10);
    if (number < INT32_MIN || number > static_cast<long long>(UINT32_MAX)) {
        number = number < 0 ? INT32_MIN : static_cast<long long>(UINT32_MAX);
    }
    return static_cast<uint32_t>(number);
}

// The name in a Content-Disposition value, or empty.
std::string NameFromDisposition(const std::string& disposition, bool naverLink) {
    static constexpr std::string_view kFilename = "filename=";
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

bool StemIsOnlyNumbering(std::string_view stem) {
    for (const char c : stem) {
        if (!(c >= '0' && c <= '9') && c != ' ' && c != '-') {
            return false;
        }
    }
    return true;
}

}  // namespace

void ResolveMediaLink(const SearchJob& job, PostContext& post) {
    if (g_seenLinks.count(post.linkUrl) != 0 || post.linkUrl == URL_DUMMY_MP3) {
        return;
    }
    const bool naverLink = IsNaverLink(post.linkUrl, post.pageUrl);
    if (naverLink) {
        ReplaceBytes(post.linkUrl, "?type=attachment", "");
    }
    const std::string& link = post.linkUrl;
    const bool worthAsking = Contains(link, std::string(".") + DOMAIN_DAUM + "/attach/") ||
                             Contains(link, std::string(".") + DOMAIN_TISTORY + "/") ||
                             TypeOfExtension(LowerCasedExtension(link)) != 0;
    if (!worthAsking) {
        g_seenLinks.insert(link);
        return;
    }
    FoundFile found;
    found.fileName = FileNameFromLink(link);

    HttpPageReader reader(kFetchTimeoutMs);
    if (!reader.Open(link)) {
        g_seenLinks.insert(link);
        return;
    }
    // Only the status and two headers: the body is never read.
    const std::string disposition = reader.QueryHeader(HTTP_QUERY_CONTENT_DISPOSITION);
    const std::string length = reader.QueryHeader(HTTP_QUERY_CONTENT_LENGTH);
    if (std::string name = NameFromDisposition(disposition, naverLink); !name.empty()) {
        found.fileName = std::move(name);
    }
    if (!length.empty()) {
        found.size = ParseContentLength(length);
    }
    found.type = TypeOfExtension(LowerCasedExtension(found.fileName));
    if (found.type == 0 || (found.size != 0 && found.size < kSmallestAcceptedSize)) {
        g_seenLinks.insert(link);
        return;
    }
    found.pageUrl = post.pageUrl;
    found.title = post.title;
    found.fileUrl = link;
    ReportFoundFile(job, post, found);
}

void ReportFoundFile(const SearchJob& job, PostContext& post, FoundFile& found) {
    if (!g_seenLinks.insert(post.linkUrl).second) {
        return;
    }
    const size_t stemLength = found.fileName.size() < 4 ? 0 : found.fileName.size() - 4;
    const std::string_view stem = std::string_view(found.fileName).substr(0, stemLength);
    // A name like "01.mp3" or "20071203-1.mp3" says less than the song title.
    if (StemIsOnlyNumbering(stem) && !found.title.empty()) {
        found.fileName = found.title + found.fileName.substr(stemLength);
        found.title.clear();
    }
    // A title is shown only when it says something the name does not.
    if (MatchesSearchTerm(job.input, found.fileName)) {
        found.title.clear();
    }
    if (MatchesSearchTerm(found.title, found.fileName)) {
        found.title.clear();
    }
    if (job.callback) {
        job.callback(SEARCH_EV_FOUND, 0, reinterpret_cast<intptr_t>(&found));
    }
}

std::string FileNameFromLink(const std::string& link) {
    const size_t slash = link.rfind('/');
    if (slash == std::string::npos) {
        return {};
    }
    std::string name = link.substr(slash + 1);
    static constexpr std::string_view kFilename = "filename=";
    if (const size_t at = name.find(kFilename); at != std::string::npos) {
        name.erase(0, at + kFilename.size());
    }
    name = PercentDecode(name);
    TidyFileName(name);
    return name;
}

std::string PercentDecode(std::string_view text) {
    auto nibble = [](unsigned char c) {
        return static_cast<unsigned char>((c > '9' ? c - 55 : c - 48) & 0x0F);
    };
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '%' && i + 2 < text.size()) {
            out += static_cast<char>(nibble(static_cast<unsigned char>(text[i + 1])) * 16 +
                                     nibble(static_cast<unsigned char>(text[i + 2])));
            i += 2;
        } else if (c == '+') {
            out += ' ';
        } else {
            out += c;  // an escape cut off at the end stays as it is
        }
    }
    return out;
}

}  // namespace bramix
