// Options today's ffmpeg takes without a warning, with the same result: the commands the program
// composes make ffmpeg 4.x to 7.x print "-b is ambiguous" and "Multiple -s / -c / -ac options
// specified", which frighten users about a command that is fine.
#pragma once

#include <vector>

#include "translate/ffmpeg_options.h"

namespace mk::toolkit {

// For the output's options: -b becomes -b:v (ffmpeg's own reading of it); a -target with its
// norm ("pal-dvd") is written out as the options it stands for; and of the per-stream options
// given more than once (codec, size, rate, pixel format, sample rate, channels, aspect), only
// the last, the one ffmpeg uses, is kept.
std::vector<ArgItem> QuietOptions(std::vector<ArgItem> items);

}  // namespace mk::toolkit
