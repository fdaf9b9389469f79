// The command lines of a batch file, for running them without the shell reading the file: every
// line but blanks and comments (the header among them).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/shell_dialect.h"

namespace mk {

// Lines of `text` in order, each without its line end and trailing blanks; blank lines and
// comment lines ("#" under POSIX, "REM" or "::" under Windows) are skipped.
std::vector<std::string> BatchCommands(std::string_view text, const ShellDialect& d);

}  // namespace mk
