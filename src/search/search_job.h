#pragma once

// The search job: turns what the user typed (a search term, or the address of
// one blog post) into a stream of found audio files, reported as events.
// SearchThreadProc runs on a thread of its own, one per search; it talks to
// its starter only through the job record and the callback.

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <unordered_set>

namespace bramix {

inline constexpr int SEARCH_EV_RANGE = 1;     // value 0, data 130: the progress range
inline constexpr int SEARCH_EV_POSITION = 2;  // value: the progress position, data 130
inline constexpr int SEARCH_EV_FOUND = 3;     // data: address of a FoundFile
inline constexpr int SEARCH_EV_END = 4;       // once, last

inline constexpr int SEARCH_PROGRESS_MAX = 130;

inline constexpr int FILE_TYPE_MP3 = 1;
inline constexpr int FILE_TYPE_WMA = 2;
inline constexpr int FILE_TYPE_ZIP = 3;

// Called on the search thread, synchronously: the job goes on only when it has
// returned. Its result is ignored. A FoundFile is valid only during the call.
using SearchEventCallback = std::function<int(int code, int value, intptr_t data)>;

// Filled by the starter before the thread starts and left alone while it runs,
// except for stopFlag.
struct SearchJob {
    std::string input;             // trimmed, never empty; code page 949
    std::atomic<int> stopFlag{0};  // nonzero: stop requested; the job only reads it
    SearchEventCallback callback;
};

// One found audio file, as reported with SEARCH_EV_FOUND.
struct FoundFile {
    std::string pageUrl;   // the post it was found in
    std::string title;     // cleaned song title; may be empty
    std::string fileUrl;   // the file itself; its key in g_seenLinks
    std::string fileName;  // ends in ".mp3", ".wma" or ".zip"
    uint32_t size = 0;     // as the server announced it; 0 = none
    int type = 0;          // FILE_TYPE_*
};

// Media addresses already decided on in the current job, reported or not.
// Emptied when a job starts; touched by the search thread only.
extern std::unordered_set<std::string> g_seenLinks;

// Runs one whole job. Returns 0 in every case.
int SearchThreadProc(SearchJob* job);

// Stops a running job's pause early; true when the stop flag is set.
bool StopRequested(const SearchJob& job);

}  // namespace bramix
