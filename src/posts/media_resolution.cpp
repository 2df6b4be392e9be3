#include "posts/media_resolution.h"

#include <cstdlib>

#include "base/code_page.h"
#include "base/file_name_parts.h"
#include "base/mbcs_text.h"
#include "base/percent_coding.h"
#include "base/text_helpers.h"
#include "posts/media_names.h"
#include "posts/site_constants.h"
#include "titles/keyword_match.h"
#include "titles/title_cleaning.h"

namespace bramix {

namespace {

std::string LowerCasedExtension(std::string_view name) {
    std::string lowered(name);
    LowerAscii(lowered);
    return std::string(SplitFileName(lowered).extension);
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

bool StemIsOnlyNumbering(std::string_view stem) {
    for (const char c : stem) {
        if (!(c >= '0' && c <= '9') && c != ' ' && c != '-') {
            return false;
        }
    }
    return true;
}

// What a find of a probed link needs once the probe answers, when the post
// it came from is gone.
struct AskedLink {
    std::string link;
    bool naverLink = false;
    bool seenBefore = false;  // reported before, or decided on: never reported
    std::string pageUrl;
    std::string title;
    std::optional<SearchTerm> inputTerm = {};  // both set unless seenBefore
    std::optional<SearchTerm> titleTerm = {};
};

// The final naming rules of every find.
void ApplyNamingRules(FoundFile& found, const SearchTerm& inputTerm, const SearchTerm& titleTerm) {
    // A name like "01.mp3" or "20071203-1.mp3" says less than the song title.
    const FileNameParts parts = SplitFileName(found.fileName);
    if (StemIsOnlyNumbering(parts.stem) && !found.title.empty()) {
        found.fileName = found.title + std::string(parts.extension);
        found.title.clear();
    }
    // A title is shown only when it says something the name does not.
    if (inputTerm.MatchedBy(found.fileName)) {
        found.title.clear();
    }
    // An emptied title matches any name; the term is the title as given.
    if (!found.title.empty() && titleTerm.MatchedBy(found.fileName)) {
        found.title.clear();
    }
}

// The find a probe's answer makes, if any: a name and a size from the
// server, the filters, the naming rules.
std::optional<FoundFile> FindOfAnswer(const AskedLink& asked, const FileProbe& probe) {
    if (asked.seenBefore || !probe.result) {
        return std::nullopt;
    }
    FoundFile found;
    found.fileName = FileNameFromLink(asked.link);
    if (std::string name = NameFromDisposition(probe.contentDisposition, asked.naverLink);
        !name.empty()) {
        found.fileName = std::move(name);
    }
    if (!probe.contentLength.empty()) {
        found.size = ParseContentLength(probe.contentLength);
    }
    found.type = TypeOfExtension(LowerCasedExtension(found.fileName));
    if (found.type == 0 || (found.size != 0 && found.size < kSmallestAcceptedSize)) {
        return std::nullopt;
    }
    found.pageUrl = asked.pageUrl;
    found.title = asked.title;
    found.fileUrl = asked.link;
    ApplyNamingRules(found, *asked.inputTerm, *asked.titleTerm);
    return found;
}

// Counts the probe and tells its find, if it made one, in its turn.
EventOutbox::Event EventOfAnswer(SearchJob& job, const AskedLink& asked, const FileProbe& probe) {
    return [&job, result = probe.result, found = FindOfAnswer(asked, probe)] {
        job.stats.Count(SearchService::FileProbes, result);
        if (found) {
            ListenerOf(job).OnFound(*found);
        }
    };
}

}  // namespace

void ResolveMediaLink(SearchJob& job, PostContext& post, std::string link) {
    if (job.seenLinks.count(link) != 0 || link == URL_DUMMY_MP3) {
        return;
    }
    const bool naverLink = IsNaverLink(link, post.pageUrl);
    if (naverLink) {
        ReplaceBytes(link, "?type=attachment", "");
    }
    // Decided on now, in the order the post names its links, however late
    // the probe answers: a link named again is not asked again.
    AskedLink asked{link, naverLink, !job.seenLinks.insert(link).second, post.pageUrl, post.title};
    const bool worthAsking = Contains(link, std::string(".") + DOMAIN_DAUM + "/attach/") ||
                             Contains(link, std::string(".") + DOMAIN_TISTORY + "/") ||
                             TypeOfExtension(LowerCasedExtension(link)) != 0;
    if (!worthAsking) {
        return;
    }
    if (!asked.seenBefore) {
        asked.inputTerm = PreparedTerm(post.inputTerm, job.input);
        asked.titleTerm = PreparedTerm(post.titleTerm, post.title);
    }
    const EventOutbox::Ticket ticket = job.outbox.Reserve();
    job.web->StartProbe(link, job.stopFlag,
                        [&job, ticket, asked = std::move(asked)](const FileProbe& probe) {
                            job.outbox.Settle(ticket, EventOfAnswer(job, asked, probe));
                        });
}

const SearchTerm& PreparedTerm(std::optional<SearchTerm>& term, const std::string& text) {
    if (!term) {
        term.emplace(text);
    }
    return *term;
}

void ReportFoundFile(SearchJob& job, PostContext& post, const std::string& link, FoundFile& found,
                     const SearchTerm& titleTerm) {
    if (!job.seenLinks.insert(link).second) {
        return;
    }
    ApplyNamingRules(found, PreparedTerm(post.inputTerm, job.input), titleTerm);
    job.outbox.Add([&job, found] { ListenerOf(job).OnFound(found); });
}

}  // namespace bramix
