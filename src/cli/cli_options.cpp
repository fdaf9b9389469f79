#include "cli/cli_options.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <string_view>

#include "res/dialog_template.h"
#include "res/resource.h"

#ifndef MORVAKELIN_VERSION
#define MORVAKELIN_VERSION "3.0"
#endif

namespace mk::cli {

namespace {

enum class ValueKind { Word, Number, Size, Text };

struct ValueOption {
    std::string_view name;
    ValueKind kind;
    int comboId;  // the combo whose list items are accepted as they are; 0 for none
    std::optional<std::string> CliOptions::*field;
};

struct FlagOption {
    std::string_view name;
    bool CliOptions::*field;
};

using O = CliOptions;
using namespace ids;

const std::array<ValueOption, 12> kValueOptions{{
    {"--target", ValueKind::Word, IDC_TARGET, &O::target},
    {"--format", ValueKind::Word, IDC_FORMAT, &O::format},
    {"--aspect", ValueKind::Word, IDC_ASPECT, &O::aspect},
    {"--video-bitrate", ValueKind::Number, 0, &O::videoBitrate},
    {"--width", ValueKind::Size, 0, &O::width},
    {"--height", ValueKind::Size, 0, &O::height},
    {"--audio-target", ValueKind::Word, IDC_AUDIO_TARGET, &O::audioTarget},
    {"--audio-bitrate", ValueKind::Number, 0, &O::audioBitrate},
    {"--channels", ValueKind::Number, 0, &O::channels},
    {"--video-stream", ValueKind::Number, 0, &O::videoStream},
    {"--audio-stream", ValueKind::Number, 0, &O::audioStream},
    {"--more-options", ValueKind::Text, 0, &O::moreOptions},
}};

const std::array<FlagOption, 10> kFlags{{
    {"--correct-ratio", &O::correctRatio},
    {"--no-video", &O::noVideo},
    {"--no-audio", &O::noAudio},
    {"--avisynth", &O::aviSynth},
    {"--no-presets", &O::noPresets},
    {"--print", &O::print},
    {"--batch-add", &O::batchAdd},
    {"--verbose", &O::verbose},
    {"--help", &O::help},
    {"--version", &O::version},
}};

bool IsComboItem(int comboId, std::string_view value) {
    for (const ComboList& list : EncoderComboLists()) {
        if (list.id == comboId) {
            return std::find(list.items.begin(), list.items.end(), value) != list.items.end();
        }
    }
    return false;
}

// Words and numbers go into the command unquoted, so they may hold nothing the shell acts on.
bool IsPlainWord(std::string_view value) {
    return !value.empty() && std::all_of(value.begin(), value.end(), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || c == ':' || c == '.' || c == '_' ||
               c == '-' || c == '+';
    });
}

bool IsDigits(std::string_view value) {
    return !value.empty() && std::all_of(value.begin(), value.end(), [](char c) {
        return std::isdigit(static_cast<unsigned char>(c));
    });
}

// Empty when the value suits the option, else the reason.
std::string CheckValue(const ValueOption& o, const std::string& value) {
    switch (o.kind) {
        case ValueKind::Word:
            if (IsComboItem(o.comboId, value) || IsPlainWord(value)) {
                return {};
            }
            return "invalid value for " + std::string(o.name) + ": '" + value +
                   "' (letters, digits and : . _ - + only)";
        case ValueKind::Size:
            if (value.empty()) {
                return {};
            }
            [[fallthrough]];
        case ValueKind::Number:
            if (IsDigits(value)) {
                return {};
            }
            return "invalid value for " + std::string(o.name) + ": '" + value +
                   "' (a whole number is expected)";
        case ValueKind::Text:
            break;
    }
    return {};
}

}  // namespace

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

        // Source and output are plain strings every run needs, not optional texts.
        if (name == "--source" || name == "--output") {
            const auto value = takeValue(false);
            if (!value) {
                return fail("missing value for " + name);
            }
            (name == "--source" ? options.source : options.output) = *value;
            continue;
        }
        const auto flag = std::find_if(kFlags.begin(), kFlags.end(),
                                       [&](const FlagOption& f) { return f.name == name; });
        if (flag != kFlags.end()) {
            if (inlineValue) {
                return fail("option " + name + " takes no value");
            }
            options.*(flag->field) = true;
            continue;
        }
        const auto option = std::find_if(kValueOptions.begin(), kValueOptions.end(),
                                         [&](const ValueOption& o) { return o.name == name; });
        if (option == kValueOptions.end()) {
            return fail(name.starts_with("-") ? "unknown option " + name
                                              : "unexpected argument '" + name + "'");
        }
        const auto value = takeValue(option->kind == ValueKind::Text);
        if (!value) {
            return fail("missing value for " + name);
        }
        if (std::string why = CheckValue(*option, *value); !why.empty()) {
            return fail(why);
        }
        options.*(option->field) = *value;
    }

    if (options.help || options.version) {
        return {options, {}};
    }
    if (options.source.empty()) {
        return fail("missing source: --source FILE is required");
    }
    if (options.output.empty()) {
        return fail("missing output: --output FILE is required");
    }
    return {options, {}};
}

std::string Usage() {
    return "Usage: morvakelin-cli --source FILE --output FILE [options]\n"
           "Composes the ffmpeg command Morvakelin's form would, and encodes with it.\n"
           "  --target WORD --format WORD --aspect WORD     as typed into the combo boxes\n"
           "  --video-bitrate N --width N --height N --correct-ratio\n"
           "  --audio-target WORD --audio-bitrate N --channels N\n"
           "  --video-stream N --audio-stream N --more-options TEXT\n"
           "  --no-video --no-audio --avisynth --no-presets\n"
           "  --print          print the command Generate would show, and exit 0\n"
           "  --batch-add      append that command to the batch file, as Batch > Add does\n"
           "  --verbose        show ffmpeg's own output while encoding\n"
           "  --help, --version\n"
           "The source is probed as Open File does; unless --no-presets, the presets of the\n"
           "chosen target, format and audio target are applied; options given always win.\n"
           "Exit status: 0 done, 1 failed, 2 bad options, 128+N stopped by signal N.\n";
}

std::string VersionLine() {
    return std::string("morvakelin-cli ") + MORVAKELIN_VERSION;
}

}  // namespace mk::cli
