#include "translate/ffmpeg_options.h"

#include <algorithm>
#include <iterator>

namespace mk::toolkit {

namespace {

// Options of ffmpeg 0.5 to 7.x that take no value. Anything not listed takes one, which is also
// true of every codec, format and filter AVOption given on the command line.
// clang-format off
constexpr std::string_view kStandalone[] = {
    // help and information
    "L", "h", "?", "help", "-help", "version", "buildconf", "formats", "muxers", "demuxers",
    "devices", "codecs", "decoders", "encoders", "bsfs", "protocols", "filters", "pix_fmts",
    "layouts", "sample_fmts", "dispositions", "colors", "hwaccels", "hide_banner", "report",
    // global switches
    "y", "n", "ignore_unknown", "copy_unknown", "recast_media", "benchmark", "benchmark_all",
    "stdin", "dump", "hex", "copyts", "start_at_zero", "shortest", "bitexact", "xerror", "stats",
    "debug_ts", "vstats", "qphist", "print_graphs", "find_stream_info", "re", "accurate_seek",
    "autorotate", "autoscale", "fix_sub_duration", "copyinkf", "isync",
    // stream switches
    "an", "vn", "sn", "dn", "intra", "psnr", "deinterlace", "newvideo", "newaudio",
    "newsubtitle", "ildct", "ilme", "loop_input",
    // gone from today's ffmpeg; dropped here
    "hq", "sameq", "same_quant",
};
// clang-format on

constexpr std::string_view kCodecBases[] = {"acodec", "vcodec", "scodec", "c", "codec"};

}  // namespace

std::string_view ArgItem::Base() const {
    std::string_view name = option;
    // "-help" and "--help" keep their dashes; only a stream specifier is cut off.
    return name.substr(0, name.find(':'));
}

void ArgItem::AppendTo(std::vector<std::string>& out) const {
    if (IsFile()) {
        out.push_back(value);
        return;
    }
    out.push_back("-" + option);
    if (hasValue) {
        out.push_back(value);
    }
}

bool IsStandaloneOption(std::string_view name) {
    name = name.substr(0, name.find(':'));
    auto listed = [](std::string_view n) {
        return std::find(std::begin(kStandalone), std::end(kStandalone), n) !=
               std::end(kStandalone);
    };
    if (listed(name)) {
        return true;
    }
    // Boolean options can be switched off with a "no" prefix: -nostdin, -noautorotate.
    return name.size() > 2 && name.substr(0, 2) == "no" && listed(name.substr(2));
}

bool IsCodecOption(std::string_view name) {
    name = name.substr(0, name.find(':'));
    return std::find(std::begin(kCodecBases), std::end(kCodecBases), name) != std::end(kCodecBases);
}

std::vector<ArgItem> SplitArguments(const std::vector<std::string>& args) {
    std::vector<ArgItem> items;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& word = args[i];
        // A lone "-" is standard input or output, a file name like any other.
        if (word.size() < 2 || word[0] != '-') {
            items.push_back({"", word, false});
            continue;
        }
        ArgItem item{word.substr(1), "", false};
        const bool emptyCodecWord =
            IsCodecOption(item.option) && i + 1 < args.size() && args[i + 1] == "-i";
        if (!IsStandaloneOption(item.option) && !emptyCodecWord && i + 1 < args.size()) {
            item.value = args[++i];
            item.hasValue = true;
        }
        items.push_back(std::move(item));
    }
    return items;
}

int OutputIndex(const std::vector<ArgItem>& items) {
    int output = -1;
    bool input = false;
    for (size_t i = 0; i < items.size(); ++i) {
        input = input || items[i].option == "i";
        if (items[i].IsFile() && input) {
            output = static_cast<int>(i);
        }
    }
    return output;
}

int OutputSectionStart(const std::vector<ArgItem>& items, int output) {
    int start = 0;
    for (int i = 0; i < static_cast<int>(items.size()); ++i) {
        if (i != output && (items[i].option == "i" || items[i].IsFile())) {
            start = i + 1;
        }
    }
    return std::min(start, output < 0 ? static_cast<int>(items.size()) : output);
}

std::vector<std::string> InputNames(const std::vector<ArgItem>& items) {
    std::vector<std::string> inputs;
    for (const ArgItem& item : items) {
        if (item.option == "i" && item.hasValue) {
            inputs.push_back(item.value);
        }
    }
    return inputs;
}

std::vector<std::string> Words(const std::vector<ArgItem>& items) {
    std::vector<std::string> words;
    for (const ArgItem& item : items) {
        item.AppendTo(words);
    }
    return words;
}

}  // namespace mk::toolkit
