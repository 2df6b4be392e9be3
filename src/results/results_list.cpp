#include "results/results_list.h"

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

void ResultsList::Start(std::string_view searchText) {
    searchTerm_ = SearchTerm(searchText);
    entries_.clear();
    matched_ = matchedNoSize_ = matchedMp3_ = matchedWma_ = 0;
}

size_t ResultsList::PositionInSizeGroup(size_t groupStart, int groupSize,
                                        const std::string& sizeText) const {
    for (int i = 0; i < groupSize; ++i) {
        if (entries_[groupStart + i].sizeText.compare(sizeText) < 0) {
            return groupStart + i;
        }
    }
    return groupStart + groupSize;
}

size_t ResultsList::Insert(const FoundFile& found) {
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

    size_t row = entries_.size();
    if (IsMatchingFind(searchTerm_, found)) {
        entry.flags |= RESULT_MATCHED;
        if (found.size == 0) {
            if (found.type == FILE_TYPE_MP3) {
                entry.flags |= RESULT_UNSIZED_MP3;
            }
            row = matchedNoSize_++;
        } else if (found.type == FILE_TYPE_MP3) {
            row = PositionInSizeGroup(matchedNoSize_, matchedMp3_, entry.sizeText);
            ++matchedMp3_;
        } else if (found.type == FILE_TYPE_WMA) {
            row = PositionInSizeGroup(matchedNoSize_ + matchedMp3_, matchedWma_, entry.sizeText);
            ++matchedWma_;
        } else {
            row = matched_;
        }
        ++matched_;
    }
    entries_.insert(entries_.begin() + static_cast<std::ptrdiff_t>(row), std::move(entry));
    return row;
}

}  // namespace bramix
