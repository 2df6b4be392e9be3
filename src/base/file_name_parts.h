#pragma once

// A file name's extension is its last four bytes (".mp3", ".wma", ".zip"), its
// stem everything before; a name shorter than four bytes is all extension.
// Stateless; any thread.

#include <string_view>

namespace bramix {

struct FileNameParts {
    std::string_view stem;
    std::string_view extension;
};

inline FileNameParts SplitFileName(std::string_view name) {
    const size_t stemLength = name.size() < 4 ? 0 : name.size() - 4;
    return {name.substr(0, stemLength), name.substr(stemLength)};
}

}  // namespace bramix
