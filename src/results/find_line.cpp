#include "results/find_line.h"

#include <cstdint>
#include <nlohmann/json.hpp>
#include <utility>
#include <vector>

#include "base/code_page.h"
#include "base/text_helpers.h"
#include "results/results_list.h"

namespace bramix {

namespace {

std::string Field(std::string_view ansi) {
    return MaskControlBytes(AnsiToUtf8(ansi), ' ');
}

// The lines have always escaped backspace and form feed as \u0008 and
// \u000c, and DEL as \u007f, where nlohmann writes \b, \f and DEL itself;
// scripts may compare lines, so they stay as they were. A backslash in the
// dump always starts an escape, so stepping over escapes never takes an
// escaped backslash for one.
std::string WithEarlierEscapes(const std::string& dumped) {
    std::string line;
    line.reserve(dumped.size());
    for (size_t i = 0; i < dumped.size(); ++i) {
        const char c = dumped[i];
        if (c == '\x7F') {
            line += "\\u007f";
        } else if (c != '\\') {
            line += c;
        } else if (const char escaped = dumped[++i]; escaped == 'b' || escaped == 'f') {
            line += escaped == 'b' ? "\\u0008" : "\\u000c";
        } else {
            line += '\\';
            line += escaped;
        }
    }
    return line;
}

// What `get -` takes from a find's object: its fileUrl and fileName, which
// must be strings wherever they occur (the last one counts). Values are as
// this program writes them: strings, non-negative integers (of any length),
// booleans and null; nothing nests.
class FindObjectReader {
public:
    bool null() { return NotAddressOrName(); }
    bool boolean(bool) { return NotAddressOrName(); }
    bool number_integer(int64_t) { return false; }  // only negative ones come here
    bool number_unsigned(uint64_t) { return NotAddressOrName(); }
    bool number_float(double, const std::string& written) {
        // Digits too many for 64 bits arrive here; fractions and exponents do not count.
        return written.find_first_not_of("0123456789") == std::string::npos && NotAddressOrName();
    }
    bool string(std::string& value) {
        if (key_ == "fileUrl") {
            fileUrl_ = std::move(value);
        } else if (key_ == "fileName") {
            fileName_ = std::move(value);
        }
        return true;
    }
    bool binary(nlohmann::json::binary_t&) { return false; }
    bool start_object(size_t) { return ++depth_ == 1; }
    bool key(std::string& name) {
        key_ = std::move(name);
        return true;
    }
    bool end_object() { return true; }
    bool start_array(size_t) { return false; }
    bool end_array() { return false; }
    bool parse_error(size_t, const std::string&, const nlohmann::json::exception&) { return false; }

    std::optional<FindLineTarget> Target() const {
        if (!fileUrl_ || fileUrl_->empty() || !fileName_) {
            return std::nullopt;
        }
        return FindLineTarget{Utf8ToAnsi(*fileUrl_), Utf8ToAnsi(*fileName_)};
    }

private:
    // A number, a boolean or null is no address and no name.
    bool NotAddressOrName() const { return key_ != "fileUrl" && key_ != "fileName"; }

    int depth_ = 0;
    std::string key_;
    std::optional<std::string> fileUrl_;
    std::optional<std::string> fileName_;
};

// A number, true, false or null followed by a TAB, CR or LF rather than a
// space, ',' or '}' has always made a line no find. JSON that nlohmann
// accepts holds those bytes raw only between tokens, so the byte before one
// ends a token.
bool HasValueEndedByControlSpace(std::string_view line) {
    for (size_t i = 1; i < line.size(); ++i) {
        const char before = line[i - 1];
        if ((line[i] == '\t' || line[i] == '\r' || line[i] == '\n') &&
            ((before >= '0' && before <= '9') || before == 'e' || before == 'l')) {
            return true;
        }
    }
    return false;
}

std::optional<FindLineTarget> ParseJsonLine(std::string_view line) {
    FindObjectReader reader;
    // sax_parse tells its errors to the reader rather than throwing them.
    if (HasValueEndedByControlSpace(line) ||
        !nlohmann::json::sax_parse(line.begin(), line.end(), &reader)) {
        return std::nullopt;
    }
    return reader.Target();
}

}  // namespace

std::string FormatFindJson(const FoundFile& found, bool matched) {
    const nlohmann::ordered_json find = {
        {"type", TypeText(found.type)},
        {"size", found.size},
        {"matched", matched},
        {"fileName", AnsiToUtf8(found.fileName)},
        {"title", AnsiToUtf8(found.title)},
        {"pageUrl", AnsiToUtf8(found.pageUrl)},
        {"fileUrl", AnsiToUtf8(found.fileUrl)},
    };
    // UTF-8 as it is; AnsiToUtf8 writes only valid UTF-8, so nothing is replaced.
    return WithEarlierEscapes(find.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace));
}

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
    if (!line.empty() && line.front() == '{') {
        return ParseJsonLine(line);
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
