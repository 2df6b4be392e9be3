#include "search/text_helpers.h"

#include <algorithm>

namespace bramix {

namespace {

// Trims the characters for which `matches` holds from both ends. Single-byte
// characters are tested; two-byte characters always stay, so the scan from the
// end can never mistake a trail byte for the character.
template <typename Predicate>
std::string& TrimWhere(std::string& text, Predicate matches) {
    size_t begin = 0;
    while (begin < text.size() && matches(static_cast<unsigned char>(text[begin]))) {
        ++begin;
    }
    size_t end = begin;  // one past the last character that stays
    for (size_t i = begin; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        const size_t width = IsLeadByte(c) ? 2 : 1;
        if (IsLeadByte(c) || !matches(c)) {
            end = std::min(i + width, text.size());
        }
        i += width;
    }
    text.erase(end);
    text.erase(0, begin);
    return text;
}

}  // namespace

std::string& TrimSpaces(std::string& text) {
    return TrimWhere(text, IsSpaceByte);
}

std::string& TrimChar(std::string& text, char ch) {
    const auto target = static_cast<unsigned char>(ch);
    return TrimWhere(text, [target](unsigned char c) { return c == target; });
}

std::string UrlEncode(std::string text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size() * 3);
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                           (c >= '0' && c <= '9') || c == '-' || c == '_' || c == '.';
        if (plain) {
            out += ch;
        } else if (IsSpaceByte(c)) {
            out += '+';
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 0x0F];
        }
    }
    return out;
}

void ReplaceBytes(std::string& text, std::string_view from, std::string_view to) {
    if (from.empty()) {
        return;
    }
    for (size_t at = text.find(from); at != std::string::npos;
         at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
}

}  // namespace bramix
