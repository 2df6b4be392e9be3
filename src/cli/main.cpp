// bramix-cli: the search job and the downloads for scripts and terminals.
// Output is UTF-8; see the README for the line format.

#include <cstdio>
#include <cstring>

#include "cli/commands.h"
#include "net/network_setup.h"

namespace {

int Usage() {
    std::fputs(bramix::cli::kSearchUsage, stderr);
    return bramix::cli::kExitUsage;
}

}  // namespace

int main(int argc, char** argv) {
    const bramix::NetworkSetup network;
    if (argc < 2) {
        return Usage();
    }
    bramix::cli::InstallInterruptHandlers();
    int status;
    if (std::strcmp(argv[1], "search") == 0) {
        status = bramix::cli::RunSearch(argc - 2, argv + 2);
    } else if (std::strcmp(argv[1], "get") == 0) {
        status = bramix::cli::RunGet(argc - 2, argv + 2);
    } else {
        status = Usage();
    }
    return status;
}
