// Running the probe for morvakelin-cli, waited for, in this program's own process group: a Ctrl-C
// or hang-up that ends the program ends the probe with it. Encodes run in the job pool.
#pragma once

#include <string>

namespace mk::cli {

// Runs `line` with /bin/sh -c, standard input from /dev/null and standard output onto standard
// error (so nothing of it mixes with what the program prints); returns the shell's exit status.
int RunShellWaited(const std::string& line);

}  // namespace mk::cli
