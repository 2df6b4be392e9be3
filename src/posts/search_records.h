#pragma once

// The records a search works through: the job that the search thread runs,
// the events it reports to its listener, and the found-file record. The
// analyzers and media resolution use them as the search job does; the front
// ends read them.

#include <array>
#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <unordered_set>

#include "base/stop_flag.h"
#include "net/web_client.h"
#include "posts/event_outbox.h"

namespace bramix {

inline constexpr int SEARCH_PROGRESS_MAX = 130;

inline constexpr int FILE_TYPE_MP3 = 1;
inline constexpr int FILE_TYPE_WMA = 2;
inline constexpr int FILE_TYPE_ZIP = 3;

// One found audio file, as reported with SEARCH_EV_FOUND.
struct FoundFile {
    std::string pageUrl;   // the post it was found in
    std::string title;     // cleaned song title; may be empty
    std::string fileUrl;   // the file itself; its key in seenLinks
    std::string fileName;  // ends in ".mp3", ".wma" or ".zip"
    uint32_t size = 0;     // as the server announced it; 0 = none
    int type = 0;          // FILE_TYPE_*
};

// The events of a search, by their historic names; a listener has one method
// for each.
enum class SearchEvent { SEARCH_EV_RANGE, SEARCH_EV_POSITION, SEARCH_EV_FOUND, SEARCH_EV_END };

// Told on the search thread, synchronously: the job goes on only when a call
// has returned. A listener never blocks on another thread's work (the window
// copies what it needs and posts it). Each method does nothing unless
// overridden.
class SearchListener {
public:
    virtual ~SearchListener() = default;
    // SEARCH_EV_RANGE, first: positions run from 0 to `maximum`.
    virtual void OnRange(int /*maximum*/) {}
    // SEARCH_EV_POSITION: how far the search has come.
    virtual void OnPosition(int /*position*/, int /*maximum*/) {}
    // SEARCH_EV_FOUND: `found` is valid only during the call.
    virtual void OnFound(const FoundFile& /*found*/) {}
    // SEARCH_EV_END: once, last.
    virtual void OnEnd() {}
};

// The services a search asks, for counting what it asked of each.
enum class SearchService { GoogleTistory, GoogleDaum, Naver, Posts, FileProbes };
inline constexpr int kSearchServiceCount = 5;

// "Google/Tistory", "Google/Daum", "Naver", "posts", "file probes".
const char* ServiceName(SearchService service);

// What a job asked of each service and how much of it failed. A request that
// the job's own stop ended counts neither way.
struct SearchStats {
    struct Requests {
        int made = 0;
        int failed = 0;
        std::string firstError;  // Describe() of the first failure
    };
    std::array<Requests, kSearchServiceCount> services;

    void Count(SearchService service, const FetchResult& result);
    const Requests& Of(SearchService service) const { return services[static_cast<int>(service)]; }
    // Result pages or posts were asked for and not one could be read: no
    // service was reachable.
    bool NothingRead() const;
    // Not one request was made: the input left nothing to ask.
    bool NothingAsked() const;
    // The first error of the first service that failed, for the user.
    std::string FirstError() const;
};

// Filled by the starter before the thread starts. While the job runs the
// starter writes only stopFlag; the job's own working state is written by the
// search thread only, and the starter may read it after the end event.
struct SearchJob {
    std::string input;                   // trimmed, never empty; code page 949
    StopFlag stopFlag{0};                // nonzero: stop requested; the job only reads it
    SearchListener* listener = nullptr;  // told every event; none: nobody listens
    // The job's own libcurl client, used on its thread; `web` may point
    // elsewhere (pages from memory).
    std::unique_ptr<WebClient> curlWeb = MakeCurlWebClient();
    WebClient* web = curlWeb.get();  // how the job reaches the network
    // From the start of one post's request to the next one's, so that the
    // services never see a flood.
    std::chrono::milliseconds postPause{400};

    // Media addresses already decided on in this job, reported or not. Emptied
    // when the job starts.
    std::unordered_set<std::string> seenLinks;
    SearchStats stats;  // emptied when the job starts
    // Every event after OnRange goes through it, in order.
    EventOutbox outbox{stopFlag};
    // When the post under analysis was first asked for; empty before that.
    std::optional<WebClient::Clock::time_point> postAskedAt;
};

// The job's page requests through its WebClient, each counted under its
// service.
FetchResult FetchCounted(SearchJob& job, SearchService service, const std::string& url,
                         std::string& text);

// Tells the listener the position once every event before it has been told.
void TellPosition(SearchJob& job, int position);

// Waits for every probe of the job and tells every event held back; after a
// stop, forgets them instead. The job's last step before its final position.
void TellHeldEvents(SearchJob& job);

// The job's listener, or one that ignores every event.
SearchListener& ListenerOf(const SearchJob& job);

// True when the job's stop has been asked for.
inline bool StopRequested(SearchJob& job) {
    return IsStopped(job.stopFlag);
}

}  // namespace bramix
