#include "search/search_job.h"

#include <algorithm>
#include <chrono>
#include <string_view>
#include <thread>
#include <vector>

#include "posts/post_analyzers.h"
#include "search/address.h"
#include "search/search_engines.h"
#include "search/site_constants.h"

namespace bramix {

std::unordered_set<std::string> g_seenLinks;

namespace {

using namespace std::chrono_literals;

// Progress position at the start of each pass: ten positions for every result
// page that the pass asks for.
constexpr int kPassStart[] = {0, 10, 20, 70, 120};

constexpr auto kPostPause = 400ms;
constexpr auto kStopPoll = 10ms;

void Send(const SearchJob& job, int code, int value, intptr_t data) {
    if (job.callback) {
        job.callback(code, value, data);
    }
}

void AnalyzePost(const SearchJob& job, const std::string& address) {
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

// The pause after each post keeps the services from seeing a flood; a stop
// ends it early.
void PauseAfterPost(const SearchJob& job) {
    const auto until = std::chrono::steady_clock::now() + kPostPause;
    for (auto now = std::chrono::steady_clock::now(); now < until && !StopRequested(job);
         now = std::chrono::steady_clock::now()) {
        std::this_thread::sleep_for(
            std::min<std::chrono::steady_clock::duration>(kStopPoll, until - now));
    }
}

void RunSearchTerm(const SearchJob& job) {
    std::unordered_set<std::string> seenPosts;
    if (StopRequested(job)) {
        return;
    }
    for (int pass = 0; pass < 5; ++pass) {
        const int start = kPassStart[pass];
        Send(job, SEARCH_EV_POSITION, start, SEARCH_PROGRESS_MAX);
        std::vector<std::string> addresses;
        if (!CollectPostAddresses(job, addresses, pass)) {
            return;  // a pass without a single address ends the search
        }
        if (!StopRequested(job)) {
            for (size_t i = 0; i < addresses.size(); ++i) {
                Send(job, SEARCH_EV_POSITION, start + static_cast<int>(i), SEARCH_PROGRESS_MAX);
                if (seenPosts.insert(addresses[i]).second) {
                    AnalyzePost(job, addresses[i]);
                    PauseAfterPost(job);
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

bool StopRequested(const SearchJob& job) {
    return job.stopFlag.load() != 0;
}

int SearchThreadProc(SearchJob* job) {
    g_seenLinks.clear();
    Send(*job, SEARCH_EV_RANGE, 0, SEARCH_PROGRESS_MAX);
    if (const auto address = ParseAddress(job->input)) {
        // One post; any scheme but http is left alone.
        if (address->service == ServiceType::Http) {
            AnalyzePost(*job, job->input);
        }
    } else {
        RunSearchTerm(*job);
    }
    Send(*job, SEARCH_EV_POSITION, SEARCH_PROGRESS_MAX, SEARCH_PROGRESS_MAX);
    Send(*job, SEARCH_EV_END, 0, 0);
    return 0;
}

}  // namespace bramix
