// The command that has our ffmpeg describe a source into the probe report, and the source
// extension the form records.
#pragma once

#include <string>

#include "platform/shell_dialect.h"

namespace mk {

// folder is the program folder with its trailing separator. Windows: the cmd line with its extra
// outer quotes, ""<folder>ffmpeg.exe" -i "<source>" -an -vn 2>"<folder>Conf\test.txt"".
// POSIX: "<folder>ffmpeg" -i "<source>" -an -vn 2>"<folder>Conf/test.txt", paths escaped.
std::string ProbeCommand(const ShellDialect& d, const std::string& folder,
                         const std::string& sourceFile);

// The characters after the last dot of the file name (not of a folder on the way), case kept;
// "" when the name has no dot. Both '/' and '\' end a folder name.
std::string ExtensionOf(const std::string& path);

}  // namespace mk
