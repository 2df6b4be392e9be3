#include "base/percent_coding.h"

#include "base/text_helpers.h"

namespace bramix {

void AppendPercentEscape(std::string& out, unsigned char byte) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    out += '%';
    out += kHex[byte >> 4];
    out += kHex[byte & 0x0F];
}

std::string UrlEncode(std::string_view text) {
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
            AppendPercentEscape(out, c);
        }
    }
    return out;
}

std::string PercentDecode(std::string_view text) {
    // Any character after '%' gives a nibble, as the original decoder computed
    // it: (code - 55) or (code - 48), modulo 16.
    auto nibble = [](unsigned char c) {
        return static_cast<unsigned char>((c > '9' ? c - 55 : c - 48) & 0x0F);
    };
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '%' && i + 2 < text.size()) {
            out += static_cast<char>(nibble(static_cast<unsigned char>(text[i + 1])) * 16 +
                                     nibble(static_cast<unsigned char>(text[i + 2])));
            i += 2;
        } else if (c == '+') {
            out += ' ';
        } else {
            out += c;
        }
    }
    return out;
}

}  // namespace bramix
