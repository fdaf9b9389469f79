// Facts read back from the probe report: the excerpt shown as the source's properties, the frame
// size of the first video stream, and the codec of the first audio stream.
#pragma once

#include <string>
#include <string_view>

namespace mk {

struct ProbeFacts {
    std::string sourceInfo;  // "  " + the report from "Duration:" up to "Must supply"
    double width = 0;        // of the first "Video:" line; 0 when the report gives none
    double height = 0;
    std::string audioCodec;  // as SourceAudioCodecFromText reads it
};

// The report text as read (at most 1800 bytes). Missing markers degrade by the clamping of the
// text primitives: no "Duration:" starts the excerpt at the top, no "Must supply" leaves it
// empty, no "Video:" cuts the size field from the report less its first 6 characters. A report
// that describes no input (no "Duration:", "Input #", "Video:" or "Audio:"), whose excerpt comes
// out empty and whose real last line (the text ends with it) reads as ffmpeg's or the shell's
// complaint ("No such file or directory", "Invalid data found", "not found", "Permission
// denied") shows that line as the excerpt, so the user sees why; otherwise the two blanks stay.
ProbeFacts ParseProbeText(std::string_view report);

// The codec word of the first "Audio:" line: the text after "Audio: " up to the next ", ".
// Empty when no ", " follows. Without "Audio:" the same cut is made on the report less its
// first 6 characters.
std::string SourceAudioCodecFromText(std::string_view report);

// Reads at most 1800 bytes of the report at reportPath; "" when it cannot be read.
std::string GetSourceAudioCodec(const std::string& reportPath);

}  // namespace mk
