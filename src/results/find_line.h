#pragma once

// The command line's line per find, a contract that scripts rely on:
//   TYPE SIZE MATCHED FILENAME TITLE PAGEURL FILEURL
// separated by single TABs, in UTF-8, every control byte written as a space so
// that a line always has exactly seven fields.

#include <optional>
#include <string>
#include <string_view>

#include "posts/search_records.h"

namespace bramix {

std::string FormatFindLine(const FoundFile& found, bool matched);

// The download side's view of a line: the file's address and name, back in
// code page 949. Empty for a line without seven fields.
struct FindLineTarget {
    std::string fileUrl;
    std::string fileName;
};
std::optional<FindLineTarget> ParseFindLine(std::string_view line);

}  // namespace bramix
