#pragma once

// The results list's rules without the widgets: which finds match the search,
// their flags, and where each one goes so that matched finds come first,
// grouped. The window mirrors this list row for row; the command line prints
// it. Not thread-safe: one thread owns it (the window's).

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "posts/search_records.h"
#include "titles/keyword_match.h"

namespace bramix {

inline constexpr uint32_t RESULT_MATCHED = 0x100;
inline constexpr uint32_t RESULT_UNSIZED_MP3 = 0x200;
inline constexpr uint32_t RESULT_QUEUED = 0x400;
inline constexpr uint32_t RESULT_MP3 = 0x1000;
inline constexpr uint32_t RESULT_WMA = 0x2000;
inline constexpr uint32_t RESULT_ZIP = 0x4000;

// Finds of a known size below this never match: a full song is larger.
inline constexpr uint32_t kSmallestMatchingSize = 0x100000;

// "mp3", "wma", or "zip" for every other type.
std::string_view TypeText(int type);

// Whether the window flags the find as matching the search text, made a
// term once for the search's many finds.
bool IsMatchingFind(const SearchTerm& searchTerm, const FoundFile& found);

// One row, column by column (code page 949).
struct ResultEntry {
    std::string name;      // the file name without its last four bytes
    std::string sizeText;  // empty when no size was announced
    std::string typeText;
    std::string title;
    std::string pageUrl;
    std::string fileUrl;
    uint32_t flags = 0;

    std::string FileName() const { return name + "." + typeText; }
};

// A row's place in the list's order. From the top: matched finds without
// size; matched mp3s, then matched wmas, each by size text descending (as
// byte strings); other matched finds; then every unmatched find. Rows of
// the same place stay in arrival order.
struct ListPlace {
    int group = 0;  // 0 to 4, in the order above
    std::string sizeText;

    static ListPlace Of(const ResultEntry& entry);
};

// True when a row at `a` goes above one at `b`. A stable sort by it gives
// the order that inserting the finds one by one gives.
bool GoesAbove(const ListPlace& a, const ListPlace& b);

// The row a find becomes (code page 949), flagged as matching or not.
ResultEntry EntryOf(const FoundFile& found, bool matched);

class ResultsList {
public:
    // Empties the list for a new search of `searchText` (trimmed).
    void Start(std::string_view searchText);

    // Inserts the find at its place (ListPlace) and returns its row.
    size_t Insert(const FoundFile& found);

    void MarkQueued(size_t row) { entries_.at(row).flags |= RESULT_QUEUED; }

    const std::vector<ResultEntry>& entries() const { return entries_; }

private:
    SearchTerm searchTerm_{""};
    std::vector<ResultEntry> entries_;
};

}  // namespace bramix
