#include "download/disk_names.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>

#include "base/code_page.h"
#include "base/file_name_parts.h"
#include "base/text_helpers.h"

namespace bramix {

namespace {

constexpr size_t kNameMax = 255;

bool Exists(const std::string& path) {
    struct stat info {};
    return lstat(path.c_str(), &info) == 0;  // a dangling link counts too
}

// Cuts UTF-8 text to at most `size` bytes without splitting a character.
std::string CutUtf8(const std::string& text, size_t size) {
    if (text.size() <= size) {
        return text;
    }
    size_t end = size;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) {
        --end;
    }
    return text.substr(0, end);
}

bool IsWritableFolder(const std::string& folder) {
    if (mkdir(folder.c_str(), 0755) != 0 && errno != EEXIST) {
        return false;
    }
    struct stat info {};
    return stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode) &&
           access(folder.c_str(), W_OK | X_OK) == 0;
}

}  // namespace

std::string SafeFileName(const std::string& stem, const std::string& extension) {
    std::string safeStem = stem;
    std::string safeExtension = extension;
    for (std::string* part : {&safeStem, &safeExtension}) {
        for (char& c : *part) {
            if (c == '/' || c == '\0') {
                c = ' ';
            }
        }
    }
    safeExtension = CutUtf8(safeExtension, kNameMax / 2);
    safeStem = CutUtf8(safeStem, kNameMax - safeExtension.size());
    std::string name = safeStem + safeExtension;
    if (name.empty() || name == "." || name == "..") {
        name = "download" + safeExtension;
    }
    return name;
}

std::string FreeDownloadPath(const std::string& folder, const std::string& fileName, uint32_t tick,
                             std::string& listName) {
    const FileNameParts parts = SplitFileName(fileName);
    const std::string utf8Stem = AnsiToUtf8(parts.stem);
    const std::string utf8Extension = AnsiToUtf8(parts.extension);

    std::string suffix;
    for (unsigned attempt = 0;; ++attempt) {
        if (attempt == 1) {
            suffix = "_" + std::to_string(tick);
        } else if (attempt > 1) {
            suffix = "_" + std::to_string(tick) + "_" + std::to_string(attempt - 1);
        }
        // The suffix must survive shortening, so it goes with the extension.
        const std::string name = SafeFileName(utf8Stem, suffix + utf8Extension);
        const std::string path = folder + "/" + name;
        if (!Exists(path)) {
            listName = Utf8ToAnsi(name);
            return path;
        }
    }
}

std::string DownloadFolder(const std::string& executablePath, const std::string& fallback) {
    std::string folder = executablePath;
    if (const size_t slash = folder.rfind('/'); slash != std::string::npos) {
        folder.erase(slash);
    }
    if (EndsWith(folder, "/Debug")) {
        folder.erase(folder.size() - 6);
    }
    if (EndsWith(folder, "/Release")) {
        folder.erase(folder.size() - 8);
    }
    folder += "/incoming";
    if (IsWritableFolder(folder)) {
        return folder;
    }
    const std::string other = fallback + "/Bramix";
    mkdir(fallback.c_str(), 0755);
    mkdir(other.c_str(), 0755);
    return other;
}

std::string ExecutablePath() {
    char buffer[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    return length > 0 ? std::string(buffer, static_cast<size_t>(length)) : std::string();
}

}  // namespace bramix
