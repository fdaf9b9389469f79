// What each fuzz target does with one input, shared by the libFuzzer programs and by the unit
// test that replays the saved crash inputs, so a fixed fault stays fixed in every build.
// Each entry feeds the input to the readers of outside text and checks the promises their
// callers rely on; it returns the first broken promise, or "" when all hold.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "avs2yuv/avs_script.h"
#include "command/encoder_fields.h"
#include "command/geometry.h"
#include "jobs/avs_script.h"
#include "probe/report_parser.h"
#include "rules/file_filter.h"
#include "translate/ffmpeg_options.h"
#include "translate/probe_report.h"
#include "translate/translate.h"

namespace mk::fuzz {

namespace detail {

inline std::vector<std::string_view> Split(std::string_view text, char at) {
    std::vector<std::string_view> parts;
    for (;;) {
        const std::size_t end = text.find(at);
        parts.push_back(text.substr(0, end));
        if (end == std::string_view::npos) {
            return parts;
        }
        text.remove_prefix(end + 1);
    }
}

inline bool StartsWith(std::string_view s, std::string_view prefix) {
    return s.substr(0, prefix.size()) == prefix;
}

// The values of every "-i" of a command line, in order: the files it reads.
inline std::vector<std::string> Inputs(const std::vector<std::string>& args) {
    std::vector<std::string> inputs;
    for (const toolkit::ArgItem& item : toolkit::SplitArguments(args)) {
        if (item.option == "i") {
            inputs.push_back(item.value);
        }
    }
    return inputs;
}

}  // namespace detail

// The probe report as the program reads it (the first 1800 bytes of Conf/test.txt), and what
// the aspect geometry then makes of the source size it found.
inline std::string ProbeReport(std::string_view data) {
    const std::string_view report = data.substr(0, 1800);
    const ProbeFacts facts = ParseProbeText(report);
    const std::string codec = SourceAudioCodecFromText(report);
    if (std::isnan(facts.width) || std::isnan(facts.height)) {
        return "the source size is not a number";
    }
    if (facts.sourceInfo.size() > report.size() + 2) {
        return "the source properties are longer than the report";
    }
    if (codec.size() > report.size()) {
        return "the audio codec is longer than the report";
    }
    EncoderFields f;
    f.m_dSourceWidth = facts.width;
    f.m_dSourceHeight = facts.height;
    f.m_bCorrectRatio = 1;
    for (const char* aspect : {"4:3", "16:9", "16:9->4:3", "4:3->16:9"}) {
        f.m_strAspect = aspect;
        const std::string size = GetSizeOptions(f) + GetAspectConversionOptions(f);
        if (size.find('\n') != std::string::npos) {
            return "a line break in the size options";
        }
    }
    return {};
}

// Our ffmpeg's option translation: one argument per line; the first byte chooses whether the
// installed ffmpeg still has -async. Whatever it rewrites, it must read the same files, write
// the same output, and never pass on an option today's ffmpeg rejects.
inline std::string FfmpegOptions(std::string_view data) {
    toolkit::FfmpegFeatures features;
    if (!data.empty()) {
        features.hasAsync = (data[0] & 1) != 0;
        data.remove_prefix(1);
    }
    std::vector<std::string> args;
    for (std::string_view word : detail::Split(data, '\n')) {
        args.emplace_back(word);
        toolkit::ParseFrameSize(word);
        toolkit::TargetFrameSize(word);
    }
    toolkit::NeedsFeatures(args);
    const toolkit::Translation t = toolkit::TranslateFfmpegArguments(args, features);
    if (!t.error.empty()) {
        return t.args.empty() ? std::string() : "words to run beside an error";
    }
    if (t.mode == toolkit::RunMode::PassThrough) {
        return t.args == args ? std::string() : "a command without input was changed";
    }
    if (detail::Inputs(t.args) != detail::Inputs(args)) {
        return "the inputs changed";
    }
    const auto items = toolkit::SplitArguments(args);
    const auto out = toolkit::SplitArguments(t.args);
    std::vector<std::string> filesIn, filesOut;
    for (const auto& item : items) {
        if (item.IsFile()) {
            filesIn.push_back(item.value);
        }
    }
    for (const auto& item : out) {
        if (item.IsFile()) {
            filesOut.push_back(item.value);
        }
        const std::string_view base = item.Base();
        static constexpr std::string_view kGone[] = {
            "hq",        "sameq",  "same_quant", "croptop", "cropbottom", "cropleft",
            "cropright", "padtop", "padbottom",  "padleft", "padright",   "padcolor"};
        if (std::find(std::begin(kGone), std::end(kGone), base) != std::end(kGone)) {
            return "-" + item.option + " passed on";
        }
    }
    if (filesIn != filesOut) {
        return "the output files changed";
    }
    return {};
}

// Our ffmpeg's probe report: today's ffmpeg's description rewritten, then read by the program.
inline std::string FfmpegReport(std::string_view data) {
    for (std::string_view line : detail::Split(data, '\n')) {
        const std::size_t first = line.find_first_not_of(' ');
        if (first != std::string_view::npos && detail::StartsWith(line.substr(first), "Stream #")) {
            toolkit::RewriteStreamLine(line);
        }
        const std::string tidy = toolkit::DropParenthesised(line);
        if (tidy.size() > line.size()) {
            return "dropping details made a line longer";
        }
    }
    const toolkit::ProbeReport report = toolkit::RewriteProbeReport(data);
    if (report.describedInput && report.text.find("Must supply") == std::string::npos) {
        return "a described input without the closing line";
    }
    const std::string result = ProbeReport(report.text);
    return result.empty() ? std::string() : "reading the rewritten report: " + result;
}

// avs2yuv's script reader and the ffmpeg command it makes: the source file it names is the one
// input, and nothing of the script but numbers reaches the filter chain.
inline std::string AvsScript(std::string_view data) {
    const toolkit::AvsScript script = toolkit::ReadAvsScript(data);
    if (script.sourceLine == 0 && script.problems.empty()) {
        return "no source and no problem";
    }
    if (script.sourceLine != 0 && script.sourcePath.empty()) {
        return "an empty source path";
    }
    if (script.sourceLine == 0 || !script.problems.empty()) {
        return {};  // avs2yuv renders nothing then
    }
    for (const std::string& filter : script.filters) {
        for (char c : filter) {
            const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                               (c >= '0' && c <= '9') ||
                               std::string_view("_=:,.-+").find(c) != std::string_view::npos;
            if (!plain) {
                return "script text in the filter chain: " + filter;
            }
        }
    }
    const std::vector<std::string> args = toolkit::Avs2yuvArguments(script, "/scripts/", "-");
    const std::vector<std::string> inputs = detail::Inputs(args);
    if (inputs.size() != 1 || inputs[0].find(script.sourcePath) == std::string::npos) {
        return "the source is not the one input";
    }
    if (args.back() != "-") {
        return "the output is not standard output";
    }
    return {};
}

// The TV.avs check: the script text, a zero byte, then the source path. A script that calls
// AviSource on the source names it, whatever the path holds.
inline std::string TvAvsKey(std::string_view data) {
    const std::size_t zero = data.find('\0');
    const std::string_view script = data.substr(0, zero);
    const std::string source(zero == std::string_view::npos ? std::string_view()
                                                            : data.substr(zero + 1));
    const bool names = ScriptNamesSource(script, source);
    if (script.find('"') == std::string_view::npos && names) {
        return "a script without any double quote names a source";
    }
    const std::string written = std::string(script) + "\nAviSource(\"" + source + "\")\n";
    if (!ScriptNamesSource(written, source)) {
        return "a script calling AviSource on the source does not name it";
    }
    if (!ScriptNamesSource(written, source + ".avi")) {
        return "the source with another extension is not named";
    }
    return {};
}

// The MFC filter text turned into QFileDialog filters: each filter must end in the one
// parenthesised group QFileDialog takes its patterns from, holding exactly the patterns.
inline std::string FileFilter(std::string_view data) {
    const std::vector<FilterEntry> entries = ParseMfcFilter(data);
    for (const FilterEntry& e : entries) {
        if (e.patterns.empty()) {
            return "a type without patterns";
        }
        const std::string qt = ToQtFilter(e);
        const std::size_t open = qt.rfind('(');
        if (qt.empty() || qt.back() != ')' || open == std::string::npos) {
            return "no pattern group: " + qt;
        }
        const std::string_view group = std::string_view(qt).substr(open + 1, qt.size() - open - 2);
        for (char c : group) {
            const bool accepted =
                (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                std::string_view("_.,*? +;#-[]@{}/!<>$%&=^~:|").find(c) != std::string_view::npos;
            if (!accepted) {
                return "QFileDialog would not read the pattern group: " + qt;
            }
        }
        if (qt.find(";;") != std::string::npos) {
            return "one type reads as two: " + qt;
        }
    }
    // QFileDialog splits the list at ";;", so there is one fewer of those than types.
    const std::string list = QtFilterList(data);
    std::size_t separators = 0;
    for (std::size_t at = list.find(";;"); at != std::string::npos; at = list.find(";;", at + 2)) {
        ++separators;
    }
    if (entries.empty() ? !list.empty() : separators + 1 != entries.size()) {
        return "the filter list does not hold one filter per type: " + list;
    }
    return {};
}

struct Target {
    const char* name;
    std::string (*run)(std::string_view);
};

inline constexpr Target kTargets[] = {
    {"probe_report", ProbeReport},   {"ffmpeg_options", FfmpegOptions},
    {"ffmpeg_report", FfmpegReport}, {"avs_script", AvsScript},
    {"tv_avs_key", TvAvsKey},        {"file_filter", FileFilter},
};

}  // namespace mk::fuzz
