#include "download/partial_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <memory>

#include "base/text_helpers.h"

namespace bramix {

namespace {

constexpr const char* kUrlAttribute = "user.bramix.url";
constexpr const char* kValidatorAttribute = "user.bramix.validator";

std::optional<std::string> ReadAttribute(int fd, const char* name) {
    const ssize_t size = fgetxattr(fd, name, nullptr, 0);
    if (size < 0) {
        return std::nullopt;
    }
    std::string value(static_cast<size_t>(size), '\0');
    const ssize_t read = fgetxattr(fd, name, value.data(), value.size());
    if (read < 0) {
        return std::nullopt;
    }
    value.resize(static_cast<size_t>(read));
    return value;
}

// A lock on the open file, without waiting; false when another holds it.
bool Lock(int fd) {
    return flock(fd, LOCK_EX | LOCK_NB) == 0;
}

// Opens a regular file only, never through a symbolic link: whatever else
// someone put in the folder under a .part's name must not lead a download to
// write elsewhere, nor block it (a FIFO). -1 with errno set otherwise.
int OpenRegularFile(const std::string& path, int flags) {
    const int fd = open(path.c_str(), flags | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0644);
    if (fd < 0) {
        return -1;
    }
    struct stat info {};
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        close(fd);
        errno = EINVAL;
        return -1;
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

std::optional<PartRecord> RecallOpenPart(int fd) {
    auto url = ReadAttribute(fd, kUrlAttribute);
    auto validator = ReadAttribute(fd, kValidatorAttribute);
    if (!url || !validator) {
        return std::nullopt;
    }
    return PartRecord{std::move(*url), std::move(*validator)};
}

}  // namespace

int OpenPartForWriting(const std::string& partPath, bool create) {
    const int fd = OpenRegularFile(partPath, O_WRONLY | O_APPEND | (create ? O_CREAT | O_EXCL : 0));
    if (fd >= 0 && !Lock(fd)) {
        close(fd);
        errno = EWOULDBLOCK;
        return -1;
    }
    return fd;
}

bool RemovePartIfUnused(const std::string& partPath) {
    const int fd = OpenRegularFile(partPath, O_RDONLY);
    if (fd < 0) {
        return errno == ENOENT;  // anything but our own file stays
    }
    const bool unused = Lock(fd) && unlink(partPath.c_str()) == 0;
    close(fd);
    return unused;
}

bool RememberPart(int fd, const PartRecord& record) {
    return fsetxattr(fd, kUrlAttribute, record.url.data(), record.url.size(), 0) == 0 &&
           fsetxattr(fd, kValidatorAttribute, record.validator.data(), record.validator.size(),
                     0) == 0;
}

void ForgetPart(int fd) {
    fremovexattr(fd, kUrlAttribute);
    fremovexattr(fd, kValidatorAttribute);
}

std::optional<PartRecord> RecallPart(const std::string& partPath) {
    const int fd = OpenRegularFile(partPath, O_RDONLY);
    if (fd < 0) {
        return std::nullopt;
    }
    auto record = RecallOpenPart(fd);
    close(fd);
    return record;
}

std::optional<FoundPart> FindPartOf(const std::string& folder, const std::string& url) {
    const std::unique_ptr<DIR, int (*)(DIR*)> directory(opendir(folder.c_str()), closedir);
    if (!directory) {
        return std::nullopt;
    }
    while (const dirent* entry = readdir(directory.get())) {
        const std::string name = entry->d_name;
        if (!EndsWith(name, kPartSuffix)) {
            continue;
        }
        const std::string path = folder + "/" + name;
        const int fd = OpenRegularFile(path, O_RDONLY);
        if (fd < 0) {
            continue;
        }
        const bool unused = Lock(fd);
        const auto record = RecallOpenPart(fd);
        close(fd);
        if (unused && record && record->url == url) {
            return FoundPart{path.substr(0, path.size() - std::string_view(kPartSuffix).size()),
                             *record};
        }
    }
    return std::nullopt;
}

int NameWithoutReplacing(const std::string& from, const std::string& to) {
    if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) {
        return 0;
    }
    if (errno != EINVAL && errno != ENOSYS) {
        return errno;
    }
    // A file system without the flag: a second link fails on a taken name too.
    if (link(from.c_str(), to.c_str()) != 0) {
        return errno;
    }
    unlink(from.c_str());
    return 0;
}

}  // namespace bramix
