#include "search/search_job.h"

#include <string_view>
#include <unordered_set>
#include <vector>

#include "net/address.h"
#include "posts/post_analyzers.h"
#include "posts/site_constants.h"
#include "search/search_engines.h"
#include "titles/keyword_match.h"

namespace bramix {

namespace {

// Progress position at the start of each pass: ten positions for every result
// page that the pass asks for.
constexpr int kPassStart[] = {0, 10, 20, 70, 120};

void AnalyzePost(SearchJob& job, const std::string& address) {
    static const std::string naver = std::string("/") + HOST_NAVER_BLOG + "/";
    static const std::string daum = std::string("/") + HOST_DAUM_BLOG + "/";
    if (address.find(naver) != std::string::npos) {
        AnalyzeNaverPost(job, address);
    } else if (address.find(daum) != std::string::npos) {
        AnalyzeDaumPost(job, address);
    } else {
        AnalyzeTistoryPost(job, address);  // Tistory blogs and every other host
    }
}

// Analyses a post, then pauses until `postPause` has passed since its first
// request started: on a slow network the pause overlaps the fetch, and the
// probes go on during it.
void AnalyzePostAndPause(SearchJob& job, const std::string& address) {
    const auto started = WebClient::Clock::now();
    job.postAskedAt.reset();
    AnalyzePost(job, address);
    job.web->WaitUntil(job.stopFlag, job.postAskedAt.value_or(started) + job.postPause);
}

void RunSearchTerm(SearchJob& job) {
    std::unordered_set<std::string> seenPosts;
    if (StopRequested(job)) {
        return;
    }
    std::string term = job.input;
    const bool nothingToAsk = NormalizeSearchTerm(term).empty();
    for (int pass = 0; pass < 5; ++pass) {
        const int start = kPassStart[pass];
        TellPosition(job, start);
        std::vector<std::string> addresses;
        if (!CollectPostAddresses(job, addresses, pass)) {
            // The first passes ask Tistory alone: without an address from it
            // the search still asks Daum and Naver in pass 2 (an empty first
            // page means an empty second one). Any later empty pass ends it.
            if (nothingToAsk || pass >= 2 || StopRequested(job)) {
                return;
            }
            pass = 1;
            continue;
        }
        if (!StopRequested(job)) {
            for (size_t i = 0; i < addresses.size(); ++i) {
                TellPosition(job, start + static_cast<int>(i));
                if (seenPosts.insert(addresses[i]).second) {
                    AnalyzePostAndPause(job, addresses[i]);
                }
                if (StopRequested(job)) {
                    break;
                }
            }
        }
        if (StopRequested(job)) {
            return;
        }
    }
}

}  // namespace

int SearchThreadProc(SearchJob* job) {
    job->seenLinks.clear();
    job->stats = SearchStats{};
    ListenerOf(*job).OnRange(SEARCH_PROGRESS_MAX);
    if (const auto address = ParseAddress(job->input)) {
        // One post; any scheme but http is left alone.
        if (address->service == ServiceType::Http) {
            AnalyzePost(*job, job->input);
        }
    } else {
        RunSearchTerm(*job);
    }
    TellHeldEvents(*job);
    ListenerOf(*job).OnPosition(SEARCH_PROGRESS_MAX, SEARCH_PROGRESS_MAX);
    ListenerOf(*job).OnEnd();
    return 0;
}

}  // namespace bramix
