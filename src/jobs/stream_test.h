// The audio stream test: the selected audio stream of the source, without video, into
// StreamTest.mp2 in the program folder, run in the console window.
#pragma once

#include <string>

#include "command/encoder_fields.h"
#include "platform/shell_dialect.h"

namespace mk {

// The stream test file's name in the program folder.
inline constexpr const char* kStreamTestFile = "StreamTest.mp2";

// The ffmpeg arguments of the stream test, ending with the console's closing quote (Windows).
// `folder` is the program folder with its trailing separator.
std::string StreamTestArguments(const ShellDialect& d, const std::string& folder,
                                const EncoderFields& f);

// The console line that runs our ffmpeg with those arguments.
std::string StreamTestConsoleLine(const ShellDialect& d, const std::string& folder,
                                  const std::string& args);

}  // namespace mk
