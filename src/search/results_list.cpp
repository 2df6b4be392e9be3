#include "search/results_list.h"

#include "search/byte_size.h"
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

bool IsMatchingFind(std::string_view searchText, const FoundFile& found) {
    if (found.size != 0 && found.size < kSmallestMatchingSize) {
        return false;
    }
    const size_t stemLength = found.fileName.size() < 4 ? 0 : found.fileName.size() - 4;
    const std::string_view name = std::string_view(found.fileName).substr(0, stemLength);
    return MatchesSearchTerm(searchText, name) || MatchesSearchTerm(searchText, found.title);
}

void ResultsList::Start(std::string searchText) {
    searchText_ = std::move(searchText);
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
    const size_t stemLength = found.fileName.size() < 4 ? 0 : found.fileName.size() - 4;
    entry.name = found.fileName.substr(0, stemLength);
    entry.sizeText = found.size != 0 ? FormatByteSize(found.size) : std::string();
    entry.typeText = TypeText(found.type);
    entry.title = found.title;
    entry.pageUrl = found.pageUrl;
    entry.fileUrl = found.fileUrl;
    entry.flags = found.type == FILE_TYPE_MP3   ? RESULT_MP3
                  : found.type == FILE_TYPE_WMA ? RESULT_WMA
                                                : RESULT_ZIP;

    size_t row = entries_.size();
    if (IsMatchingFind(searchText_, found)) {
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
