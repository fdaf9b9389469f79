// An encode through the installed ffmpeg, with the output kept safe: see encode.cpp.
#pragma once

#include <string>
#include <vector>

namespace mk::toolkit {

// Runs the translated encode `args` (without the program name) with the real ffmpeg at
// `ffmpeg`; returns this program's exit status. Ends the process as the signal would when a
// stop signal came.
int RunEncode(const std::string& ffmpeg, std::vector<std::string> args);

}  // namespace mk::toolkit
