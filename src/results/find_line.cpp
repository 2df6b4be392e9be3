#include "results/find_line.h"

#include <vector>

#include "base/code_page.h"
#include "results/results_list.h"

namespace bramix {

namespace {

std::string Field(std::string_view ansi) {
    std::string utf8 = AnsiToUtf8(ansi);
    for (char& c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) {
            c = ' ';
        }
    }
    return utf8;
}

}  // namespace

std::string FormatFindLine(const FoundFile& found, bool matched) {
    std::string line;
    line += TypeText(found.type);
    line += '\t';
    line += std::to_string(found.size);
    line += '\t';
    line += matched ? '1' : '0';
    for (const std::string* text :
         {&found.fileName, &found.title, &found.pageUrl, &found.fileUrl}) {
        line += '\t';
        line += Field(*text);
    }
    return line;
}

std::optional<FindLineTarget> ParseFindLine(std::string_view line) {
    if (!line.empty() && line.back() == '\r') {
        line.remove_suffix(1);
    }
    std::vector<std::string_view> fields;
    size_t start = 0;
    for (size_t tab = line.find('\t'); tab != std::string_view::npos;
         tab = line.find('\t', start)) {
        fields.push_back(line.substr(start, tab - start));
        start = tab + 1;
    }
    fields.push_back(line.substr(start));
    if (fields.size() != 7 || fields[6].empty()) {
        return std::nullopt;
    }
    return FindLineTarget{Utf8ToAnsi(fields[6]), Utf8ToAnsi(fields[3])};
}

}  // namespace bramix
