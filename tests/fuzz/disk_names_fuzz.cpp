// Names on disk. SafeFileName of a stem line and an extension line; then the
// whole input as a list name (code page 949) through FreeDownloadPath in a
// folder of this process, twice: the second call must find the first name
// taken and choose another. Every name must be creatable in the folder.

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "base/code_page.h"
#include "download/disk_names.h"
#include "fuzz_support.h"

namespace {

using namespace bramix;

// A plain name of this folder, as the file system takes it, in valid UTF-8,
// with room for ".part" and nothing a terminal would act on.
void CheckPlainName(std::string_view name) {
    FUZZ_CHECK(!name.empty() && name.size() <= 250);
    FUZZ_CHECK(name.find_first_not_of('.') != std::string_view::npos);  // nothing hidden
    FUZZ_CHECK(fuzz::IsValidUtf8(name));
    FUZZ_CHECK(name.find('/') == std::string_view::npos);
    FUZZ_CHECK(std::none_of(name.begin(), name.end(), IsControlByte));
    FUZZ_CHECK(name.front() != ' ' && name.back() != ' ');
}

// A folder of this process's own, removed when it ends normally.
class ScratchFolder {
public:
    ScratchFolder() {
        char pattern[] = "/tmp/bramix-fuzz-names-XXXXXX";
        FUZZ_CHECK(mkdtemp(pattern) != nullptr);
        path_ = pattern;
    }
    ~ScratchFolder() { std::filesystem::remove_all(path_); }
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

const std::string& Folder() {
    static const ScratchFolder folder;
    return folder.path();
}

// The leaf of a path that FreeDownloadPath chose, which is then created.
std::string TakeFreePath(const std::string& listName, std::string& chosen) {
    const std::string path = FreeDownloadPath(Folder(), listName, 4242, chosen);
    FUZZ_CHECK(path.rfind(Folder() + "/", 0) == 0);
    const std::string leaf = path.substr(Folder().size() + 1);
    CheckPlainName(leaf);
    FUZZ_CHECK(chosen == Utf8ToAnsi(leaf));
    const int file = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600);
    FUZZ_CHECK(file >= 0);
    close(file);
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view input = fuzz::AsText(data, size);
    const auto parts = fuzz::SplitLines(input, 2);
    const std::string stem(parts[0]);
    const std::string extension(parts[1]);
    const std::string safe = SafeFileName(stem, extension);
    CheckPlainName(safe);
    // An extension that needs no mending is kept whole.
    const bool plainExtension =
        extension.size() <= 64 && fuzz::IsValidUtf8(extension) &&
        extension.find('/') == std::string::npos &&
        std::none_of(extension.begin(), extension.end(), IsControlByte) &&
        (extension.empty() || (extension.front() != ' ' && extension.back() != ' '));
    if (plainExtension) {
        FUZZ_CHECK(safe.size() >= extension.size() &&
                   safe.compare(safe.size() - extension.size(), extension.size(), extension) == 0);
    }

    std::string first;
    std::string second;
    const std::string firstPath = TakeFreePath(std::string(input), first);
    const std::string secondPath = TakeFreePath(std::string(input), second);
    FUZZ_CHECK(firstPath != secondPath);
    unlink(firstPath.c_str());
    unlink(secondPath.c_str());
    return 0;
}
