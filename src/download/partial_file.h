#pragma once

// A download's bytes go to NAME.part until they are whole; only then does
// the file take its name, never replacing one. The .part remembers which
// address it holds and the server's validator of its bytes (user. extended
// attributes, where the file system keeps them), so that a later run can ask
// for the rest. A download holds a lock on its .part (flock) while it writes
// it, so that no other one, in this process or another, takes it up or
// removes it meanwhile. Any thread.

#include <optional>
#include <string>

namespace bramix {

inline constexpr const char* kPartSuffix = ".part";

inline std::string PartPathOf(const std::string& path) {
    return path + kPartSuffix;
}

struct PartRecord {
    std::string url;
    std::string validator;  // the ETag, else the Last-Modified of the answer; may be empty
};

// Opens a .part to write at its end and locks it: creates it exclusively
// when `create`, else opens the one there, a regular file not reached
// through a symbolic link. -1 with errno set when that fails, EWOULDBLOCK
// when another download holds it.
int OpenPartForWriting(const std::string& partPath, bool create);

// Removes a .part unless another download holds it; true when it is gone.
bool RemovePartIfUnused(const std::string& partPath);

// Writes the record onto the open .part; false where attributes are not kept.
bool RememberPart(int fd, const PartRecord& record);

// Takes the record off a .part that is whole: as a finished file, whatever
// its name, it is nobody's download any more.
void ForgetPart(int fd);

// The record of a .part, when it has one.
std::optional<PartRecord> RecallPart(const std::string& partPath);

// A .part in `folder` that holds `url` and that no download holds now.
// Only regular files count, never through a symbolic link.
struct FoundPart {
    std::string path;  // the file's path once whole, without ".part"
    PartRecord record;
};
std::optional<FoundPart> FindPartOf(const std::string& folder, const std::string& url);

// Gives the file at `from` the name `to` unless something is there already:
// 0, or the errno (EEXIST when the name is taken).
int NameWithoutReplacing(const std::string& from, const std::string& to);

}  // namespace bramix
