#include "base/debug_trace.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "base/code_page.h"
#include "base/text_helpers.h"

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
    // Addresses from pages go into traces: their control bytes must not
    // steer the terminal. A text's own closing line break stays.
    std::string shown = MaskControlBytes(ValidUtf8(text), '?');
    if (text.ends_with('\n')) {
        shown.back() = '\n';
    }
    std::fwrite(shown.data(), 1, shown.size(), stderr);
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
