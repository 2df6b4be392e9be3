#pragma once

// The command line's help texts, one home for each.

namespace bramix::cli {

extern const char* const kMainHelp;
extern const char* const kSearchHelp;
extern const char* const kGetHelp;

}  // namespace bramix::cli
