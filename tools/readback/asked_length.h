// How long the result of an encode should be, judged from its command line and the lengths of
// its inputs: the length read back from the file must come near it.
#pragma once

#include <optional>
#include <string_view>
#include <vector>

#include "readback/stream_list.h"
#include "translate/ffmpeg_options.h"

namespace mk::toolkit {

// A time as ffmpeg reads -t, -to and -ss: "[-][HH:]MM:SS[.m...]" or "[-]S[.m...][s|ms|us]".
std::optional<double> ParseDuration(std::string_view text);

// The seconds `items` ask the output to hold, given each input's length (in the order of the
// -i options; none where unknown): the inputs' lengths less -ss, cut by -t or -to, the shortest
// input with -shortest. None where the command does not tell: an input without a known length
// (filter graphs, pipes, devices, image sequences, concat lists), several inputs without
// -shortest, a frame or size limit, or a filter that may change the length.
std::optional<double> AskedLength(const std::vector<ArgItem>& items,
                                  const std::vector<std::optional<double>>& inputLengths);

// False when the output leaves out a kind of stream (video, audio) that the inputs hold: it
// then lasts as long as the streams it kept, which the inputs' lengths do not tell.
bool KeepsEveryKind(const std::vector<StreamInfo>& inputs, const std::vector<StreamInfo>& written);

// How far short of the expected length a whole output may still end: half a second, or one
// group of pictures where the output's -g and -r make that longer.
double LengthSlack(const std::vector<ArgItem>& items);

}  // namespace mk::toolkit
