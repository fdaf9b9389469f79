// Audio-only containers that hold one codec: a file named ".mp2" around AAC frames is one no
// player reads, though ffmpeg writes it without a word. Here the output's container and codec
// are worked out before the run, and a container that holds the codec is chosen where the
// named one cannot.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "readback/stream_list.h"
#include "translate/ffmpeg_options.h"

namespace mk::toolkit {

// The muxer ffmpeg picks for the output: its -f, else -target's, else the single-codec audio
// muxer its extension names ("" for every other extension, which is ffmpeg's own affair).
std::string OutputMuxer(const std::vector<ArgItem>& items);

// The file name's extension in lower case ("" when it has none).
std::string FileExtension(const std::string& name);

// The output's last value of one of `options` ("" when none is given); "-" when `off` is.
std::string OutputOptionValue(const std::vector<ArgItem>& items,
                              std::initializer_list<std::string_view> options,
                              std::string_view off);

// The audio encoder the output asks for ("copy" included); "-" when audio is off, "" when none
// is named (the muxer's own default then, which it holds).
std::string OutputAudioEncoder(const std::vector<ArgItem>& items);

// The same for video.
std::string OutputVideoEncoder(const std::vector<ArgItem>& items);

// The codec an encoder writes: "libmp3lame" -> "mp3", "ac3_fixed" -> "ac3"; "" when unknown.
std::string CodecOfEncoder(std::string_view encoder);

// The codec a copy of the output's audio takes from the inputs: the stream -map names, else the
// audio stream with the most channels (ffmpeg's choice). `streams` holds the inputs' streams.
std::string CopiedAudioCodec(const std::vector<ArgItem>& items,
                             const std::vector<StreamInfo>& streams);
// The same stream itself; nullptr when none is copied.
const StreamInfo* CopiedAudioStream(const std::vector<ArgItem>& items,
                                    const std::vector<StreamInfo>& streams);

// True for the muxers that write one codec's frames bare (mp2, mp3, ac3, adts ...).
bool IsSingleCodecAudioMuxer(std::string_view muxer);

struct ContainerFit {
    std::string muxer;  // the muxer to write instead; empty when the named one holds the codec
    std::string note;   // one line saying so
};

// For a single-codec audio muxer and the codec going in.
ContainerFit FitAudioContainer(const std::string& muxer, const std::string& codec,
                               const std::string& outputName);

// Sets the output's muxer: "-f muxer" right before the output file.
void ForceMuxer(std::vector<ArgItem>& items, const std::string& muxer);

}  // namespace mk::toolkit
