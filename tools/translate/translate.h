// Turns a command line written for the ffmpeg of the program's era into one today's ffmpeg
// runs the same way. Pure: words in, words out, plus notes and a refusal when the meaning cannot
// be kept.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace mk::toolkit {

// What the installed ffmpeg still offers, where that changes the translation.
struct FfmpegFeatures {
    bool hasAsync = true;  // -async (gone in ffmpeg 7)
};

enum class RunMode {
    PassThrough,  // no input: -version, -h, -formats ...; runs unchanged
    Probe,        // inputs and no output file: describe the inputs
    Encode,       // inputs and an output file
};

struct Translation {
    RunMode mode = RunMode::PassThrough;
    std::vector<std::string> args;   // for the installed ffmpeg, without the program name
    std::vector<std::string> notes;  // one line each, for stderr
    std::string error;               // non-empty: nothing may run
};

// True when the translation depends on FfmpegFeatures, so asking the installed ffmpeg is worth it.
bool NeedsFeatures(const std::vector<std::string>& args);

Translation TranslateFfmpegArguments(const std::vector<std::string>& args,
                                     const FfmpegFeatures& features);

// "720x576" or one of ffmpeg's size names ("pal", "qcif", "hd720", ...).
std::optional<std::pair<int, int>> ParseFrameSize(std::string_view text);

// The picture size a -target value sets: "pal-dvd" gives 720x576. Nothing when the norm is not
// part of the value (ffmpeg then guesses it from the source).
std::optional<std::pair<int, int>> TargetFrameSize(std::string_view target);

}  // namespace mk::toolkit
