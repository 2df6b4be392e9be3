#pragma once

// Where a download goes: the download folder, and a file name in it that is
// safe and free. Names are UTF-8.

#include <cstdint>
#include <string>

namespace bramix {

// A plain file name inside a folder, in valid UTF-8 (an invalid sequence
// becomes U+FFFD): separators, NULs and control bytes (0x01 to 0x1F, 0x7F)
// become spaces and spaces at either end go; a name without a stem (empty,
// only an extension) or whose stem is only dots (".", "..", a hidden "...")
// gets the stem "download"; a name longer than leaves room for ".part" loses
// the end of its stem, on a character boundary, keeping `extension`. `stem`
// and `extension` are UTF-8.
std::string SafeFileName(const std::string& stem, const std::string& extension);

// SafeFileName of a whole UTF-8 name, whose extension is a last "." with one
// to four ASCII letters or digits (".mp3"); a name without one is all stem.
std::string SafeFileNameOf(const std::string& name);

// The first free name in `folder` for the UTF-8 name `name`: the name made
// safe; when anything exists there or at its ".part" (a file, a folder, a
// dangling link), stem + "_" + tick + extension; then stem + "_" + tick +
// "_1", "_2", ...
std::string FreeFileName(const std::string& folder, const std::string& name, uint32_t tick);

// The user's download folder: XDG_DOWNLOAD_DIR of user-dirs.dirs (in
// $XDG_CONFIG_HOME, else ~/.config) when it is set there, else ~/Downloads.
std::string UserDownloadFolder();

// Where the window and the command line save: "<executable folder>/incoming"
// (a trailing "/Debug" or "/Release" taken off the folder first), created
// here; but the user's download folder + "/Bramix" when the executable's
// folder is named "bin" (an installed program) or "incoming" cannot be made
// or written. The latter is made when the first download starts.
std::string DownloadFolder(const std::string& executablePath);

// The folder and the last part of a path.
std::string FolderOf(const std::string& path);
std::string FileNameOf(const std::string& path);

// Makes `folder` and any folder above it that is missing; true when it
// exists afterwards.
bool MakeFolder(const std::string& folder);

// The path of the running executable.
std::string ExecutablePath();

}  // namespace bramix
