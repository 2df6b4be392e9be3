#include "cli/arguments.h"

#include <cstring>

#include "cli/terminal.h"

namespace bramix::cli {

namespace {

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

std::optional<Arguments> Arguments::Parse(std::span<char* const> args,
                                          std::span<const KnownOption> known, std::string& error) {
    Arguments parsed;
    bool optionsEnded = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string arg = args[i];
        if (optionsEnded || arg == "-" || arg.empty() || arg[0] != '-') {
            parsed.operands_.push_back(arg);
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (arg.rfind("--", 0) == 0) {
            const size_t equals = arg.find('=');
            const std::string name =
                arg.substr(2, equals == std::string::npos ? equals : equals - 2);
            const KnownOption* option = FindLong(known, name);
            if (option == nullptr) {
                error = "unknown option '" + Printable("--" + name) + "'";
                return std::nullopt;
            }
            if (!option->takesValue) {
                if (equals != std::string::npos) {
                    error = "option '--" + name + "' takes no value";
                    return std::nullopt;
                }
                parsed.options_.emplace_back(option->name, "");
            } else if (equals != std::string::npos) {
                parsed.options_.emplace_back(option->name, arg.substr(equals + 1));
            } else if (i + 1 < args.size()) {
                parsed.options_.emplace_back(option->name, args[++i]);
            } else {
                error = "option '--" + name + "' needs a value";
                return std::nullopt;
            }
        } else {
            // Short options: flags may group, the last may take a value.
            for (size_t k = 1; k < arg.size(); ++k) {
                const KnownOption* option = FindShort(known, arg[k]);
                if (option == nullptr) {
                    error = "unknown option '-" + Printable(arg.substr(k, 1)) + "'";
                    return std::nullopt;
                }
                if (!option->takesValue) {
                    parsed.options_.emplace_back(option->name, "");
                    continue;
                }
                if (k + 1 < arg.size()) {
                    parsed.options_.emplace_back(option->name, arg.substr(k + 1));
                } else if (i + 1 < args.size()) {
                    parsed.options_.emplace_back(option->name, args[++i]);
                } else {
                    error = "option '-" + std::string(1, arg[k]) + "' needs a value";
                    return std::nullopt;
                }
                break;
            }
        }
    }
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
