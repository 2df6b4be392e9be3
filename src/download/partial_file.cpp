#include "download/partial_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/file.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <memory>

#include "base/text_helpers.h"

namespace bramix {

namespace {

constexpr const char* kUrlAttribute = "user.bramix.url";
constexpr const char* kValidatorAttribute = "user.bramix.validator";

std::optional<std::string> ReadAttribute(const std::string& path, const char* name) {
    const ssize_t size = getxattr(path.c_str(), name, nullptr, 0);
    if (size < 0) {
        return std::nullopt;
    }
    std::string value(static_cast<size_t>(size), '\0');
    const ssize_t read = getxattr(path.c_str(), name, value.data(), value.size());
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

}  // namespace

int OpenPartForWriting(const std::string& partPath, bool create) {
    const int flags = O_WRONLY | O_APPEND | O_CLOEXEC | (create ? O_CREAT | O_EXCL : 0);
    const int fd = open(partPath.c_str(), flags, 0644);
    if (fd >= 0 && !Lock(fd)) {
        close(fd);
        errno = EWOULDBLOCK;
        return -1;
    }
    return fd;
}

bool RemovePartIfUnused(const std::string& partPath) {
    const int fd = open(partPath.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return errno == ENOENT;
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

std::optional<PartRecord> RecallPart(const std::string& partPath) {
    auto url = ReadAttribute(partPath, kUrlAttribute);
    auto validator = ReadAttribute(partPath, kValidatorAttribute);
    if (!url || !validator) {
        return std::nullopt;
    }
    return PartRecord{std::move(*url), std::move(*validator)};
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
        const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) {
            continue;
        }
        const bool unused = Lock(fd);
        close(fd);
        if (const auto record = RecallPart(path); unused && record && record->url == url) {
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
