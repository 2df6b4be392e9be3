#pragma once

// One line of an HTTP answer's head, as libcurl's header callback hands it
// over (with its line break): a status line, a "Name: value" field, a line
// that begins with a blank and so continues the field before it (an old
// server's folding), or the empty line that ends the head. Stateless; any
// thread.

#include <string_view>

namespace bramix {

struct HeaderLine {
    enum class Kind { Status, Field, Continuation, End, Other };
    Kind kind = Kind::Other;
    long status = 0;         // of a status line ("HTTP/1.1 200 OK": 200)
    std::string_view name;   // of a field
    std::string_view value;  // of a field or a continuation, without the blanks around it
};

HeaderLine ParseHeaderLine(std::string_view line);

}  // namespace bramix
