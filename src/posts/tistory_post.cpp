#include <array>
#include <iterator>

#include "base/code_page.h"
#include "base/text_helpers.h"
#include "base/tick_count.h"
#include "posts/link_extraction.h"
#include "posts/media_resolution.h"
#include "posts/post_analyzers.h"
#include "posts/site_constants.h"
#include "titles/title_cleaning.h"

namespace bramix {

namespace {

constexpr std::string_view kItemStart = "<noscript><a ";
constexpr std::string_view kItemEnd = "</noscript>";
constexpr std::string_view kAnchorStart = "<a href";
constexpr std::string_view kAnchorEnd = "</a>";

// Tried in this order; the first one present anywhere after the page position
// decides, not the nearest one.
constexpr std::string_view kTitleMarkers[] = {
    "\"title-wrap",
    "\"titleWrap",
    "\"article_title",
    "\"titleinfo",
    "\"content_data_main_data_title",
    "\"article_head",
    "=\"entry\"",
    "\"head_title",
};

// Where each title marker next occurs. Items are scanned front to back, so a
// marker's last position stays good until the scan passes it, and a marker
// that is absent stays absent: each marker costs one pass over the page, not
// one per item.
class TitleMarkerFinder {
public:
    explicit TitleMarkerFinder(const std::string& html) : html_(html) { next_.fill(kNotSearched); }

    // The first marker in table order that occurs at or after `from`.
    size_t FirstFrom(size_t from) {
        for (size_t i = 0; i < std::size(kTitleMarkers); ++i) {
            if (next_[i] == kNotSearched || (next_[i] != std::string::npos && next_[i] < from)) {
                next_[i] = html_.find(kTitleMarkers[i], from);
            }
            if (next_[i] != std::string::npos) {
                return next_[i];
            }
        }
        return std::string::npos;
    }

private:
    static constexpr size_t kNotSearched = std::string::npos - 1;
    const std::string& html_;
    std::array<size_t, std::size(kTitleMarkers)> next_;
};

// The heading of the post that holds the item starting at `itemStart`: the
// text of the first link after a title marker. Leaves the item title as it
// was (an earlier item's, or empty) when there is none before the item.
void TakeItemTitle(SearchJob& job, PostContext& post, TitleMarkerFinder& markers,
                   size_t pagePosition, size_t itemStart) {
    const size_t marker = markers.FirstFrom(pagePosition);
    if (marker == std::string::npos || marker >= itemStart) {
        return;
    }
    // Everything must lie before the item: searching no further keeps each
    // item's cost to its own stretch of the page.
    const std::string_view html = std::string_view(post.html).substr(0, itemStart);
    const size_t anchor = html.find(kAnchorStart, marker + 8);
    if (anchor == std::string_view::npos) {
        return;
    }
    const size_t anchorEnd = html.find(kAnchorEnd, anchor + 7);
    if (anchorEnd == std::string_view::npos) {
        return;
    }
    const size_t textStart = html.find('>', anchor);
    if (textStart == std::string::npos || textStart >= anchorEnd) {
        return;
    }
    post.itemTitle = std::string(html.substr(textStart + 1, anchorEnd - textStart - 1));
    CleanTitle(post.itemTitle, job.input);
    post.itemTitleTerm.reset();
}

// The file name an attachment link shows, with ".mp3" ensured.
std::string AttachmentName(std::string_view linkText) {
    std::string name(linkText);
    TrimSpaces(name);
    TidyFileName(name);
    if (name.empty()) {
        name = std::to_string(TickCount());
    }
    if (!EndsWith(name, ".mp3")) {
        name += ".mp3";
    }
    return name;
}

// Reports every Tistory link of one attachment item; false when a stop ends
// the scan.
bool ReportItemLinks(SearchJob& job, PostContext& post, std::string_view item) {
    static const std::string tistoryHost = std::string(".") + DOMAIN_TISTORY + "/";
    size_t itemPosition = 0;
    for (;;) {
        const size_t anchorStart = item.find(kAnchorStart, itemPosition);
        const size_t anchorEnd = anchorStart == std::string_view::npos
                                     ? anchorStart
                                     : item.find(kAnchorEnd, anchorStart);
        if (anchorEnd == std::string_view::npos) {
            return true;
        }
        const std::string_view anchor =
            item.substr(anchorStart, anchorEnd + kAnchorEnd.size() - anchorStart);
        itemPosition = anchorEnd + kAnchorEnd.size();

        const size_t valueStart = anchor.find("=\"");
        const size_t valueEnd =
            valueStart == std::string_view::npos ? valueStart : anchor.find("\">", valueStart + 2);
        if (valueEnd != std::string_view::npos) {
            std::string link(anchor.substr(valueStart + 2, valueEnd - valueStart - 2));
            TrimSpaces(link);
            if (Contains(link, tistoryHost)) {
                const size_t textStart = valueEnd + 2;
                FoundFile found;
                found.pageUrl = post.pageUrl;
                const bool ofItem = !post.itemTitle.empty();
                found.title = ofItem ? post.itemTitle : post.title;
                found.fileUrl = link;
                found.fileName = AttachmentName(
                    anchor.substr(textStart, anchor.size() - kAnchorEnd.size() - textStart));
                found.type = FILE_TYPE_MP3;
                ReportFoundFile(job, post, link, found,
                                ofItem ? PreparedTerm(post.itemTitleTerm, post.itemTitle)
                                       : PreparedTerm(post.titleTerm, post.title));
            }
        }
        if (StopRequested(job)) {
            return false;
        }
    }
}

// The attachment blocks: a player's fallback markup, a plain link to the file
// with its name as the link text. Reported without asking the file's server.
void ScanAttachmentItems(SearchJob& job, PostContext& post) {
    size_t pagePosition = 0;
    TitleMarkerFinder markers(post.html);
    for (;;) {
        const size_t itemStart = post.html.find(kItemStart, pagePosition);
        const size_t itemEnd =
            itemStart == std::string::npos ? itemStart : post.html.find(kItemEnd, itemStart);
        if (itemEnd == std::string::npos) {
            return;
        }
        TakeItemTitle(job, post, markers, pagePosition, itemStart);
        if (StopRequested(job)) {
            return;
        }
        pagePosition = itemEnd + kItemEnd.size();
        const std::string item = post.html.substr(itemStart, pagePosition - itemStart);
        if (!ReportItemLinks(job, post, item) || StopRequested(job)) {
            return;
        }
    }
}

}  // namespace

void AnalyzeTistoryPost(SearchJob& job, const std::string& address) {
    PostContext post;
    post.pageUrl = address;
    // The service's own pages and its media host hold no posts.
    if (Contains(post.pageUrl, std::string(".") + DOMAIN_TISTORY + "/media") ||
        Contains(post.pageUrl, std::string("//") + HOST_TISTORY_WWW + "/")) {
        return;
    }
    if (StopRequested(job)) {
        return;
    }
    std::string page;
    if (!FetchCounted(job, SearchService::Posts, post.pageUrl, page)) {
        return;
    }
    post.html = Utf8ToAnsi(page);
    AnalyzeTistoryPage(job, post);
}

void AnalyzeTistoryPage(SearchJob& job, PostContext& post) {
    post.title = ExtractPageTitle(post.html);
    CleanTitle(post.title, job.input);
    if (!StopRequested(job)) {
        ScanAttachmentItems(job, post);
    }
    ExtractEmbedLinks(job, post);
}

}  // namespace bramix
