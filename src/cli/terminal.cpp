#include "cli/terminal.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <cstdio>

#include "base/code_page.h"
#include "base/display_width.h"
#include "base/text_helpers.h"
#include "cli/interrupt.h"

namespace bramix::cli {

namespace {

constexpr size_t kUnknownWidth = 80;
// Enough of an address or a line to know it again.
constexpr size_t kLongestEcho = 200;
constexpr std::string_view kGap = "  ";

}  // namespace

std::string Printable(std::string_view text) {
    return MaskControlBytes(ShortenToWidth(ValidUtf8(text), kLongestEcho), '?');
}

StatusLine::StatusLine(bool quiet) : enabled_(!quiet && isatty(STDERR_FILENO) != 0) {}

StatusLine::~StatusLine() {
    Clear();
}

size_t StatusLine::Width() {
    if (width_ == 0 || TakeResize()) {
        winsize size{};
        width_ = ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0 ? size.ws_col
                                                                                 : kUnknownWidth;
    }
    return width_;
}

void StatusLine::Show(std::string_view name, std::string_view details) {
    if (!enabled_) {
        return;
    }
    // One column stays free: a line that fills the last one wraps on some
    // terminals.
    const size_t room = Width() - 1;
    const size_t detailsWidth = DisplayWidth(details);
    std::string line;
    if (details.empty()) {
        line = ShortenToWidth(name, room);
    } else if (!name.empty() && detailsWidth + kGap.size() < room) {
        line = ShortenToWidth(name, room - detailsWidth - kGap.size()) + std::string(kGap) +
               std::string(details);
    } else {  // no name, or no room for it beside the details
        line = ShortenToWidth(details, room);
    }
    std::fprintf(stderr, "\r\033[K%s", line.c_str());
    std::fflush(stderr);
    shown_ = true;
}

void StatusLine::Keep() {
    if (shown_) {
        std::fputc('\n', stderr);
        shown_ = false;
    }
}

void StatusLine::Clear() {
    if (shown_) {
        std::fputs("\r\033[K", stderr);
        std::fflush(stderr);
        shown_ = false;
    }
}

}  // namespace bramix::cli
