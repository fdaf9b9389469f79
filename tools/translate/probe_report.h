// Rewrites today's ffmpeg description of an input into the compact layout the program's probe
// reader expects: "Duration:" early, `Stream #0.N: Video: codec, pixfmt, WxH ...` lines without
// parenthesised details, no metadata, and a closing "Must supply" line.
#pragma once

#include <string>
#include <string_view>

namespace mk::toolkit {

struct ProbeReport {
    std::string text;
    bool describedInput = false;  // false: ffmpeg could not read the input; text is its own
};

// `ffmpegStderr` is what `ffmpeg -hide_banner -i SOURCE ...` wrote without an output file.
ProbeReport RewriteProbeReport(std::string_view ffmpegStderr);

// One stream line of today's ffmpeg in the old layout, e.g.
// "  Stream #0:1[0x2](und): Audio: aac (LC) (mp4a / 0x6134706D), 48000 Hz, stereo, fltp"
// -> "    Stream #0.1[0x2]: Audio: aac, 48000 Hz, stereo, fltp".
std::string RewriteStreamLine(std::string_view line);

// Removes every parenthesised group (nested ones included) and tidies the blanks and commas
// left behind: "yuv420p(tv, bt709), 640x352 (default)" -> "yuv420p, 640x352".
std::string DropParenthesised(std::string_view text);

}  // namespace mk::toolkit
