// The stream numbers of the program's form count a source's video and audio streams only, as the
// ffmpeg of its era did; today's ffmpeg counts every stream, a DVD's navigation (data) stream
// first among them. "-map 0.1:0.0" is turned into today's number of the same stream.
#pragma once

#include <string>
#include <vector>

#include "readback/stream_list.h"
#include "translate/ffmpeg_options.h"

namespace mk::toolkit {

// True when a -map of `items` is written in the old form ("F.N" or "F.N:F.M").
bool HasOldStreamNumbers(const std::vector<ArgItem>& items);

// Renumbers each old-form -map: stream N of input F becomes the N-th video or audio stream of F
// among `inputStreams` (today's numbering). A number beyond them stays for ffmpeg to refuse.
void RenumberOldStreams(std::vector<ArgItem>& items, const std::vector<StreamInfo>& inputStreams);

}  // namespace mk::toolkit
