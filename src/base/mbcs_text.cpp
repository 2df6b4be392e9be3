#include "base/mbcs_text.h"

#include "base/text_helpers.h"

namespace bramix {

size_t FindOnCharBoundary(std::string_view text, std::string_view needle, size_t from) {
    if (needle.empty()) {
        return from <= text.size() ? from : std::string_view::npos;
    }
    size_t boundary = from;
    size_t pos = text.find(needle, from);
    while (pos != std::string_view::npos) {
        while (boundary < pos) {
            boundary += IsLeadByte(static_cast<unsigned char>(text[boundary])) ? 2 : 1;
        }
        if (boundary == pos) {
            return pos;
        }
        pos = text.find(needle, pos + 1);  // that one began on a trail byte
    }
    return std::string_view::npos;
}

int ReplaceAll(std::string& text, std::string_view from, std::string_view to) {
    if (from.empty()) {
        return 0;
    }
    size_t pos = FindOnCharBoundary(text, from);
    if (pos == std::string_view::npos) {
        return 0;
    }
    std::string out;
    out.reserve(text.size());
    size_t copied = 0;
    int count = 0;
    while (pos != std::string_view::npos) {
        out.append(text, copied, pos - copied);
        out.append(to);
        copied = pos + from.size();
        ++count;
        pos = FindOnCharBoundary(text, from, copied);
    }
    out.append(text, copied);
    text.swap(out);
    return count;
}

void ReplaceRepeatedly(std::string& text, std::string_view from, std::string_view to) {
    if (to.size() >= from.size()) {
        ReplaceAll(text, from, to);  // repeating could grow without end
        return;
    }
    while (ReplaceAll(text, from, to) > 0) {
    }
}

void LowerAscii(std::string& text) {
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (IsLeadByte(static_cast<unsigned char>(c))) {
            ++i;  // the trail byte may look like a capital letter
        } else if (c >= 'A' && c <= 'Z') {
            text[i] = static_cast<char>(c - 'A' + 'a');
        }
    }
}

}  // namespace bramix
