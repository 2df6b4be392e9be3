#include "base/debug_trace.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "base/code_page.h"

namespace bramix {

namespace {

bool TraceEnabled() {
    static const bool enabled = std::getenv("BRAMIX_TRACE") != nullptr;
    return enabled;
}

}  // namespace

void DebugTrace(std::string_view text) {
    if (!TraceEnabled()) {
        return;
    }
    std::string utf8 = AnsiToUtf8(text);
    // Addresses from pages go into traces: their control bytes must not
    // steer the terminal. A text's own closing line break stays.
    for (size_t i = 0; i < utf8.size(); ++i) {
        const auto byte = static_cast<unsigned char>(utf8[i]);
        if ((byte < 0x20 || byte == 0x7F) && !(byte == '\n' && i + 1 == utf8.size())) {
            utf8[i] = '?';
        }
    }
    std::fwrite(utf8.data(), 1, utf8.size(), stderr);
}

void DebugTraceFormat(const char* format, ...) {
    if (!TraceEnabled()) {
        return;
    }
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    const int length = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    if (length > 0) {
        std::string text(static_cast<size_t>(length) + 1, '\0');
        std::vsnprintf(text.data(), text.size(), format, args);
        text.pop_back();
        DebugTrace(text);
    }
    va_end(args);
}

}  // namespace bramix
