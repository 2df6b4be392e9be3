#include "base/mbcs_text.h"

#include <string.h>

#include <vector>

#include "base/text_helpers.h"

namespace bramix {

size_t FindOnCharBoundary(std::string_view text, std::string_view needle, size_t from) {
    if (needle.empty()) {
        return from <= text.size() ? from : std::string_view::npos;
    }
    // memmem searches in time linear in the text and the needle, where a
    // search that compares at each first-byte match costs their product.
    auto find = [&text, &needle](size_t start) {
        // Also keeps an empty view's null data away from memmem.
        if (start > text.size() || needle.size() > text.size() - start) {
            return std::string_view::npos;
        }
        const void* found =
            memmem(text.data() + start, text.size() - start, needle.data(), needle.size());
        return found == nullptr
                   ? std::string_view::npos
                   : static_cast<size_t>(static_cast<const char*>(found) - text.data());
    };
    size_t boundary = from;
    size_t pos = find(from);
    while (pos != std::string_view::npos) {
        while (boundary < pos) {
            boundary += IsLeadByte(static_cast<unsigned char>(text[boundary])) ? 2 : 1;
        }
        if (boundary == pos) {
            return pos;
        }
        pos = find(pos + 1);  // that one began on a trail byte
    }
    return std::string_view::npos;
}

void CutOnCharBoundary(std::string& text, size_t most) {
    if (text.size() <= most) {
        return;
    }
    size_t cut = 0;
    for (size_t next = 0; next <= most;) {
        cut = next;
        next += IsLeadByte(static_cast<unsigned char>(text[next])) ? 2 : 1;
    }
    text.resize(cut);
}

CharacterStarts::CharacterStarts(std::string_view text) : text_(text), starts_(text.size()) {
    for (size_t i = 0; i < text.size();
         i += IsLeadByte(static_cast<unsigned char>(text[i])) ? 2 : 1) {
        starts_[i] = true;
    }
}

bool CharacterStarts::Contain(std::string_view needle) const {
    if (needle.empty()) {
        return true;
    }
    for (size_t from = 0; from + needle.size() <= text_.size();) {
        const void* found =
            memmem(text_.data() + from, text_.size() - from, needle.data(), needle.size());
        if (found == nullptr) {
            return false;
        }
        const auto at = static_cast<size_t>(static_cast<const char*>(found) - text_.data());
        if (starts_[at]) {
            return true;
        }
        from = at + 1;  // that one began on a second byte
    }
    return false;
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
    if (from.empty()) {
        return;
    }
    if (to.size() >= from.size()) {
        ReplaceAll(text, from, to);  // repeating could grow without end
        return;
    }
    if (FindOnCharBoundary(text, from) == std::string_view::npos) {
        return;  // the usual case, for one search
    }

    // Whole passes until nothing changes would cost a pass per replacement:
    // "[1][1]...[1]." shrinks by one "[1]" a pass. Instead the text is read
    // once into `out`, which never holds an occurrence: after each character
    // only its end can have become one, and a replacement's text is read
    // again, so that what it forms with its left side is seen too. For these
    // patterns the result is the same fixed point.
    std::string out;
    out.reserve(text.size());
    std::vector<bool> starts;  // starts[i]: out[i] begins a character
    starts.reserve(text.size());
    std::string reread;  // replacement bytes still to read again, next one last
    size_t next = 0;
    auto read = [&](char& c) {
        if (!reread.empty()) {
            c = reread.back();
            reread.pop_back();
            return true;
        }
        if (next < text.size()) {
            c = text[next++];
            return true;
        }
        return false;
    };
    for (char c; read(c);) {
        out += c;
        starts.push_back(true);
        if (IsLeadByte(static_cast<unsigned char>(c)) && read(c)) {
            out += c;
            starts.push_back(false);
        }
        const size_t at = out.size() >= from.size() ? out.size() - from.size() : 0;
        if (out.size() >= from.size() && out.back() == from.back() && starts[at] &&
            std::string_view(out).substr(at) == from) {
            out.resize(at);
            starts.resize(at);
            reread.append(to.rbegin(), to.rend());
        }
    }
    text.swap(out);
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
