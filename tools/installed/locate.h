// Finding the installed ffmpeg that our ffmpeg and avs2yuv hand the work to.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace mk::toolkit {

// A byte string compiled into both of our tools, so that a copy of them found on PATH (another
// build's program folder, say) is never taken for the real ffmpeg.
std::string_view OwnToolMarker();

// True when the file holds OwnToolMarker(): one of our own tools.
bool IsOwnTool(const std::string& path);

struct FfmpegLocation {
    std::string path;   // empty when none was found
    std::string error;  // why not, naming MORVAKELIN_FFMPEG and PATH
};

// MORVAKELIN_FFMPEG (a file, or a folder holding "ffmpeg") first, then each folder of PATH.
// `self` is the running program's file (/proc/self/exe); it and every other of our own tools
// are passed over. The arguments are the variables' values, null when unset.
FfmpegLocation FindRealFfmpeg(const char* envValue, const char* pathValue, const std::string& self);

// The same with this process's environment and its /proc/self/exe.
FfmpegLocation FindRealFfmpeg();

}  // namespace mk::toolkit
