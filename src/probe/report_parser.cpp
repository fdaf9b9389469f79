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

}  // namespace

ProbeFacts ParseProbeText(std::string_view report) {
    ProbeFacts facts;

    std::string excerpt = LastN(report, Length(report) - Position(report, "Duration:"));
    excerpt = FirstN(excerpt, Position(excerpt, "Must supply"));
    facts.sourceInfo = "  " + excerpt;

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
