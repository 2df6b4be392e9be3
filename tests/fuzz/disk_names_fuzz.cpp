// Names on disk: SafeFileName of a stem line and an extension line; the whole
// input as a find's name (949) made free twice in a folder of its own, the
// second time beside the first, both created in that folder.

#include <fcntl.h>
#include <unistd.h>

#include <filesystem>

#include "download/disk_names.h"
#include "download/download_plan.h"
#include "fuzz_support.h"

using namespace bramix;

// A plain name of the folder, never hidden, in valid UTF-8, with room for
// ".part" and nothing a terminal would act on.
static void CheckPlainName(std::string_view name) {
    FUZZ_CHECK(!name.empty() && name.size() <= 250 && name.front() != ' ' && name.back() != ' ');
    FUZZ_CHECK(name.find_first_not_of('.') != std::string_view::npos);
    FUZZ_CHECK(name.find('/') == std::string_view::npos && fuzz::IsValidUtf8(name));
    FUZZ_CHECK(std::none_of(name.begin(), name.end(),
                            [](char c) { return IsControlByte(static_cast<unsigned char>(c)); }));
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input(fuzz::AsText(data, size));
    const auto parts = fuzz::SplitLines(input, 2);
    CheckPlainName(SafeFileName(std::string(parts[0]), std::string(parts[1])));

    char folder[] = "/tmp/bramix-fuzz-names-XXXXXX";
    FUZZ_CHECK(mkdtemp(folder) != nullptr);
    for (int i = 0; i < 2; ++i) {
        const std::string leaf =
            FreeFileName(folder, EntryForFind(input, "", "http://h/").diskName, 4242);
        CheckPlainName(leaf);
        const int file = open((folder + ("/" + leaf)).c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600);
        FUZZ_CHECK(file >= 0 && close(file) == 0);
    }
    const std::filesystem::directory_iterator entries(folder);
    FUZZ_CHECK(std::distance(begin(entries), end(entries)) == 2);
    std::filesystem::remove_all(folder);
    return 0;
}
