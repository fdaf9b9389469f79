// The last look at an output ffmpeg called a success: opened as a player would open it, it must
// show a stream of each kind ffmpeg said it wrote.
#pragma once

#include <string>
#include <vector>

#include "common/stream_list.h"

namespace mk::toolkit {

// `written`: the streams ffmpeg listed for the output; `found`: what opening the file showed.
// Empty when the file holds what was written; otherwise what is missing, for a message. With
// nothing listed (a quiet log level), at least one stream must be there.
std::string MissingFromOutput(const std::vector<StreamInfo>& written,
                              const std::vector<StreamInfo>& found);

// Opens `file` with the installed ffmpeg (the demuxers and stream search ffprobe uses) and
// returns its streams; `why` gets ffmpeg's last line when it cannot read the file.
std::vector<StreamInfo> OpenAsPlayersWould(const std::string& ffmpeg, const std::string& file,
                                           std::string& why);

}  // namespace mk::toolkit
