#include "base/code_page.h"
#include "base/mbcs_text.h"
#include "base/text_helpers.h"
#include "posts/link_extraction.h"
#include "posts/post_analyzers.h"
#include "posts/site_constants.h"
#include "titles/title_cleaning.h"

namespace bramix {

namespace {

// The source of the frame that holds the post, or empty. A single post's frame
// wins over a blog main page's, wherever each stands.
std::string MainFrameSource(const std::string& page) {
    static constexpr std::string_view kMarkers[] = {"<frame SRC=\"/_blog/BlogView.do?",
                                                    "<frame SRC=\"/_blog/blogMain.do?"};
    static constexpr size_t kSourceOffset = 12;  // past `<frame SRC="`
    for (const std::string_view marker : kMarkers) {
        const size_t at = page.find(marker);
        if (at == std::string::npos) {
            continue;
        }
        const size_t quote = page.find('"', at + marker.size());
        if (quote == std::string::npos) {
            return {};
        }
        return page.substr(at + kSourceOffset, quote - at - kSourceOffset);
    }
    return {};
}

}  // namespace

void AnalyzeDaumPost(SearchJob& job, const std::string& address) {
    PostContext post;
    post.pageUrl = address;
    if (StopRequested(job)) {
        return;
    }
    std::string page;
    if (!FetchCounted(job, SearchService::Posts, post.pageUrl, page)) {
        return;
    }
    if (const std::string source = MainFrameSource(page); !source.empty()) {
        post.pageUrl = std::string("http://") + HOST_DAUM_BLOG + source;
        if (StopRequested(job) || !FetchCounted(job, SearchService::Posts, post.pageUrl, page)) {
            return;
        }
    }
    if (!Contains(post.pageUrl, "/_blog/BlogView.do?") &&
        !Contains(post.pageUrl, "/_blog/blogMain.do?")) {
        return;
    }
    // Only the parameter names go; their values stay where they are.
    for (const char* noise : {"&admin=", "&_bloghome_menu=recenttext", "&categoryId="}) {
        ReplaceBytes(post.pageUrl, noise, "");
    }
    post.html = Utf8ToAnsi(page);
    post.title = ExtractPageTitle(post.html);
    static constexpr std::string_view kBlogSeparator = " - ";
    if (const size_t at = FindOnCharBoundary(post.title, kBlogSeparator); at != std::string::npos) {
        post.title.erase(0, at + kBlogSeparator.size());
        TrimSpaces(post.title);
    }
    CleanTitle(post.title, job.input);
    ExtractHrefLinks(job, post);
    ExtractEmbedLinks(job, post);
}

}  // namespace bramix
