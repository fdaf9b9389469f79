// Reads the little of AviSynth that the program's TV.avs needs: the source named by the first
// source-filter call, and a few common filters that ffmpeg can do as well.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace mk::toolkit {

struct AvsScript {
    std::string sourcePath;             // as written between the double quotes
    int sourceLine = 0;                 // 1-based; 0 when the script names no source
    std::vector<std::string> filters;   // ffmpeg video filters, in script order
    std::vector<std::string> problems;  // "line 4: ..." for every line that was not understood
};

AvsScript ReadAvsScript(std::string_view text);

// The arguments for the installed ffmpeg (without the program name) that decode the script's
// source, apply its filters and write YUV4MPEG to `output` ("-" for standard output). A relative
// source path is taken from `scriptFolder`, as AviSynth does.
std::vector<std::string> Avs2yuvArguments(const AvsScript& script, const std::string& scriptFolder,
                                          const std::string& output);

}  // namespace mk::toolkit
