#include "base/text_helpers.h"

#include <string.h>

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

size_t FindBytes(std::string_view text, std::string_view part, size_t from) {
    if (from > text.size() || part.size() > text.size() - from) {
        return std::string_view::npos;
    }
    if (part.empty()) {
        return from;
    }
    const void* at = memmem(text.data() + from, text.size() - from, part.data(), part.size());
    return at == nullptr ? std::string_view::npos
                         : static_cast<size_t>(static_cast<const char*>(at) - text.data());
}

void ReplaceBytes(std::string& text, std::string_view from, std::string_view to) {
    if (from.empty()) {
        return;
    }
    size_t at = FindBytes(text, from);
    if (at == std::string::npos) {
        return;
    }
    // Built anew rather than replaced in place, which would move the rest of
    // the text once per occurrence.
    std::string out;
    out.reserve(text.size());
    size_t copied = 0;
    for (; at != std::string::npos; at = FindBytes(text, from, copied)) {
        out.append(text, copied, at - copied);
        out.append(to);
        copied = at + from.size();
    }
    out.append(text, copied);
    text.swap(out);
}

std::string MaskControlBytes(std::string_view text, char replacement) {
    std::string masked(text);
    for (char& c : masked) {
        if (IsControlByte(static_cast<unsigned char>(c))) {
            c = replacement;
        }
    }
    return masked;
}

}  // namespace bramix
