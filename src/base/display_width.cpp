#include "base/display_width.h"

#include <cwchar>
#include <vector>

namespace bramix {

namespace {

constexpr std::string_view kEllipsis = "\xE2\x80\xA6";  // "…", one column

struct Character {
    size_t length;  // bytes
    size_t width;   // columns
};

// East Asian wide and full-width ranges, for when the C library's table
// (wcwidth, which needs a UTF-8 locale) does not know the character.
bool IsWide(char32_t c) {
    return (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF && c != 0x303F) ||
           (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) ||
           (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
           (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x1F300 && c <= 0x1F64F) ||
           (c >= 0x20000 && c <= 0x3FFFD);
}

Character CharacterAt(std::string_view text, size_t i) {
    const auto lead = static_cast<unsigned char>(text[i]);
    size_t length = 1;
    char32_t code = lead;
    if (lead >= 0xC0 && lead < 0xF8) {
        length = lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        code = lead & (0x3F >> (length - 1));
        for (size_t k = 1; k < length; ++k) {
            if (i + k >= text.size() || (static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) {
                return {1, 1};  // not a character: one column for the byte
            }
            code = (code << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        }
    } else if (lead >= 0x80) {
        return {1, 1};
    }
    const int known = wcwidth(static_cast<wchar_t>(code));
    if (known >= 0) {
        return {length, static_cast<size_t>(known)};
    }
    return {length, code < 0x20 || code == 0x7F ? 1u : IsWide(code) ? 2u : 1u};
}

}  // namespace

size_t DisplayWidth(std::string_view utf8) {
    size_t width = 0;
    for (size_t i = 0; i < utf8.size();) {
        const Character c = CharacterAt(utf8, i);
        width += c.width;
        i += c.length;
    }
    return width;
}

std::string ShortenToWidth(std::string_view utf8, size_t width) {
    if (DisplayWidth(utf8) <= width) {
        return std::string(utf8);
    }
    if (width == 0) {
        return {};
    }
    std::vector<Character> characters;
    for (size_t i = 0; i < utf8.size();) {
        characters.push_back(CharacterAt(utf8, i));
        i += characters.back().length;
    }
    // Half the room, less the ellipsis, to the start; the rest to the end.
    const size_t room = width - 1;
    size_t headWidth = 0;
    size_t headBytes = 0;
    size_t head = 0;
    while (head < characters.size() && headWidth + characters[head].width <= room / 2 + room % 2) {
        headWidth += characters[head].width;
        headBytes += characters[head].length;
        ++head;
    }
    size_t tailWidth = 0;
    size_t tailBytes = 0;
    for (size_t tail = characters.size(); tail > head; --tail) {
        if (headWidth + tailWidth + characters[tail - 1].width > room) {
            break;
        }
        tailWidth += characters[tail - 1].width;
        tailBytes += characters[tail - 1].length;
    }
    return std::string(utf8.substr(0, headBytes)) + std::string(kEllipsis) +
           std::string(utf8.substr(utf8.size() - tailBytes));
}

}  // namespace bramix
