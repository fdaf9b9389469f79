// The streams ffmpeg lists on its diagnostic stream, for the inputs it opened ("Input #0, ...")
// and for the outputs it writes ("Output #0, ...").
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mk::toolkit {

struct StreamInfo {
    int file = 0;       // the F of "Stream #F:I"
    int index = 0;      // the I
    std::string kind;   // "Video", "Audio", "Subtitle", "Data", ...
    std::string codec;  // the first word after the kind: "aac", "mpeg2video"
    int channels = 0;   // audio only; 0 when the layout is not one known here
};

enum class Section { Inputs, Outputs };

// The stream lines of one section of `ffmpegStderr`, in order.
std::vector<StreamInfo> ListStreams(std::string_view ffmpegStderr, Section section);

// The length of each input ffmpeg opened ("Duration: HH:MM:SS.xx" under "Input #N"), in their
// order; none for "N/A" and for a length ffmpeg only estimated from the bitrate.
std::vector<std::optional<double>> InputDurations(std::string_view ffmpegStderr);

// The last "time=HH:MM:SS.xx" of ffmpeg's statistics in `text`, in seconds.
std::optional<double> LastStatisticsTime(std::string_view text);

}  // namespace mk::toolkit
