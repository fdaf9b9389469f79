// ffplay, the player that comes with ffmpeg, plays what the desktop has no program for. It is
// found the way our ffmpeg finds the installed one.
#pragma once

#include <string>

namespace mk {

// MORVAKELIN_FFPLAY (the player, or a folder holding "ffplay") first; then "ffplay" beside the
// ffmpeg MORVAKELIN_FFMPEG names (a program, or a folder holding it); then each folder of PATH.
// The arguments are the variables' values, null when unset. Empty when none is found.
std::string FindFfplay(const char* ffplayEnv, const char* ffmpegEnv, const char* pathEnv);

// The same with this process's environment.
std::string FindFfplay();

}  // namespace mk
