#include "probe/report_parser.h"

#include "command/number_rules.h"
#include "probe/report_text.h"

namespace mk {

namespace {

long long Length(std::string_view text) {
    return static_cast<long long>(text.size());
}

// Drops the marker and the blank after it (7 characters from the marker's start). A missing
// marker (position -1) drops the first 6 characters instead.
std::string AfterMarker(std::string_view text, std::string_view marker) {
    return LastN(text, Length(text) - Position(text, marker) - 7);
}

// The last line of the text that holds more than blanks, without its line end.
std::string LastLine(std::string_view text) {
    const std::size_t end = text.find_last_not_of(" \t\r\n");
    if (end == std::string_view::npos) {
        return {};
    }
    const std::size_t newline = text.rfind('\n', end);
    const std::size_t start = newline == std::string_view::npos ? 0 : newline + 1;
    return std::string(text.substr(start, end + 1 - start));
}

// A report that describes no input at all and whose real last line - ended, so not a cut through
// a long banner - is one of ffmpeg's, our ffmpeg's or the shell's complaints about the source.
// These start in the first column; the banner and descriptions are indented.
bool IsComplaint(std::string_view report) {
    for (std::string_view marker : {"Duration:", "Input #", "Video:", "Audio:"}) {
        if (Position(report, marker) >= 0) {
            return false;
        }
    }
    if (!report.ends_with('\n')) {
        return false;
    }
    const std::string last = LastLine(report);
    if (last.empty() || last.front() == ' ' || last.front() == '\t') {
        return false;
    }
    for (std::string_view said : {": No such file or directory", "Invalid data found",
                                  ": not found", ": Permission denied", "no ffmpeg found"}) {
        if (last.find(said) != std::string::npos) {
            return true;
        }
    }
    return false;
}

}  // namespace

ProbeFacts ParseProbeText(std::string_view report) {
    ProbeFacts facts;

    std::string excerpt = LastN(report, Length(report) - Position(report, "Duration:"));
    excerpt = FirstN(excerpt, Position(excerpt, "Must supply"));
    if (excerpt.empty() && IsComplaint(report)) {
        excerpt = LastLine(report);
    }
    facts.sourceInfo = "  " + excerpt;
    facts.audioCodec = SourceAudioCodecFromText(report);

    // "Video: codec, pixfmt, WxH [note], ...": skip two fields, keep the third.
    std::string field = AfterMarker(report, "Video:");
    for (int pass = 0; pass < 2; ++pass) {
        field = LastN(field, Length(field) - Position(field, ", ") - 2);
    }
    field = FirstN(field, Position(field, ", "));

    const int x = Position(field, "x");
    facts.width = AtoF(FirstN(field, x));
    facts.height = AtoF(LastN(field, Length(field) - x - 1));
    return facts;
}

std::string SourceAudioCodecFromText(std::string_view report) {
    const std::string rest = AfterMarker(report, "Audio:");
    const int comma = Position(rest, ", ");
    if (comma < 0) {
        return {};
    }
    return FirstN(rest, comma);
}

std::string GetSourceAudioCodec(const std::string& reportPath) {
    const auto report = ReadProbeReport(reportPath, 1800);
    if (!report) {
        return {};
    }
    return SourceAudioCodecFromText(*report);
}

}  // namespace mk
