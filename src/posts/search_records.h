#pragma once

// The records a search works through: the job that the search thread runs,
// the events it reports, and the found-file record. The analyzers and media
// resolution use them as the search job does; the front ends read them.

#include <cstdint>
#include <functional>
#include <string>
#include <unordered_set>

#include "base/stop_flag.h"
#include "net/web_client.h"

namespace bramix {

inline constexpr int SEARCH_EV_RANGE = 1;     // value 0, data 130: the progress range
inline constexpr int SEARCH_EV_POSITION = 2;  // value: the progress position, data 130
inline constexpr int SEARCH_EV_FOUND = 3;     // data: a FoundFile (FoundFileDatum)
inline constexpr int SEARCH_EV_END = 4;       // once, last

inline constexpr int SEARCH_PROGRESS_MAX = 130;

inline constexpr int FILE_TYPE_MP3 = 1;
inline constexpr int FILE_TYPE_WMA = 2;
inline constexpr int FILE_TYPE_ZIP = 3;

// Called on the search thread, synchronously: the job goes on only when it has
// returned. Its result is ignored. A FoundFile is valid only during the call.
using SearchEventCallback = std::function<int(int code, int value, intptr_t data)>;

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
    Requests services[kSearchServiceCount];

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
    std::string input;     // trimmed, never empty; code page 949
    StopFlag stopFlag{0};  // nonzero: stop requested; the job only reads it
    SearchEventCallback callback;
    WebClient* web = &CurlWebClient();  // how the job reaches the network

    // Media addresses already decided on in this job, reported or not. Emptied
    // when the job starts.
    std::unordered_set<std::string> seenLinks;
    SearchStats stats;  // emptied when the job starts
};

// The job's requests through its WebClient, each counted under its service.
FetchResult FetchCounted(SearchJob& job, SearchService service, const std::string& url,
                         std::string& text);
FileProbe ProbeCounted(SearchJob& job, const std::string& url);

// True when the job's stop has been asked for.
inline bool StopRequested(SearchJob& job) {
    return IsStopped(job.stopFlag);
}

// One found audio file, as reported with SEARCH_EV_FOUND.
struct FoundFile {
    std::string pageUrl;   // the post it was found in
    std::string title;     // cleaned song title; may be empty
    std::string fileUrl;   // the file itself; its key in seenLinks
    std::string fileName;  // ends in ".mp3", ".wma" or ".zip"
    uint32_t size = 0;     // as the server announced it; 0 = none
    int type = 0;          // FILE_TYPE_*
};

// The datum of SEARCH_EV_FOUND, both ways.
inline intptr_t FoundFileDatum(const FoundFile& found) {
    return reinterpret_cast<intptr_t>(&found);
}
inline const FoundFile& FoundFileOf(intptr_t data) {
    return *reinterpret_cast<const FoundFile*>(data);
}

}  // namespace bramix
