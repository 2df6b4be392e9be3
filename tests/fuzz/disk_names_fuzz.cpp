// Names on disk. SafeFileName of a stem line and an extension line; then the
// whole input as a find's name (code page 949), made an entry's name and made
// free in a folder of this process twice: the second call must find the first
// name taken and choose another. Every name must be creatable in the folder.

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "download/disk_names.h"
#include "download/download_plan.h"
#include "fuzz_support.h"

namespace {

using namespace bramix;

// A plain name of the folder, never hidden, in valid UTF-8, with room for
// ".part" and nothing a terminal would act on.
void CheckPlainName(std::string_view name) {
    FUZZ_CHECK(!name.empty() && name.size() <= 250 && name.front() != ' ' && name.back() != ' ');
    FUZZ_CHECK(name.find_first_not_of('.') != std::string_view::npos);
    FUZZ_CHECK(name.find('/') == std::string_view::npos && fuzz::IsValidUtf8(name));
    FUZZ_CHECK(std::none_of(name.begin(), name.end(),
                            [](char c) { return IsControlByte(static_cast<unsigned char>(c)); }));
}

// A folder of this process's own, removed when it ends normally.
const std::string& Folder() {
    static const struct Scratch {
        std::string path;
        Scratch() {
            char pattern[] = "/tmp/bramix-fuzz-names-XXXXXX";
            FUZZ_CHECK(mkdtemp(pattern) != nullptr);
            path = pattern;
        }
        ~Scratch() { std::filesystem::remove_all(path); }
    } folder;
    return folder.path;
}

// The path of a free name for a find's name, which is then created.
std::string TakeFreePath(const std::string& findName) {
    const std::string leaf =
        FreeFileName(Folder(), EntryForFind(findName, "", "http://h/").diskName, 4242);
    CheckPlainName(leaf);
    const std::string path = Folder() + "/" + leaf;
    const int file = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600);
    FUZZ_CHECK(file >= 0);
    close(file);
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view input = fuzz::AsText(data, size);
    const auto parts = fuzz::SplitLines(input, 2);
    CheckPlainName(SafeFileName(std::string(parts[0]), std::string(parts[1])));

    const std::string firstPath = TakeFreePath(std::string(input));
    const std::string secondPath = TakeFreePath(std::string(input));
    FUZZ_CHECK(firstPath != secondPath);
    unlink(firstPath.c_str());
    unlink(secondPath.c_str());
    return 0;
}
