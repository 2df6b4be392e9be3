#pragma once

// The lines of standard input, one at a time, waiting for them no longer
// than an interrupt comes. A line longer than the limit is told as such and
// the rest of it skipped as it streams in, so that the reader never holds
// more than one line of the limit and one read.

#include <cstddef>
#include <string>

namespace bramix::cli {

class LineReader {
public:
    enum class Read {
        Line,         // `line` holds it, without its line break
        TooLong,      // a line longer than the limit went by
        End,          // of the input
        Interrupted,  // an interrupt came
        Failed,       // the input cannot be read: error() tells why
    };

    explicit LineReader(size_t longestLine) : longestLine_(longestLine) {}

    Read Next(std::string& line);
    int error() const { return error_; }

private:
    // The next line break in what is held; false when none came yet (and
    // what is held is skipped when it is already too long).
    bool TakeHeldLine(std::string& line, Read& result);
    // Waits for more input and appends it: false at the end, on an
    // interrupt or an error.
    bool ReadMore(Read& result);
    Read TakeLastLine(std::string& line);

    const size_t longestLine_;
    std::string held_;       // what was read and not yet taken
    size_t lineStart_ = 0;   // where in `held_` the next line starts
    size_t searched_ = 0;    // up to here `held_` holds no line break
    bool skipping_ = false;  // the current line is too long: its rest goes
    int error_ = 0;
};

}  // namespace bramix::cli
