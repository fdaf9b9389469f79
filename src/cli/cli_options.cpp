#include "cli/cli_options.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <limits>
#include <string_view>
#include <utility>

#include "cli/cli_values.h"
#include "command/targets.h"
#include "form/field_table.h"
#include "platform/shell_limits.h"

#ifndef MORVAKELIN_VERSION
#define MORVAKELIN_VERSION "3.0"
#endif

namespace mk::cli {

namespace {

struct FlagOption {
    std::string_view name;
    bool CliOptions::*field;
};

using O = CliOptions;

constexpr std::uint64_t kMaxInt = std::numeric_limits<std::int32_t>::max();
constexpr std::size_t kLongestPath = 4095;  // PATH_MAX less its zero byte

const std::array<FlagOption, 9> kFlags{{
    {"--run-batch", &O::runBatch},
    {"--two-pass", &O::twoPass},
    {"--keep-files", &O::keepFiles},
    {"--no-presets", &O::noPresets},
    {"--print", &O::print},
    {"--batch-add", &O::batchAdd},
    {"--verbose", &O::verbose},
    {"--help", &O::help},
    {"--version", &O::version},
}};

// What only the whole set of options can tell; empty when all is well.
std::string CheckTogether(const CliOptions& o) {
    std::vector<std::pair<std::string, const std::string*>> paths{{"--source", &o.source},
                                                                  {"--output", &o.output},
                                                                  {"--output-dir", &o.outputDir},
                                                                  {"--disc", &o.disc},
                                                                  {"--titles", &o.titles}};
    for (const std::string& source : o.sources) {
        paths.emplace_back("a source", &source);
    }
    for (const auto& [name, path] : paths) {
        if (path->size() > kLongestPath) {
            return "path too long for " + name + ": " + Shown(*path) + " (at most " +
                   std::to_string(kLongestPath) + " characters)";
        }
    }
    // ffmpeg refuses a frame whose padded area passes INT_MAX / 8 bytes.
    const auto width = o.Given(Field::Width), height = o.Given(Field::Height);
    if (width && height && !width->empty() && !height->empty()) {
        const std::uint64_t area = (std::stoull(*width) + 128) * (std::stoull(*height) + 128);
        if (area >= kMaxInt / 8) {
            return "frame too large: --width " + *width + " --height " + *height +
                   " (ffmpeg takes frames up to about 16000x16000)";
        }
    }
    // A target ffmpeg knows by name takes the video bitrates its discs can play.
    const Target* target = FindTarget(o.Given(Field::Target).value_or(EncoderFields{}.m_strTarget));
    const auto bitrate = o.Given(Field::VideoBitrate);
    if (target && target->maxVideoBitrate != 0 && bitrate && o.Given(Field::ProcessVideo) != "0") {
        const std::uint64_t kbits = std::stoull(*bitrate);
        if (kbits < target->minVideoBitrate || kbits > target->maxVideoBitrate) {
            return "value out of range for --video-bitrate: " + Shown(*bitrate) + " (the " +
                   std::string(target->word) + " target takes " +
                   std::to_string(target->minVideoBitrate) + " to " +
                   std::to_string(target->maxVideoBitrate) + ")";
        }
    }
    // The command holds at least both paths and the More options text.
    const std::size_t least =
        o.source.size() + o.output.size() + o.Given(Field::MoreOptions).value_or("").size() + 64;
    if (least > LongestShellLine()) {
        return "the command would be longer than the shell can take (over " +
               std::to_string(least) + " bytes, at most " + std::to_string(LongestShellLine()) +
               "): shorten --more-options";
    }
    return {};
}

// The field of a path option (--source, --output, --output-dir), or nullptr.
std::string* PathOption(CliOptions& o, std::string_view name) {
    if (name == "--source") {
        return &o.source;
    }
    if (name == "--output") {
        return &o.output;
    }
    if (name == "--disc") {
        return &o.disc;
    }
    if (name == "--titles") {
        return &o.titles;
    }
    return name == "--output-dir" ? &o.outputDir : nullptr;
}

// The disc's plain values: --chapters and --fit.
std::optional<std::string>* DiscValue(CliOptions& o, std::string_view name) {
    return name == "--chapters" ? &o.chapters : name == "--fit" ? &o.fit : nullptr;
}

// --jobs N: 1 to 9999; empty when taken, else the reason.
std::string TakeJobs(const std::string& value, CliOptions& o) {
    const bool digits =
        !value.empty() && value.size() <= 4 &&
        std::all_of(value.begin(), value.end(), [](char c) { return c >= '0' && c <= '9'; });
    if (!digits || std::stoi(value) < 1) {
        return "invalid value for --jobs: '" + value + "' (1 to 9999)";
    }
    o.jobs = static_cast<std::size_t>(std::stoi(value));
    return {};
}

// Which kind of run the options ask for, and whether they are complete for it.
ParseResult CheckRunKind(CliOptions options) {
    auto fail = [](std::string why) { return ParseResult{std::nullopt, std::move(why)}; };
    const bool many = !options.sources.empty();
    if (options.runBatch) {
        if (many || !options.source.empty() || !options.output.empty() ||
            !options.outputDir.empty()) {
            return fail("--run-batch takes no source or output: it runs the batch file's lines");
        }
        return {options, {}};
    }
    const bool discOnly = options.chapters || options.fit || options.twoPass || options.keepFiles ||
                          !options.titles.empty();
    if (options.disc.empty() && discOnly) {
        return fail("--chapters, --fit, --two-pass and --keep-files go with --disc NAME");
    }
    if (!options.disc.empty()) {
        if (many == !options.titles.empty() || !options.source.empty() || !options.output.empty() ||
            !options.outputDir.empty()) {
            return fail(
                "--disc needs sources: morvakelin-cli [options] --disc NAME SOURCE..., or "
                "--titles FILE");
        }
        return {options, {}};
    }
    if (many) {
        if (!options.source.empty() || !options.output.empty()) {
            return fail("give either --source and --output, or sources with --output-dir");
        }
        if (options.outputDir.empty()) {
            return fail("missing output folder: --output-dir DIR is required with several sources");
        }
        return {options, {}};
    }
    if (!options.outputDir.empty()) {
        return fail(
            "--output-dir needs sources: morvakelin-cli [options] --output-dir DIR SOURCE...");
    }
    if (options.source.empty()) {
        return fail("missing source: --source FILE is required");
    }
    if (options.output.empty()) {
        return fail("missing output: --output FILE is required");
    }
    return {options, {}};
}

}  // namespace

std::optional<std::string> CliOptions::Given(Field field) const {
    const auto last = std::find_if(settings.rbegin(), settings.rend(),
                                   [field](const auto& given) { return given.first == field; });
    return last == settings.rend() ? std::nullopt : std::optional<std::string>(last->second);
}

ParseResult ParseCli(std::span<const std::string> args) {
    CliOptions options;
    auto fail = [](std::string why) { return ParseResult{std::nullopt, std::move(why)}; };

    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string name = args[i];
        std::optional<std::string> inlineValue;
        if (const auto eq = name.find('='); name.starts_with("--") && eq != std::string::npos) {
            inlineValue = name.substr(eq + 1);
            name.resize(eq);
        }
        // The value of a value option: "=value", or the next argument. A next argument that is
        // itself an option means the value was forgotten; More options may start with dashes.
        auto takeValue = [&](bool mayLookLikeOption) -> std::optional<std::string> {
            if (inlineValue) {
                return inlineValue;
            }
            if (i + 1 >= args.size() || (!mayLookLikeOption && args[i + 1].starts_with("--"))) {
                return std::nullopt;
            }
            return args[++i];
        };

        // Paths and the job count are plain values, not texts typed into the form.
        if (std::string* path = PathOption(options, name)) {
            const auto value = takeValue(false);
            if (!value) {
                return fail("missing value for " + name);
            }
            *path = *value;
            continue;
        }
        if (auto* value = DiscValue(options, name)) {
            *value = takeValue(false);
            if (!*value) {
                return fail("missing value for " + name);
            }
            continue;
        }
        if (name == "--jobs") {
            const auto value = takeValue(false);
            if (!value) {
                return fail("missing value for --jobs");
            }
            if (std::string why = TakeJobs(*value, options); !why.empty()) {
                return fail(why);
            }
            continue;
        }
        if (name == "--" && !inlineValue) {  // every word after it is a source
            options.sources.insert(options.sources.end(), args.begin() + i + 1, args.end());
            break;
        }
        if (!name.starts_with("-") || name == "-") {
            options.sources.push_back(name);  // a source of a run over several
            continue;
        }
        const auto flag = std::find_if(kFlags.begin(), kFlags.end(),
                                       [&](const FlagOption& f) { return f.name == name; });
        const auto fields = FieldTable();
        const auto row = std::find_if(fields.begin(), fields.end(), [&](const FieldRow& r) {
            return !r.option.empty() && r.option == name;
        });
        const bool isFlag =
            flag != kFlags.end() || (row != fields.end() && (row->rule.kind == ValueKind::FlagOn ||
                                                             row->rule.kind == ValueKind::FlagOff));
        if (isFlag && inlineValue) {
            return fail("option " + name + " takes no value");
        }
        if (flag != kFlags.end()) {
            options.*(flag->field) = true;
            continue;
        }
        if (row == fields.end()) {
            return fail("unknown option " + name);
        }
        if (isFlag) {
            options.settings.emplace_back(row->field,
                                          row->rule.kind == ValueKind::FlagOn ? "1" : "0");
            continue;
        }
        const auto value = takeValue(row->rule.kind == ValueKind::Text);
        if (!value) {
            return fail("missing value for " + name);
        }
        std::string taken = *value;
        if (std::string why = CheckValue(*row, taken); !why.empty()) {
            return fail(why);
        }
        options.settings.emplace_back(row->field, std::move(taken));
    }

    if (options.help || options.version) {
        return {options, {}};
    }
    if (std::string why = CheckTogether(options); !why.empty()) {
        return fail(why);
    }
    return CheckRunKind(std::move(options));
}

std::string Usage() {
    return "Usage: morvakelin-cli --source FILE --output FILE [options]\n"
           "       morvakelin-cli [options] --output-dir DIR [--jobs N] SOURCE...\n"
           "       morvakelin-cli --run-batch [--jobs N]\n"
           "       morvakelin-cli [options] --disc NAME [--chapters T] [--fit SIZE] SOURCE...\n"
           "Composes the ffmpeg command Morvakelin's form would, and encodes with it.\n"
           "  --target WORD --format WORD --aspect WORD     as typed into the combo boxes\n"
           "  --video-bitrate N --width N --height N --correct-ratio\n"
           "  --audio-target WORD --audio-bitrate N --channels N\n"
           "  --video-stream N --audio-stream N --more-options TEXT\n"
           "  --no-video --no-audio --avisynth --no-presets\n"
           "  --print          print the command Generate would show, and exit 0\n"
           "  --batch-add      append that command to the batch file, as Batch > Add does\n"
           "  --verbose        show ffmpeg's own output while encoding\n"
           "  --output-dir DIR each SOURCE into DIR, named after it, as Save File proposes\n"
           "  --jobs N         how many encodes run at once (default: one per core)\n"
           "  --run-batch      run the batch file's commands, N at a time\n"
           "  --disc NAME      author the sources as one disc: target dvd makes a folder\n"
           "                   (VIDEO_TS, AUDIO_TS) or, for NAME.iso, an image; svcd and\n"
           "                   vcd make NAME.cue and its .bin\n"
           "  --chapters T     a DVD chapter every T minutes (5, or M:SS as 0:30; 0: none)\n"
           "  --fit SIZE       one video bitrate that fills SIZE: dvd5, dvd9, cd74, cd80,\n"
           "                   or bytes with k, M, G (1000s) or Ki, Mi, Gi (1024s)\n"
           "  --two-pass       encode each title twice, the first pass for the rate only\n"
           "  --titles FILE    the titles of Disc > Add current source instead of SOURCE...\n"
           "  --keep-files     keep the encoded titles in NAME-titles/ beside the disc\n"
           "  --help, --version\n"
           "The source is probed as Open File does; unless --no-presets, the presets of the\n"
           "chosen target, format and audio target are applied; options given always win.\n"
           "Exit status: 0 done, 1 failed, 2 bad options, 128+N stopped by signal N.\n";
}

std::string HelpHint() {
    return "Try 'morvakelin-cli --help' for the options.\n";
}

std::string VersionLine() {
    return std::string("morvakelin-cli ") + MORVAKELIN_VERSION;
}

}  // namespace mk::cli
