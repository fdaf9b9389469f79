// Whether the output's container takes the codecs going in, asked of the installed ffmpeg before
// the encode: otherwise ffmpeg starts, prints a screen of lines and ends on one such as "[dvd]
// Unsupported audio codec". What a muxer takes is learned by a trial mux, not from a table, so any
// ffmpeg answers for itself.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "readback/stream_list.h"

namespace mk {

// One stream muxed on its own.
struct MuxTrial {
    std::string muxer;      // the output's -f; "" where ffmpeg picks it by `extension`
    std::string extension;  // of the output's name, without the dot
    char kind = 'a';        // 'a' audio, 'v' video
    std::string encoder;    // or "copy"
    std::string codec;      // of a copy: the source stream's codec
    std::string source;     // of a copy: the input file and its stream ("0:1")
    std::string stream;
    std::string size, rate;  // video: the picture the command asks for ("" for a default)

    // What the answer depends on: a copy is known by its codec, not by its source.
    std::string Key() const;
};

enum class MuxVerdict { Takes, Refuses, Unknown };

// The installed ffmpeg, as the check asks it; tests give a fake.
class MuxerQuery {
public:
    virtual ~MuxerQuery() = default;
    // Refuses only when the trial failed and the same stream without the muxer did not: an
    // encoder that fails on its own is not the muxer's refusal.
    virtual MuxVerdict Trial(const MuxTrial& trial) = 0;
    // The inputs' streams as ffmpeg lists them (file numbers from 0).
    virtual std::vector<toolkit::StreamInfo> Streams(const std::vector<std::string>& inputs) = 0;
};

struct MuxRefusal {
    std::string target;     // the form's target word, else what the command names
    std::string container;  // the muxer, or ".ext" where ffmpeg picks it by name
    char kind = 'a';
    std::string codec;
    bool copied = false;             // the source's stream, copied
    std::vector<std::string> takes;  // of the form's choices for that stream, those it takes
};

// Why our ffmpeg's arguments `args` cannot work: the first stream (audio, then video) the
// output's muxer refuses, or nothing when each is taken or cannot be judged. The muxer and codecs
// are those our ffmpeg ends up with: options translated, containers fitted. `target` is the
// form's target word ("" to take it from the command).
std::optional<MuxRefusal> FindMuxRefusal(const std::vector<std::string>& args,
                                         std::string_view target, MuxerQuery& query);

// The same for a command line as the form or the batch file holds it: the arguments of the
// program named "ffmpeg" in it.
std::optional<MuxRefusal> FindCommandMuxRefusal(std::string_view commandLine,
                                                std::string_view target, MuxerQuery& query);

// One line: "The dvd target (dvd) cannot take aac audio; it takes mp2, ac3, mp3."
std::string RefusalLine(const MuxRefusal& refusal);

// "mp2, ac3, mp3", or "none of the form's choices".
std::string TakesText(const std::vector<std::string>& takes);

}  // namespace mk
