#include "base/code_page.h"

#include <iconv.h>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstddef>

namespace bramix {

namespace {

constexpr std::string_view kReplacementUtf8 = "\xEF\xBF\xBD";  // U+FFFD

// iconv converts through an intermediate buffer and, on a character it cannot
// map, converts the stretch before it again. Feeding it short runs keeps that
// cost small on pages full of such characters.
constexpr size_t kRunLimit = 1024;

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

    // iconv_open tells its failure as the handle (iconv_t)-1.
    bool valid() const { return std::bit_cast<std::ptrdiff_t>(cd_) != -1; }
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

// Output written through a cursor into a buffer sized once for the worst
// case, so that converting around many bad characters costs no reallocation.
class Output {
public:
    explicit Output(size_t capacity) : buffer_(capacity, '\0') {}

    void Append(std::string_view bytes) {
        std::copy(bytes.begin(), bytes.end(), buffer_.begin() + static_cast<std::ptrdiff_t>(used_));
        used_ += bytes.size();
    }

    struct Converted {
        size_t consumed;  // input bytes
        bool refused;     // iconv stopped at a sequence it cannot convert
    };

    // Converts as much of `in` as iconv accepts; stops at the first sequence
    // iconv rejects.
    Converted Convert(iconv_t cd, std::string_view in) {
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        char* inPtr = const_cast<char*>(in.data());
        size_t inLeft = in.size();
        char* outPtr = buffer_.data() + used_;
        size_t outLeft = buffer_.size() - used_;
        errno = 0;
        const size_t result = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
        used_ = buffer_.size() - outLeft;
        return {in.size() - inLeft, result == static_cast<size_t>(-1) && errno == EILSEQ};
    }

    std::string Take() {
        buffer_.resize(used_);
        return std::move(buffer_);
    }

private:
    std::string buffer_;
    size_t used_ = 0;
};

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
// Each such character costs iconv the rest of the piece it was given, so
// after one the pieces are short, and they grow again while none follows.
void AppendValidUtf8(iconv_t cd, std::string_view run, Output& out) {
    constexpr size_t kShortPiece = 16;
    size_t piece = kRunLimit;
    while (!run.empty()) {
        size_t size = std::min(piece, run.size());
        while (size < run.size() && (static_cast<unsigned char>(run[size]) & 0xC0) == 0x80) {
            ++size;  // whole characters only
        }
        const size_t consumed = out.Convert(cd, run.substr(0, size)).consumed;
        if (consumed == size) {
            run.remove_prefix(size);
            piece = std::min(piece * 2, kRunLimit);
            continue;
        }
        out.Append("?");
        run.remove_prefix(consumed + ScanUtf8(run, consumed).length);
        piece = kShortPiece;
    }
}

// glibc's 949 converter takes in a pair of the KS X 1001 rows that stands for
// no character (0xA2E8, say) before it refuses it: the pair is consumed and
// nothing is written. True when `converted` ends in such a pair.
bool SwallowsPair(iconv_t cd, std::string_view converted) {
    if (converted.size() < 2) {
        return false;
    }
    Output scratch(8);
    const Output::Converted alone = scratch.Convert(cd, converted.substr(converted.size() - 2));
    return alone.refused && alone.consumed == 2;
}

}  // namespace

std::string AnsiToUtf8(std::string_view ansi) {
    iconv_t cd = FromCp949();
    if (cd == nullptr) {
        return AsciiOnly(ansi);
    }
    // A byte becomes at most three: U+FFFD for a byte 949 never uses.
    Output out(ansi.size() * 3);
    while (!ansi.empty()) {
        const auto lead = static_cast<unsigned char>(ansi[0]);
        const bool isLead = lead >= 0x81 && lead <= 0xFE;
        const bool pair =
            isLead && ansi.size() > 1 && IsCp949TrailByte(static_cast<unsigned char>(ansi[1]));
        // Only what may start a character goes to iconv: a text of bytes
        // that cannot would cost a call for each of them.
        if (lead < 0x80 || pair) {
            const Output::Converted converted = out.Convert(cd, ansi);
            if (converted.refused && SwallowsPair(cd, ansi.substr(0, converted.consumed))) {
                out.Append(kReplacementUtf8);
            }
            ansi.remove_prefix(converted.consumed);
            if (converted.consumed > 0) {
                continue;
            }
        }
        if (ansi.size() == 1 && isLead) {
            out.Append("?");  // a lead byte cut off at the end
            break;
        }
        out.Append(kReplacementUtf8);
        ansi.remove_prefix(pair ? 2 : 1);
    }
    return out.Take();
}

std::string Utf8ToAnsi(std::string_view utf8) {
    iconv_t cd = ToCp949();
    if (cd == nullptr) {
        return AsciiOnly(utf8);
    }
    // Never longer than the input: every UTF-8 sequence of two or more bytes
    // becomes at most two bytes, every replaced sequence one.
    Output out(utf8.size());
    size_t runStart = 0;
    size_t i = 0;
    while (i < utf8.size()) {
        if (i - runStart >= kRunLimit) {
            AppendValidUtf8(cd, utf8.substr(runStart, i - runStart), out);
            runStart = i;
        }
        if (static_cast<unsigned char>(utf8[i]) < 0x80) {
            ++i;
            continue;
        }
        const Utf8Sequence sequence = ScanUtf8(utf8, i);
        // Code page 949 has nothing beyond U+FFFF (emoji, mostly), nor U+FFFD,
        // which stands for every byte a 949 text could not give. Replacing
        // those here spares iconv's error path, which costs microseconds each.
        if (sequence.valid && sequence.length < 4 &&
            utf8.substr(i, sequence.length) != kReplacementUtf8) {
            i += sequence.length;
            continue;
        }
        AppendValidUtf8(cd, utf8.substr(runStart, i - runStart), out);
        out.Append("?");
        i += sequence.length;
        runStart = i;
    }
    AppendValidUtf8(cd, utf8.substr(runStart), out);
    return out.Take();
}

std::string ValidUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        const Utf8Sequence sequence = ScanUtf8(text, i);
        if (sequence.valid) {
            out += text.substr(i, sequence.length);
        } else {
            out += kReplacementUtf8;
        }
        i += sequence.length;
    }
    return out;
}

}  // namespace bramix
