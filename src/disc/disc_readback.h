// What a finished disc holds, as the tools built on the players' own libraries read it: lsdvd
// (libdvdread) for a DVD, vcd-info (libvcdinfo) for a VCD or SVCD; and whether that is what was
// asked for.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "disc/disc_author.h"

namespace mk::disc {

struct ReadTitle {
    double seconds = 0;
    std::vector<double> chapterLengths;
    std::string format;  // "PAL", "NTSC"
    std::string aspect;  // "4/3", "16/9"
};

// `lsdvd -x` output.
std::vector<ReadTitle> ParseLsdvd(std::string_view text);

// Empty when the titles match the layout: their number and order, each length within a second
// (a title ends on a whole GOP and the audio may run a frame longer), each chapter mark, the TV
// format and the aspect. Else what differs, in one line.
std::string CompareDvd(const std::vector<ReadTitle>& read, const DiscLayout& layout);

struct ReadVcd {
    std::string kind;  // "VCD 2.0", "SVCD"
    int entries = -1;  // entry points: one per track here
    int tracks = -1;   // CD tracks, the first being the file system
};

// `vcd-info` output.
ReadVcd ParseVcdInfo(std::string_view text);
std::string CompareVcd(const ReadVcd& read, const DiscLayout& layout);

}  // namespace mk::disc
