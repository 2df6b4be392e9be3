#include "posts/search_records.h"

namespace bramix {

const char* ServiceName(SearchService service) {
    switch (service) {
        case SearchService::GoogleTistory:
            return "Google/Tistory";
        case SearchService::GoogleDaum:
            return "Google/Daum";
        case SearchService::Naver:
            return "Naver";
        case SearchService::Posts:
            return "posts";
        case SearchService::FileProbes:
            return "file probes";
    }
    return "";
}

SearchListener& ListenerOf(const SearchJob& job) {
    static SearchListener nobody;  // holds nothing: any thread may call it
    return job.listener != nullptr ? *job.listener : nobody;
}

void SearchStats::Count(SearchService service, const FetchResult& result) {
    if (result.outcome == FetchOutcome::Stopped) {
        return;
    }
    Requests& requests = services[static_cast<int>(service)];
    ++requests.made;
    if (!result.ok()) {
        ++requests.failed;
        if (requests.firstError.empty()) {
            requests.firstError = Describe(result);
        }
    }
}

FetchResult FetchCounted(SearchJob& job, SearchService service, const std::string& url,
                         std::string& text) {
    if (service == SearchService::Posts && !job.postAskedAt) {
        job.postAskedAt = WebClient::Clock::now();
    }
    FetchResult result = job.web->FetchPage(url, text, job.stopFlag);
    job.stats.Count(service, result);
    return result;
}

void TellPosition(SearchJob& job, int position) {
    job.outbox.Add([&job, position] { ListenerOf(job).OnPosition(position, SEARCH_PROGRESS_MAX); });
}

void TellHeldEvents(SearchJob& job) {
    job.web->WaitForProbes(job.stopFlag);
    if (StopRequested(job)) {
        job.web->DropProbes();
        job.outbox.Drop();
    }
}

bool SearchStats::NothingRead() const {
    int made = 0;
    int read = 0;
    for (const SearchService service : {SearchService::GoogleTistory, SearchService::GoogleDaum,
                                        SearchService::Naver, SearchService::Posts}) {
        made += Of(service).made;
        read += Of(service).made - Of(service).failed;
    }
    return made > 0 && read == 0;
}

bool SearchStats::NothingAsked() const {
    for (const Requests& requests : services) {
        if (requests.made > 0) {
            return false;
        }
    }
    return true;
}

std::string SearchStats::FirstError() const {
    for (const Requests& requests : services) {
        if (!requests.firstError.empty()) {
            return requests.firstError;
        }
    }
    return {};
}

}  // namespace bramix
