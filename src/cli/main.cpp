// bramix-cli: the search job and the downloads for scripts and terminals.
// Output is UTF-8; `bramix-cli --help` and bramix-cli(1) tell the rest.

#include <cstdio>
#include <cstring>
#include <span>
#include <string>

#include "cli/commands.h"
#include "cli/help.h"
#include "cli/interrupt.h"
#include "cli/terminal.h"
#include "net/network_setup.h"

namespace bramix::cli {

int UsageError(const std::string& command, const std::string& problem) {
    std::fprintf(stderr, "bramix-cli%s%s: %s\ntry 'bramix-cli --help'\n",
                 command.empty() ? "" : " ", command.c_str(), problem.c_str());
    return kExitUsage;
}

}  // namespace bramix::cli

int main(int argc, char** argv) {
    using namespace bramix::cli;
    const bramix::NetworkSetup network;
    InstallSignalHandlers();
    const std::span<char* const> args(argv + 1, static_cast<size_t>(argc > 0 ? argc - 1 : 0));
    if (args.empty()) {
        return UsageError("", "no command given");
    }
    const std::string command = args[0];
    if (command == "--help" || command == "-h" || command == "help") {
        std::fputs(kMainHelp, stdout);
        return kExitOk;
    }
    if (command == "--version") {
        std::puts("bramix-cli " BRAMIX_VERSION);
        return kExitOk;
    }
    if (command == "search") {
        return RunSearch(args.subspan(1));
    }
    if (command == "get") {
        return RunGet(args.subspan(1));
    }
    return UsageError("", "unknown command '" + Printable(command) + "'");
}
