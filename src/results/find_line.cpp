#include "results/find_line.h"

#include <cstdint>
#include <utility>
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

// A JSON string: quotes, backslashes and control bytes escaped.
void AppendJsonString(std::string& out, std::string_view utf8) {
    static constexpr char kHex[] = "0123456789abcdef";
    out += '"';
    for (const char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c == '\r') {
            out += "\\r";
        } else if (byte < 0x20 || byte == 0x7F) {
            out += "\\u00";
            out += kHex[byte >> 4];
            out += kHex[byte & 0x0F];
        } else {
            out += c;
        }
    }
    out += '"';
}

void AppendUtf8(std::string& out, uint32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// Reads the flat JSON objects this program writes: string, number, true,
// false and null values. Fails on anything else.
class JsonObjectReader {
public:
    explicit JsonObjectReader(std::string_view text) : text_(text) {}

    struct Field {
        std::string key;
        std::string value;  // a string's text, or the literal as written
        bool isString;
    };

    // The object's values by key; empty on a malformed object.
    std::optional<std::vector<Field>> Read() {
        std::vector<Field> fields;
        if (!Take('{')) {
            return std::nullopt;
        }
        if (Take('}')) {
            return AtEnd() ? std::optional(fields) : std::nullopt;
        }
        do {
            Field field;
            if (!String(field.key) || !Take(':') || !Value(field.value, field.isString)) {
                return std::nullopt;
            }
            fields.push_back(std::move(field));
        } while (Take(','));
        if (!Take('}') || !AtEnd()) {
            return std::nullopt;
        }
        return fields;
    }

private:
    void SkipSpace() {
        while (at_ < text_.size() && (text_[at_] == ' ' || text_[at_] == '\t' ||
                                      text_[at_] == '\r' || text_[at_] == '\n')) {
            ++at_;
        }
    }
    bool Take(char c) {
        SkipSpace();
        if (at_ < text_.size() && text_[at_] == c) {
            ++at_;
            return true;
        }
        return false;
    }
    bool AtEnd() {
        SkipSpace();
        return at_ == text_.size();
    }
    bool Hex4(uint32_t& code) {
        if (at_ + 4 > text_.size()) {
            return false;
        }
        code = 0;
        for (int i = 0; i < 4; ++i) {
            const char c = text_[at_++];
            code <<= 4;
            if (c >= '0' && c <= '9') {
                code |= static_cast<uint32_t>(c - '0');
            } else if ((c | 0x20) >= 'a' && (c | 0x20) <= 'f') {
                code |= static_cast<uint32_t>((c | 0x20) - 'a' + 10);
            } else {
                return false;
            }
        }
        return true;
    }
    bool String(std::string& out) {
        if (!Take('"')) {
            return false;
        }
        while (at_ < text_.size()) {
            const char c = text_[at_++];
            if (c == '"') {
                return true;
            }
            if (c != '\\') {
                out += c;
                continue;
            }
            if (at_ >= text_.size()) {
                return false;
            }
            const char escaped = text_[at_++];
            switch (escaped) {
                case 'n':
                    out += '\n';
                    break;
                case 't':
                    out += '\t';
                    break;
                case 'r':
                    out += '\r';
                    break;
                case 'b':
                    out += '\b';
                    break;
                case 'f':
                    out += '\f';
                    break;
                case 'u': {
                    uint32_t code = 0;
                    if (!Hex4(code)) {
                        return false;
                    }
                    if (code >= 0xD800 && code <= 0xDBFF && at_ + 1 < text_.size() &&
                        text_[at_] == '\\' && text_[at_ + 1] == 'u') {
                        at_ += 2;
                        uint32_t low = 0;
                        if (!Hex4(low) || low < 0xDC00 || low > 0xDFFF) {
                            return false;
                        }
                        code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
                    }
                    AppendUtf8(out, code);
                    break;
                }
                default:
                    out += escaped;  // '"', '\\' and '/'
                    break;
            }
        }
        return false;
    }
    bool Value(std::string& out, bool& isString) {
        SkipSpace();
        isString = at_ < text_.size() && text_[at_] == '"';
        if (isString) {
            return String(out);
        }
        const size_t start = at_;
        while (at_ < text_.size() && text_[at_] != ',' && text_[at_] != '}' && text_[at_] != ' ') {
            ++at_;
        }
        out = text_.substr(start, at_ - start);
        const bool number =
            !out.empty() && out.find_first_not_of("0123456789") == std::string::npos;
        return number || out == "true" || out == "false" || out == "null";
    }

    std::string_view text_;
    size_t at_ = 0;
};

std::optional<FindLineTarget> ParseJsonLine(std::string_view line) {
    const auto fields = JsonObjectReader(line).Read();
    if (!fields) {
        return std::nullopt;
    }
    std::optional<std::string> fileUrl;
    std::optional<std::string> fileName;
    for (const auto& [key, value, isString] : *fields) {
        if (key == "fileUrl" || key == "fileName") {
            if (!isString) {
                return std::nullopt;  // a number is no address and no name
            }
            (key == "fileUrl" ? fileUrl : fileName) = value;
        }
    }
    if (!fileUrl || fileUrl->empty() || !fileName) {
        return std::nullopt;
    }
    return FindLineTarget{Utf8ToAnsi(*fileUrl), Utf8ToAnsi(*fileName)};
}

}  // namespace

std::string FormatFindJson(const FoundFile& found, bool matched) {
    std::string line = "{\"type\":\"";
    line += TypeText(found.type);
    line += "\",\"size\":" + std::to_string(found.size);
    line += matched ? ",\"matched\":true" : ",\"matched\":false";
    const std::pair<const char*, const std::string*> fields[] = {{"fileName", &found.fileName},
                                                                 {"title", &found.title},
                                                                 {"pageUrl", &found.pageUrl},
                                                                 {"fileUrl", &found.fileUrl}};
    for (const auto& [key, text] : fields) {
        line += ",\"";
        line += key;
        line += "\":";
        AppendJsonString(line, AnsiToUtf8(*text));
    }
    line += '}';
    return line;
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
