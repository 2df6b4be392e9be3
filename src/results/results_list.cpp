#include "results/results_list.h"

#include <algorithm>

#include "base/byte_size.h"
#include "base/file_name_parts.h"
#include "titles/keyword_match.h"

namespace bramix {

std::string_view TypeText(int type) {
    switch (type) {
        case FILE_TYPE_MP3:
            return "mp3";
        case FILE_TYPE_WMA:
            return "wma";
        default:
            return "zip";
    }
}

bool IsMatchingFind(const SearchTerm& searchTerm, const FoundFile& found) {
    if (found.size != 0 && found.size < kSmallestMatchingSize) {
        return false;
    }
    const std::string_view stem = SplitFileName(found.fileName).stem;
    return searchTerm.MatchedBy(stem) || searchTerm.MatchedBy(found.title);
}

ListPlace ListPlace::Of(const ResultEntry& entry) {
    int group = 3;
    if ((entry.flags & RESULT_MATCHED) == 0) {
        group = 4;
    } else if (entry.sizeText.empty()) {
        group = 0;
    } else if ((entry.flags & RESULT_MP3) != 0) {
        group = 1;
    } else if ((entry.flags & RESULT_WMA) != 0) {
        group = 2;
    }
    return {group, entry.sizeText};
}

bool GoesAbove(const ListPlace& a, const ListPlace& b) {
    if (a.group != b.group) {
        return a.group < b.group;
    }
    return (a.group == 1 || a.group == 2) && a.sizeText.compare(b.sizeText) > 0;
}

ResultEntry EntryOf(const FoundFile& found, bool matched) {
    ResultEntry entry;
    entry.name = SplitFileName(found.fileName).stem;
    entry.sizeText = found.size != 0 ? FormatByteSize(found.size) : std::string();
    entry.typeText = TypeText(found.type);
    entry.title = found.title;
    entry.pageUrl = found.pageUrl;
    entry.fileUrl = found.fileUrl;
    entry.flags = found.type == FILE_TYPE_MP3   ? RESULT_MP3
                  : found.type == FILE_TYPE_WMA ? RESULT_WMA
                                                : RESULT_ZIP;
    if (matched) {
        entry.flags |= RESULT_MATCHED;
        if (found.size == 0 && found.type == FILE_TYPE_MP3) {
            entry.flags |= RESULT_UNSIZED_MP3;
        }
    }
    return entry;
}

void ResultsList::Start(std::string_view searchText) {
    searchTerm_ = SearchTerm(searchText);
    entries_.clear();
}

size_t ResultsList::Insert(const FoundFile& found) {
    ResultEntry entry = EntryOf(found, IsMatchingFind(searchTerm_, found));
    const ListPlace place = ListPlace::Of(entry);
    // After every row it does not go above: among equals, arrival order.
    const auto at = std::upper_bound(entries_.begin(), entries_.end(), place,
                                     [](const ListPlace& place, const ResultEntry& row) {
                                         return GoesAbove(place, ListPlace::Of(row));
                                     });
    const auto row = static_cast<size_t>(at - entries_.begin());
    entries_.insert(at, std::move(entry));
    return row;
}

}  // namespace bramix
