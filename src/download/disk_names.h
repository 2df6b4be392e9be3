#pragma once

// Where a download goes: the download folder, and a file name in it that is
// safe and free. Names on the lists are code page 949; names on disk UTF-8.

#include <cstdint>
#include <functional>
#include <string>

namespace bramix {

// A plain file name inside a folder, in UTF-8: separators and NULs become
// spaces, an empty, "." or ".." name becomes "download", and a name longer
// than 255 bytes loses the end of its stem, on a character boundary, keeping
// `extension`. `stem` and `extension` are UTF-8.
std::string SafeFileName(const std::string& stem, const std::string& extension);

// The first free path for the list name `fileName` (code page 949) in
// `folder`: the name itself; when anything exists there (a file, a folder, a
// dangling link) stem + "_" + tick + extension; then stem + "_" + tick + "_1",
// "_2", ... Returns the path (UTF-8) and sets `listName` to the name chosen,
// in code page 949.
std::string FreeDownloadPath(const std::string& folder, const std::string& fileName, uint32_t tick,
                             std::string& listName);

// "<executable folder>/incoming", a trailing "/Debug" or "/Release" taken off
// the folder first. When that cannot be created or written, `fallback` (the
// user's download folder) + "/Bramix". The folder is created.
std::string DownloadFolder(const std::string& executablePath, const std::string& fallback);

// The path of the running executable.
std::string ExecutablePath();

}  // namespace bramix
