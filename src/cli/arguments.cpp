#include "cli/arguments.h"

#include <getopt.h>

#include <cstring>

#include "cli/terminal.h"

namespace bramix::cli {

namespace {

// '-': operands come back in place (code 1) whatever POSIXLY_CORRECT says, so
// options and operands mix and "--" leaves the rest in argv. ':': getopt
// keeps quiet and tells a missing value (':') from an unknown option ('?');
// the messages are ours.
constexpr char kGetoptModes[] = "-:";
// getopt_long's code for a long name without a short one.
constexpr int kFirstLongOnlyCode = 256;

struct GetoptTables {
    std::string shortOptions;
    std::vector<option> longOptions;
};

GetoptTables TablesFor(std::span<const KnownOption> known) {
    GetoptTables tables{kGetoptModes, {}};
    for (size_t i = 0; i < known.size(); ++i) {
        const KnownOption& entry = known[i];
        const int code =
            entry.shortName != 0 ? entry.shortName : kFirstLongOnlyCode + static_cast<int>(i);
        tables.longOptions.push_back(
            {entry.name, entry.takesValue ? required_argument : no_argument, nullptr, code});
        if (entry.shortName != 0) {
            tables.shortOptions += entry.shortName;
            tables.shortOptions += entry.takesValue ? ":" : "";
        }
    }
    tables.longOptions.push_back({nullptr, 0, nullptr, 0});
    return tables;
}

const KnownOption* FindLong(std::span<const KnownOption> known, std::string_view name) {
    for (const KnownOption& option : known) {
        if (name == option.name) {
            return &option;
        }
    }
    return nullptr;
}

const KnownOption* FindShort(std::span<const KnownOption> known, char name) {
    for (const KnownOption& option : known) {
        if (option.shortName != 0 && option.shortName == name) {
            return &option;
        }
    }
    return nullptr;
}

}  // namespace

bool Arguments::TakeLong(int code, std::string_view element, std::span<const KnownOption> known,
                         std::string& error) {
    // getopt_long takes an abbreviation of a long name; only whole names count.
    const std::string name(element.substr(2, element.find('=') - 2));
    const KnownOption* option = FindLong(known, name);
    if (option == nullptr) {
        error = "unknown option '" + Printable("--" + name) + "'";
    } else if (code == '?') {
        error = "option '--" + name + "' takes no value";
    } else if (code == ':') {
        error = "option '--" + name + "' needs a value";
    } else {
        options_.emplace_back(option->name, option->takesValue ? optarg : "");
        return true;
    }
    return false;
}

bool Arguments::TakeShort(int code, std::span<const KnownOption> known, std::string& error) {
    const char name = static_cast<char>(code == '?' || code == ':' ? optopt : code);
    const KnownOption* option = FindShort(known, name);
    if (code == '?' || option == nullptr) {
        error = "unknown option '-" + Printable(std::string(1, name)) + "'";
    } else if (code == ':') {
        error = "option '-" + std::string(1, name) + "' needs a value";
    } else {
        options_.emplace_back(option->name, option->takesValue ? optarg : "");
        return true;
    }
    return false;
}

std::optional<Arguments> Arguments::Parse(std::span<char* const> args,
                                          std::span<const KnownOption> known, std::string& error) {
    const GetoptTables tables = TablesFor(known);
    // getopt_long wants the program's name first and a null last.
    std::vector<char*> argv{const_cast<char*>("bramix-cli")};
    argv.insert(argv.end(), args.begin(), args.end());
    argv.push_back(nullptr);
    const int argc = static_cast<int>(args.size()) + 1;
    Arguments parsed;
    optind = 0;  // glibc starts afresh, forgetting the last call's arguments
    opterr = 0;
    for (;;) {
        // The element this call reads: optind stays on a group of short
        // options until its last one.
        const char* next = argv[optind == 0 ? 1 : optind];
        const std::string_view element = next != nullptr ? next : "";
        const int code = getopt_long(argc, argv.data(), tables.shortOptions.c_str(),
                                     tables.longOptions.data(), nullptr);
        if (code == -1) {
            break;
        }
        if (code == 1) {
            parsed.operands_.emplace_back(optarg);
            continue;
        }
        const bool taken = element.starts_with("--") ? parsed.TakeLong(code, element, known, error)
                                                     : parsed.TakeShort(code, known, error);
        if (!taken) {
            return std::nullopt;
        }
    }
    // What follows "--".
    parsed.operands_.insert(parsed.operands_.end(), argv.begin() + optind, argv.end() - 1);
    return parsed;
}

bool Arguments::Has(const char* name) const {
    for (const auto& [option, value] : options_) {
        if (option == name) {
            return true;
        }
    }
    return false;
}

std::optional<std::string> Arguments::Value(const char* name) const {
    std::optional<std::string> found;
    for (const auto& [option, value] : options_) {
        if (option == name) {
            found = value;
        }
    }
    return found;
}

}  // namespace bramix::cli
