// The console line of Encode: the program part (the quoted ffmpeg path, or the avs2yuv pipe into
// ffmpeg, without its opening quote) and the argument string with the console's closing quote.
#pragma once

#include <string>

#include "platform/shell_dialect.h"

namespace mk {

// Windows: cmd /K ""<programPart><args>  (args carry the closing quote of the wrapping).
// POSIX:   "<programPart><args>, run by our console window.
std::string EncodeConsoleLine(const ShellDialect& d, const std::string& programPart,
                              const std::string& argsWithClose);

}  // namespace mk
