// The lines per find that `bramix-cli get -` reads. Any line is parsed; a find
// made of the input is written TAB-separated and as JSON and read back (inputs
// up to 64 KiB: every field is converted a dozen times). Neither form holds a
// raw control byte but the TABs, and the address and name come back.

#include "fuzz_support.h"
#include "results/find_line.h"

using namespace bramix;

static size_t ControlBytes(std::string_view text) {
    return std::count_if(text.begin(), text.end(),
                         [](char c) { return IsControlByte(static_cast<unsigned char>(c)); });
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view input = fuzz::AsText(data, size);
    const std::optional<FindLineTarget> target = ParseFindLine(input);
    FUZZ_CHECK(!target || !target->fileUrl.empty());
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

    // The TAB form turns control bytes into spaces; JSON escapes them.
    for (const bool json : {false, true}) {
        const std::string line =
            json ? FormatFindJson(found, size % 2 == 0) : FormatFindLine(found, size % 2 == 0);
        FUZZ_CHECK(ControlBytes(line) == (json ? 0 : 6) &&
                   (json || std::ranges::count(line, '\t') == 6));
        const std::optional<FindLineTarget> read = ParseFindLine(line);
        FUZZ_CHECK(read.has_value() == !found.fileUrl.empty());
        const auto comesBack = [json](const std::string& field) {
            return Utf8ToAnsi(AnsiToUtf8(field)) == field && (json || !ControlBytes(field));
        };
        if (read && comesBack(found.fileUrl) && comesBack(found.fileName)) {
            FUZZ_CHECK(read->fileUrl == found.fileUrl && read->fileName == found.fileName);
        }
    }
    return 0;
}
