#pragma once

// Trace sinks. Texts are discarded unless the environment variable
// BRAMIX_TRACE is set, in which case they go to standard error. Texts are
// UTF-8; a byte sequence that is not is shown as U+FFFD.
// Any thread.

#include <string_view>

namespace bramix {

void DebugTrace(std::string_view text);

// printf-style; the arguments are UTF-8 texts and numbers. The search side
// converts its code page 949 texts (AnsiToUtf8) before it traces them.
void DebugTraceFormat(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace bramix
