#include "net/header_line.h"

namespace bramix {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view WithoutBlanks(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

}  // namespace

HeaderLine ParseHeaderLine(std::string_view line) {
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) {
        line.remove_suffix(1);
    }
    HeaderLine parsed;
    if (line.empty()) {
        parsed.kind = HeaderLine::Kind::End;
    } else if (line.substr(0, 5) == "HTTP/") {
        parsed.kind = HeaderLine::Kind::Status;
        if (const size_t space = line.find(' '); space != std::string_view::npos) {
            for (size_t i = space + 1;
                 i < line.size() && i <= space + 3 && line[i] >= '0' && line[i] <= '9'; ++i) {
                parsed.status = parsed.status * 10 + (line[i] - '0');
            }
        }
    } else if (IsBlank(line.front())) {
        parsed.kind = HeaderLine::Kind::Continuation;
        parsed.value = WithoutBlanks(line);
    } else if (const size_t colon = line.find(':'); colon != std::string_view::npos) {
        parsed.kind = HeaderLine::Kind::Field;
        parsed.name = line.substr(0, colon);
        parsed.value = WithoutBlanks(line.substr(colon + 1));
    }
    return parsed;
}

}  // namespace bramix
