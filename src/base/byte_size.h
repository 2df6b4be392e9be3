#pragma once

// Size texts as the lists show them: "532 바이트", "1.30 KB", "22.9 KB",
// "900 KB", "0.97 MB". Three significant digits at most, truncated rather than
// rounded. The result is code page 949.

#include <cstdint>
#include <string>

namespace bramix {

std::string FormatByteSize(uint64_t size);

// The same in English, as the command line speaks: "532 bytes", "1.30 KB".
std::string FormatByteSizeInEnglish(uint64_t size);

}  // namespace bramix
