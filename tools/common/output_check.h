// The last look at an output ffmpeg called a success: opened as a player would open it, it must
// show each video and audio stream ffmpeg said it wrote, with the same codec.
#pragma once

#include <string>
#include <vector>

#include "common/stream_list.h"

namespace mk::toolkit {

// `written`: the streams ffmpeg listed for the output; `found`: what opening the file showed.
// Empty when each written video and audio stream is found with its codec; otherwise what is
// missing, for a message. With nothing listed (a quiet log level), one stream must be there.
std::string MissingFromOutput(const std::vector<StreamInfo>& written,
                              const std::vector<StreamInfo>& found);

// Opens `file` with the installed ffmpeg (the demuxers and stream search ffprobe uses) and
// returns its streams; `why` gets ffmpeg's last line when it cannot read the file.
std::vector<StreamInfo> OpenAsPlayersWould(const std::string& ffmpeg, const std::string& file,
                                           std::string& why);

}  // namespace mk::toolkit
