// The command line's lines per find, read by `bramix-cli get -` from standard
// input: TAB-separated or JSON. Any line is parsed; then a find made of the
// input is written in both forms and read back: a TAB line always has seven
// fields, neither form holds a raw control byte, and the address and name
// come back (the TAB form turns control bytes into spaces). The round trips
// convert every field a dozen times, so they are left to inputs of up to
// 64 KiB; the parse alone takes them all.

#include <algorithm>

#include "base/code_page.h"
#include "fuzz_support.h"
#include "results/find_line.h"

namespace {

using namespace bramix;

bool HasControlByte(std::string_view text) {
    return std::any_of(text.begin(), text.end(), [](char c) {
        return static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) == 0x7F;
    });
}

// True when the 949 text converts to UTF-8 and back unchanged.
bool SurvivesUtf8(const std::string& ansi) {
    return Utf8ToAnsi(AnsiToUtf8(ansi)) == ansi;
}

void CheckReadBack(const std::string& line, const FoundFile& found, bool keepsControlBytes) {
    const std::optional<FindLineTarget> read = ParseFindLine(line);
    FUZZ_CHECK(read.has_value() == !found.fileUrl.empty());
    if (read && SurvivesUtf8(found.fileUrl) && SurvivesUtf8(found.fileName) &&
        (keepsControlBytes ||
         (!HasControlByte(found.fileUrl) && !HasControlByte(found.fileName)))) {
        FUZZ_CHECK(read->fileUrl == found.fileUrl);
        FUZZ_CHECK(read->fileName == found.fileName);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view input = fuzz::AsText(data, size);
    if (const std::optional<FindLineTarget> target = ParseFindLine(input)) {
        FUZZ_CHECK(!target->fileUrl.empty());
    }
    if (size > 64 * 1024) {
        return 0;
    }

    // A find whose name, title and addresses are the input's first lines and
    // the rest (949 text, tabs and control bytes included).
    const auto parts = fuzz::SplitLines(input, 4);
    FoundFile found;
    found.fileName = parts[0];
    found.title = parts[1];
    found.pageUrl = parts[2];
    found.fileUrl = parts[3];
    found.type = static_cast<int>(size % 4);
    found.size = static_cast<uint32_t>(size * 2654435761u);
    const bool matched = size % 2 == 0;

    const std::string line = FormatFindLine(found, matched);
    FUZZ_CHECK(std::count(line.begin(), line.end(), '\t') == 6);
    std::string untabbed = line;
    std::replace(untabbed.begin(), untabbed.end(), '\t', ' ');
    FUZZ_CHECK(!HasControlByte(untabbed));
    CheckReadBack(line, found, false);

    const std::string json = FormatFindJson(found, matched);
    FUZZ_CHECK(!HasControlByte(json));
    CheckReadBack(json, found, true);
    return 0;
}
