// morvakelin-cli as a whole, apart from main(): options in, the command printed, added to the
// batch file or encoded, an exit status out.
#pragma once

#include <ostream>
#include <span>
#include <string>

namespace mk::cli {

struct CliIo {
    std::ostream& out;
    std::ostream& err;
    bool errIsTerminal = false;  // progress as one updating line rather than plain lines
};

// `args` without the program's name; `programFolder` ends in "/".
int RunCli(std::span<const std::string> args, const std::string& programFolder, CliIo io);

// The folder of /proc/self/exe with its trailing "/"; "./" when it cannot be read.
std::string OwnProgramFolder();

}  // namespace mk::cli
