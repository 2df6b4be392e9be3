#pragma once

// What the command line writes for people: texts made safe to print, and a
// progress line on standard error that is drawn only on a terminal, never
// wider than it (re-read when the terminal is resized).

#include <string>
#include <string_view>

namespace bramix::cli {

// The text with every control byte (0x00 to 0x1F, 0x7F) shown as '?', so
// that input echoed in a message can neither break the line nor steer the
// terminal; in valid UTF-8, and shortened in the middle to 200 columns.
std::string Printable(std::string_view text);

class StatusLine {
public:
    // Drawn when standard error is a terminal and not `quiet`.
    explicit StatusLine(bool quiet);
    ~StatusLine();
    StatusLine(const StatusLine&) = delete;
    StatusLine& operator=(const StatusLine&) = delete;

    bool enabled() const { return enabled_; }

    // Replaces the line with `name` and `details` (UTF-8), the name shortened
    // in the middle when the two do not fit the terminal's width.
    void Show(std::string_view name, std::string_view details);

    // Leaves the line as it is and moves to the next one.
    void Keep();

    // Takes the line away.
    void Clear();

private:
    size_t Width();

    const bool enabled_;
    bool shown_ = false;
    size_t width_ = 0;
};

}  // namespace bramix::cli
