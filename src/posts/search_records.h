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

// Filled by the starter before the thread starts. While the job runs the
// starter writes only stopFlag; the job's own working state is written by the
// search thread only.
struct SearchJob {
    std::string input;     // trimmed, never empty; code page 949
    StopFlag stopFlag{0};  // nonzero: stop requested; the job only reads it
    SearchEventCallback callback;
    WebClient* web = &CurlWebClient();  // how the job reaches the network

    // Media addresses already decided on in this job, reported or not. Emptied
    // when the job starts.
    std::unordered_set<std::string> seenLinks;
};

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
