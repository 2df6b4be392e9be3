#include "search/code_page.h"

#include <iconv.h>

#include <cerrno>

namespace bramix {

namespace {

constexpr std::string_view kReplacementUtf8 = "\xEF\xBF\xBD";  // U+FFFD

// One iconv descriptor per thread and direction: opening one per call costs
// more than converting a title, and a descriptor must not be shared.
class IconvHandle {
public:
    IconvHandle(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~IconvHandle() {
        if (valid()) {
            iconv_close(cd_);
        }
    }
    IconvHandle(const IconvHandle&) = delete;
    IconvHandle& operator=(const IconvHandle&) = delete;

    bool valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
    iconv_t get() const { return cd_; }

private:
    iconv_t cd_;
};

iconv_t ToCp949() {
    thread_local IconvHandle handle("CP949", "UTF-8");
    return handle.valid() ? handle.get() : nullptr;
}

iconv_t FromCp949() {
    thread_local IconvHandle handle("UTF-8", "CP949");
    return handle.valid() ? handle.get() : nullptr;
}

// Converts as much of `in` as iconv accepts, appending to `out`. Returns the
// number of input bytes consumed; stops at the first byte iconv rejects.
size_t ConvertRun(iconv_t cd, std::string_view in, std::string& out) {
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char* inPtr = const_cast<char*>(in.data());
    size_t inLeft = in.size();
    while (inLeft > 0) {
        const size_t oldSize = out.size();
        const size_t room = inLeft * 2 + 16;
        out.resize(oldSize + room);
        char* outPtr = out.data() + oldSize;
        size_t outLeft = room;
        const size_t result = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
        const int error = errno;
        out.resize(oldSize + (room - outLeft));
        if (result != static_cast<size_t>(-1)) {
            break;
        }
        if (error != E2BIG) {
            break;
        }
    }
    return in.size() - inLeft;
}

struct Utf8Sequence {
    size_t length;  // bytes that form the sequence, valid or not (at least 1)
    bool valid;
};

// Finds the extent of the UTF-8 sequence at `i` and whether it encodes a
// character: an invalid sequence is replaced as one unit.
Utf8Sequence ScanUtf8(std::string_view text, size_t i) {
    const auto lead = static_cast<unsigned char>(text[i]);
    if (lead < 0x80) {
        return {1, true};
    }
    size_t needed;
    char32_t value;
    char32_t minimum;
    if (lead >= 0xC0 && lead <= 0xDF) {
        needed = 1, value = lead & 0x1F, minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        needed = 2, value = lead & 0x0F, minimum = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF7) {
        needed = 3, value = lead & 0x07, minimum = 0x10000;
    } else {
        return {1, false};  // lone continuation byte or a byte UTF-8 never uses
    }
    size_t length = 1;
    while (length <= needed && i + length < text.size()) {
        const auto c = static_cast<unsigned char>(text[i + length]);
        if ((c & 0xC0) != 0x80) {
            break;
        }
        value = (value << 6) | (c & 0x3F);
        ++length;
    }
    if (length <= needed) {
        return {length, false};  // truncated
    }
    const bool valid =
        value >= minimum && value <= 0x10FFFF && !(value >= 0xD800 && value <= 0xDFFF);
    return {length, valid};
}

bool IsCp949TrailByte(unsigned char c) {
    return (c >= 0x41 && c <= 0x5A) || (c >= 0x61 && c <= 0x7A) || (c >= 0x81 && c <= 0xFE);
}

// Stand-in when the system has no CP949 converter: ASCII survives, nothing else.
std::string AsciiOnly(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            c = '?';
        }
    }
    return out;
}

// Converts a run of valid UTF-8; characters that 949 lacks become '?'.
void AppendValidUtf8(iconv_t cd, std::string_view run, std::string& out) {
    while (!run.empty()) {
        const size_t consumed = ConvertRun(cd, run, out);
        if (consumed == run.size()) {
            return;
        }
        out += '?';
        run.remove_prefix(consumed + ScanUtf8(run, consumed).length);
    }
}

}  // namespace

std::string AnsiToUtf8(std::string_view ansi) {
    iconv_t cd = FromCp949();
    if (cd == nullptr) {
        return AsciiOnly(ansi);
    }
    std::string out;
    out.reserve(ansi.size() + ansi.size() / 2);
    while (!ansi.empty()) {
        const size_t consumed = ConvertRun(cd, ansi, out);
        ansi.remove_prefix(consumed);
        if (ansi.empty()) {
            break;
        }
        const auto lead = static_cast<unsigned char>(ansi[0]);
        const bool isLead = lead >= 0x81 && lead <= 0xFE;
        if (ansi.size() == 1 && isLead) {
            out += '?';  // a lead byte cut off at the end
            break;
        }
        const bool pair =
            isLead && ansi.size() > 1 && IsCp949TrailByte(static_cast<unsigned char>(ansi[1]));
        out += kReplacementUtf8;
        ansi.remove_prefix(pair ? 2 : 1);
    }
    return out;
}

std::string Utf8ToAnsi(std::string_view utf8) {
    iconv_t cd = ToCp949();
    if (cd == nullptr) {
        return AsciiOnly(utf8);
    }
    std::string out;
    out.reserve(utf8.size());
    size_t runStart = 0;
    size_t i = 0;
    while (i < utf8.size()) {
        if (static_cast<unsigned char>(utf8[i]) < 0x80) {
            ++i;
            continue;
        }
        const Utf8Sequence sequence = ScanUtf8(utf8, i);
        if (sequence.valid) {
            i += sequence.length;
            continue;
        }
        AppendValidUtf8(cd, utf8.substr(runStart, i - runStart), out);
        out += '?';
        i += sequence.length;
        runStart = i;
    }
    AppendValidUtf8(cd, utf8.substr(runStart), out);
    return out;
}

}  // namespace bramix
