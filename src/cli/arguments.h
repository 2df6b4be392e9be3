#pragma once

// The command line's options, as wget and curl users type them: --name=VALUE
// or --name VALUE, short forms -x VALUE or -xVALUE, flags that group (-mq),
// and "--" ending the options. "-" alone is an operand. Long names are
// never abbreviated. glibc's getopt_long reads them; its state is global, so
// only one thread parses.

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace bramix::cli {

struct KnownOption {
    const char* name;  // without the dashes
    char shortName;    // 0: none
    bool takesValue;
};

class Arguments {
public:
    // Sets `error` to one line naming the problem and returns nothing when an
    // option is unknown or lacks its value.
    static std::optional<Arguments> Parse(std::span<char* const> args,
                                          std::span<const KnownOption> known, std::string& error);

    bool Has(const char* name) const;
    // The value given last, when the option was given.
    std::optional<std::string> Value(const char* name) const;
    const std::vector<std::string>& operands() const { return operands_; }

private:
    // One option that getopt_long returned (`code`), or the problem in `error`.
    bool TakeLong(int code, std::string_view element, std::span<const KnownOption> known,
                  std::string& error);
    bool TakeShort(int code, std::span<const KnownOption> known, std::string& error);

    std::vector<std::pair<std::string, std::string>> options_;
    std::vector<std::string> operands_;
};

}  // namespace bramix::cli
