#include "posts/link_extraction.h"

#include <string>
#include <string_view>

#include "base/text_helpers.h"
#include "posts/media_resolution.h"
#include "posts/site_constants.h"

namespace bramix {

namespace {

constexpr std::string_view kHrefPrefix = "href=\"";

// One file-server pattern: where a link starts, what ends it, and whether the
// end marker belongs to the link.
struct HrefPass {
    std::string start;
    std::string_view end;
    size_t keptOfEnd;  // bytes of the end marker that are part of the link
};

const HrefPass* HrefPasses() {
    static const HrefPass passes[] = {
        {std::string(kHrefPrefix) + "http://" + LABEL_DAUM_BGM, ".wma\"", 4},
        {std::string(kHrefPrefix) + "http://" + LABEL_CFILE, "\" ", 0},
        {std::string(kHrefPrefix) + "http://" + HOST_NAVER_FILES + "/", "\"", 0},
        {std::string(kHrefPrefix) + "http://" + LABEL_DAUM_PDS, "\"", 0},
    };
    return passes;
}

size_t BodyStart(const std::string& html) {
    return html.find("<body");
}

}  // namespace

void ExtractHrefLinks(SearchJob& job, PostContext& post) {
    const size_t body = BodyStart(post.html);
    if (body == std::string::npos) {
        return;
    }
    for (int i = 0; i < 4; ++i) {
        const HrefPass& pass = HrefPasses()[i];
        if (StopRequested(job)) {
            return;
        }
        size_t position = body;
        for (;;) {
            const size_t start = post.html.find(pass.start, position);
            if (start == std::string::npos) {
                break;
            }
            if (StopRequested(job)) {
                return;
            }
            position = start + pass.start.size();
            const size_t end = post.html.find(pass.end, position);
            if (end == std::string::npos) {
                break;  // no later start marker can find an end either
            }
            const size_t linkStart = start + kHrefPrefix.size();
            std::string link = post.html.substr(linkStart, end + pass.keptOfEnd - linkStart);
            ResolveMediaLink(job, post, std::move(TrimSpaces(link)));
            position = end + pass.end.size();
            if (StopRequested(job)) {
                return;
            }
        }
    }
}

void ExtractEmbedLinks(SearchJob& job, PostContext& post) {
    static constexpr std::string_view kTagStart = "<EMBED ";
    size_t position = BodyStart(post.html);
    if (position == std::string::npos || StopRequested(job)) {
        return;
    }
    for (;;) {
        const size_t tagStart = post.html.find(kTagStart, position);
        if (tagStart == std::string::npos) {
            return;
        }
        const size_t tagEnd = post.html.find('>', tagStart + kTagStart.size());
        if (tagEnd == std::string::npos) {
            return;
        }
        position = tagEnd + 1;
        const std::string_view tag =
            std::string_view(post.html).substr(tagStart, tagEnd + 1 - tagStart);
        const size_t src = tag.find("src=");
        const size_t space = src == std::string_view::npos ? src : tag.find(' ', src + 4);
        if (space != std::string_view::npos) {
            std::string value(tag.substr(src + 4, space - src - 4));
            TrimSpaces(value);
            TrimChar(value, '"');
            ResolveMediaLink(job, post, std::move(value));
        }
        if (StopRequested(job)) {
            return;
        }
    }
}

}  // namespace bramix
