// morvakelin-cli: Morvakelin's command line composed and run from options, without a display.
#include <signal.h>
#include <unistd.h>

#include <iostream>
#include <string>
#include <vector>

#include "cli/cli_app.h"

int main(int argc, char** argv) {
    signal(SIGPIPE, SIG_IGN);  // a closed reader of our output must not kill a running encode
    const std::vector<std::string> args(argv + 1, argv + argc);
    return mk::cli::RunCli(args, mk::cli::OwnProgramFolder(),
                           {std::cout, std::cerr, isatty(STDERR_FILENO) == 1});
}
