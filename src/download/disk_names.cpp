#include "download/disk_names.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fstream>

#include "base/code_page.h"
#include "base/text_helpers.h"
#include "download/partial_file.h"

namespace bramix {

namespace {

// 255 bytes a name, and room for ".part" after it.
constexpr size_t kNameMax = 255 - 5;

bool Exists(const std::string& path) {
    struct stat info {};
    return lstat(path.c_str(), &info) == 0;  // a dangling link counts too
}

bool IsContinuationByte(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// Cuts UTF-8 text to at most `size` bytes without splitting a character.
std::string CutUtf8(const std::string& text, size_t size) {
    if (text.size() <= size) {
        return text;
    }
    size_t end = size;
    while (end > 0 && IsContinuationByte(text[end])) {
        --end;
    }
    return text.substr(0, end);
}

// Where a name's extension starts: a last "." with one to four ASCII
// letters or digits after it. A name without one is all stem.
size_t ExtensionStart(const std::string& name) {
    const size_t dot = name.rfind('.');
    if (dot == std::string::npos || name.size() - dot < 2 || name.size() - dot > 5) {
        return name.size();
    }
    for (size_t i = dot + 1; i < name.size(); ++i) {
        const char c = name[i];
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))) {
            return name.size();
        }
    }
    return dot;
}

bool IsWritableFolder(const std::string& folder) {
    if (mkdir(folder.c_str(), 0755) != 0 && errno != EEXIST) {
        return false;
    }
    struct stat info {};
    return stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode) &&
           access(folder.c_str(), W_OK | X_OK) == 0;
}

std::string HomeFolder() {
    const char* home = std::getenv("HOME");
    return home != nullptr && home[0] == '/' ? home : "/";
}

// The value of XDG_DOWNLOAD_DIR in a user-dirs.dirs file: a line
// XDG_DOWNLOAD_DIR="$HOME/yyy" or XDG_DOWNLOAD_DIR="/yyy".
std::string DownloadDirSetting(const std::string& file, const std::string& home) {
    static constexpr std::string_view kKey = "XDG_DOWNLOAD_DIR=\"";
    std::ifstream settings(file);
    std::string setting;
    for (std::string line; std::getline(settings, line);) {
        TrimSpaces(line);
        if (line.rfind(kKey, 0) != 0 || line.back() != '"' || line.size() <= kKey.size()) {
            continue;
        }
        std::string value = line.substr(kKey.size(), line.size() - kKey.size() - 1);
        if (value.rfind("$HOME", 0) == 0) {
            value = home + value.substr(5);
        }
        if (!value.empty() && value[0] == '/') {
            setting = value;  // the last one counts, as the shell reads the file
        }
    }
    return setting;
}

}  // namespace

std::string SafeFileName(const std::string& stem, const std::string& extension) {
    // Short enough first, so that what the cut leaves at the end is trimmed too.
    const std::string shortExtension = CutUtf8(ValidUtf8(extension), kNameMax / 2);
    std::string name = CutUtf8(ValidUtf8(stem), kNameMax - shortExtension.size()) + shortExtension;
    name = MaskControlBytes(name, ' ');
    std::replace(name.begin(), name.end(), '/', ' ');
    // Spaces at either end of the whole name go; the stem keeps its end.
    const size_t stemSize = name.size() - shortExtension.size();
    const size_t begin = std::min(name.find_first_not_of(' '), name.size());
    const size_t end = std::max(begin, name.find_last_not_of(' ') + 1);
    const size_t split = std::clamp(stemSize, begin, end);
    std::string safeStem = name.substr(begin, split - begin);
    const std::string safeExtension = name.substr(split, end - split);
    if (safeStem.find_first_not_of('.') == std::string::npos) {
        safeStem = "download";  // also for a bare extension
    }
    return safeStem + safeExtension;
}

std::string SafeFileNameOf(const std::string& name) {
    const size_t split = ExtensionStart(name);
    return SafeFileName(name.substr(0, split), name.substr(split));
}

std::string FreeFileName(const std::string& folder, const std::string& name, uint32_t tick) {
    const size_t split = ExtensionStart(name);
    const std::string stem = name.substr(0, split);
    const std::string extension = name.substr(split);
    std::string suffix;
    for (unsigned attempt = 0;; ++attempt) {
        if (attempt == 1) {
            suffix = "_" + std::to_string(tick);
        } else if (attempt > 1) {
            suffix = "_" + std::to_string(tick) + "_" + std::to_string(attempt - 1);
        }
        // The suffix must survive shortening, so it goes with the extension.
        std::string candidate = SafeFileName(stem, suffix + extension);
        const std::string path = folder + "/" + candidate;
        if (!Exists(path) && !Exists(PartPathOf(path))) {
            return candidate;
        }
    }
}

std::string UserDownloadFolder() {
    const std::string home = HomeFolder();
    const char* config = std::getenv("XDG_CONFIG_HOME");
    const std::string configFolder =
        config != nullptr && config[0] == '/' ? config : home + "/.config";
    const std::string setting = DownloadDirSetting(configFolder + "/user-dirs.dirs", home);
    return !setting.empty() ? setting : home + "/Downloads";
}

std::string DownloadFolder(const std::string& executablePath) {
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
    if (!EndsWith(folder, "/bin") && IsWritableFolder(folder + "/incoming")) {
        return folder + "/incoming";
    }
    return UserDownloadFolder() + "/Bramix";
}

std::string FolderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : path.substr(0, slash);
}

std::string FileNameOf(const std::string& path) {
    return path.substr(path.rfind('/') + 1);
}

bool MakeFolder(const std::string& folder) {
    for (size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
        const std::string step = folder.substr(0, slash);
        if (!step.empty()) {
            mkdir(step.c_str(), 0755);
        }
        if (slash == std::string::npos) {
            break;
        }
    }
    struct stat info {};
    return stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::string ExecutablePath() {
    char buffer[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    return length > 0 ? std::string(buffer, static_cast<size_t>(length)) : std::string();
}

}  // namespace bramix
