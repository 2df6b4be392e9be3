#include "cli/line_reader.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>

#include "cli/interrupt.h"

namespace bramix::cli {

LineReader::Read LineReader::Next(std::string& line) {
    for (;;) {
        Read result = Read::Line;
        if (TakeHeldLine(line, result)) {
            return result;
        }
        if (!ReadMore(result)) {
            return result == Read::End ? TakeLastLine(line) : result;
        }
    }
}

// A last line without its line break counts.
LineReader::Read LineReader::TakeLastLine(std::string& line) {
    const bool tooLong = skipping_;
    const bool none = held_.size() == lineStart_;
    line.assign(held_, lineStart_);
    held_.clear();
    lineStart_ = 0;
    searched_ = 0;
    skipping_ = false;
    if (tooLong) {
        return Read::TooLong;
    }
    return none ? Read::End : Read::Line;
}

bool LineReader::TakeHeldLine(std::string& line, Read& result) {
    const size_t end = held_.find('\n', searched_);
    if (end == std::string::npos) {
        searched_ = held_.size();
        if (skipping_ || held_.size() - lineStart_ > longestLine_) {
            skipping_ = true;
            held_.clear();
            lineStart_ = 0;
            searched_ = 0;
        }
        return false;
    }
    const size_t length = end - lineStart_;
    if (skipping_ || length > longestLine_) {
        result = Read::TooLong;
    } else {
        line.assign(held_, lineStart_, length);
    }
    skipping_ = false;
    lineStart_ = end + 1;
    searched_ = lineStart_;
    return true;
}

bool LineReader::ReadMore(Read& result) {
    // What was taken goes before more comes.
    held_.erase(0, lineStart_);
    searched_ -= lineStart_;
    lineStart_ = 0;
    for (;;) {
        if (Interrupted()) {
            result = Read::Interrupted;
            return false;
        }
        pollfd input{STDIN_FILENO, POLLIN, 0};
        if (poll(&input, 1, 50) <= 0) {
            continue;
        }
        char buffer[65536];
        const ssize_t n = read(STDIN_FILENO, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            error_ = errno;
            result = Read::Failed;
            return false;
        }
        if (n == 0) {
            result = Read::End;
            return false;
        }
        held_.append(buffer, static_cast<size_t>(n));
        return true;
    }
}

}  // namespace bramix::cli
