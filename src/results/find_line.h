#pragma once

// The command line's lines, a contract that scripts rely on. A find is one
// line, in UTF-8, either seven fields separated by single TABs
//   TYPE SIZE MATCHED FILENAME TITLE PAGEURL FILEURL
// (every control byte written as a space, so that a line always has exactly
// seven fields), or one JSON object with the keys type, size (a number),
// matched (a boolean), fileName, title, pageUrl and fileUrl. `get -` reads
// both.

#include <optional>
#include <string>
#include <string_view>

#include "posts/search_records.h"

namespace bramix {

std::string FormatFindLine(const FoundFile& found, bool matched);
std::string FormatFindJson(const FoundFile& found, bool matched);

// The download side's view of a find's line: the file's address and name,
// back in code page 949. Empty for a line that is neither form.
struct FindLineTarget {
    std::string fileUrl;
    std::string fileName;
};
std::optional<FindLineTarget> ParseFindLine(std::string_view line);

}  // namespace bramix
