// How long a command line may be when it is handed to /bin/sh -c: the kernel takes one argument
// of at most 32 pages, and all arguments and the environment together within ARG_MAX. A longer
// line makes exec fail, which the shell's caller only sees as exit status 127.
#pragma once

#include <cstddef>

namespace mk {

// The most bytes a command line (without its zero byte) may have to run through /bin/sh -c in
// this process's environment.
std::size_t LongestShellLine();

}  // namespace mk
