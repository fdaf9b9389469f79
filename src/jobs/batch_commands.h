// The commands of a batch file, for running them without the shell reading the file: read as the
// shell reads them, so a command the form wrote over several lines (a file name with a line
// break) stays one command, and the output each one writes is known by its name as the shell
// sees it.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "platform/shell_dialect.h"

namespace mk {

struct BatchCommand {
    std::string text;      // the whole command, without its line end and outer blanks
    std::string output;    // its last word as the shell reads it; "" when none or not literal
    std::size_t line = 0;  // the line of the file it starts on, from 1
};

// The commands of `text` in order; blanks and comments (the header among them) are skipped.
// POSIX: a command ends at a line end outside quotes, command substitutions and continued lines
// ("#" starts a comment where it starts a word). Windows: one command a line, "REM" and "::"
// comments, as cmd.exe reads a batch file.
std::vector<BatchCommand> BatchCommands(std::string_view text, const ShellDialect& d);

// A batch file read for running, or why it cannot run.
struct BatchRead {
    std::vector<BatchCommand> commands;
    std::string problem;  // "" when it can run; else one line naming the file (and the line)
};

// Reads the batch file at `path`: a folder, a file that is not a plain file (a FIFO would never
// end), one that cannot be read, and a command longer than `longestCommand` bytes or holding a
// zero byte (neither can be handed to the shell whole) are problems.
BatchRead ReadBatchFile(const std::string& path, const ShellDialect& d, std::size_t longestCommand);

}  // namespace mk
