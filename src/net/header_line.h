#pragma once

// One line of an HTTP answer's head, as libcurl's header callback hands it
// over (with its line break): a status line, a "Name: value" field, or the
// empty line that ends the head. Stateless; any thread.

#include <string_view>

namespace bramix {

struct HeaderLine {
    enum class Kind { Status, Field, End, Other };
    Kind kind = Kind::Other;
    long status = 0;         // of a status line ("HTTP/1.1 200 OK": 200)
    std::string_view name;   // of a field
    std::string_view value;  // of a field, without the blanks around it
};

HeaderLine ParseHeaderLine(std::string_view line);

}  // namespace bramix
