// The batch file: a header line, then one command text per line. Written directly rather than
// through the shell's echo, so every character of a command (quotes, the pipe) arrives unchanged.
#pragma once

#include <string>

#include "platform/shell_dialect.h"

namespace mk {

// Creates the file or replaces its whole content with the header line. Clear is the only
// operation that empties the file.
bool WriteBatchHeader(const std::string& path, const ShellDialect& d);

// Appends `commandText` + " " + line end, writing the header first when the file does not exist.
// Lines already in the file are never touched; a last line the user left without its line end
// gets one first, so the new command does not run into it. Safe with other adds at once (other
// runs on the same program folder): each line is added whole, none is lost.
bool AppendBatchCommand(const std::string& path, const ShellDialect& d,
                        const std::string& commandText);

}  // namespace mk
