#pragma once

// Trace sinks. Texts are discarded unless the environment variable
// BRAMIX_TRACE is set, in which case they go to standard error (as UTF-8).
// Any thread.

#include <string_view>

namespace bramix {

void DebugTrace(std::string_view text);

// printf-style; the arguments are code page 949 texts and numbers.
void DebugTraceFormat(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace bramix
