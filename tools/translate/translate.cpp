#include "translate/translate.h"

#include <algorithm>
#include <charconv>
#include <tuple>

#include "translate/ffmpeg_options.h"

namespace mk::toolkit {

namespace {

bool ParseInt(std::string_view text, int& out) {
    if (text.empty()) {
        return false;
    }
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, out);
    return ec == std::errc() && ptr == end;
}

bool IsDigits(std::string_view text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// "0.1:0.0" or "0.1" -> "0:1"; the part after ':' was the stream to sync with, which today's
// ffmpeg does on its own. Anything else is left for ffmpeg to judge.
std::optional<std::string> ModernMap(std::string_view map) {
    std::string_view stream = map.substr(0, map.find(':'));
    if (map.find(':') != std::string_view::npos) {
        std::string_view sync = map.substr(map.find(':') + 1);
        const size_t dot = sync.find('.');
        if (dot == std::string_view::npos || !IsDigits(sync.substr(0, dot)) ||
            !IsDigits(sync.substr(dot + 1))) {
            return std::nullopt;
        }
    }
    const size_t dot = stream.find('.');
    if (dot == std::string_view::npos) {
        return std::nullopt;
    }
    std::string_view file = stream.substr(0, dot), index = stream.substr(dot + 1);
    if (!IsDigits(file) || !IsDigits(index)) {
        return std::nullopt;
    }
    return std::string(file) + ":" + std::string(index);
}

// Before an input a codec option picks the decoder. On the AviSynth route the word is the codec
// name from the probe report, which today's ffmpeg names differently from its decoder for a few
// codecs ("dts" is decoded by "dca").
std::string DecoderFor(const std::string& codec) {
    static constexpr std::pair<std::string_view, std::string_view> kDecoders[] = {
        {"dts", "dca"},
        {"amr_nb", "amrnb"},
        {"amr_wb", "amrwb"},
        {"ra_144", "real_144"},
        {"ra_288", "real_288"},
        {"mp4als", "als"},
        {"musepack7", "mpc7"},
        {"musepack8", "mpc8"},
        {"adpcm_g722", "g722"},
        {"adpcm_g726", "g726"},
        {"adpcm_g726le", "g726le"},
        {"atrac3p", "atrac3plus"},
        {"atrac3pal", "atrac3plusal"},
        {"smackaudio", "smackaud"},
        {"westwood_snd1", "ws_snd1"},
    };
    for (auto [name, decoder] : kDecoders) {
        if (codec == name) {
            return std::string(decoder);
        }
    }
    return codec;
}

enum Side { kTop, kBottom, kLeft, kRight };

// Kept wide: the sums below must not overflow whatever number the command line holds.
struct Bars {
    long long value[4] = {0, 0, 0, 0};
    bool Any() const { return value[0] || value[1] || value[2] || value[3]; }
};

// Which old geometry option this is: crop or pad, and which side.
bool GeometryOption(std::string_view name, bool& crop, Side& side) {
    static constexpr std::pair<std::string_view, Side> kSides[] = {
        {"top", kTop}, {"bottom", kBottom}, {"left", kLeft}, {"right", kRight}};
    for (std::string_view prefix : {"crop", "pad"}) {
        if (name.substr(0, prefix.size()) != prefix) {
            continue;
        }
        for (auto [word, s] : kSides) {
            if (name.substr(prefix.size()) == word) {
                crop = prefix == "crop";
                side = s;
                return true;
            }
        }
    }
    return false;
}

bool IsVideoFilterOption(const ArgItem& item) {
    return item.option == "vf" || item.option == "filter:v";
}
bool IsAudioFilterOption(const ArgItem& item) {
    return item.option == "af" || item.option == "filter:a";
}
// An option that sets the audio codec of the output (plain -c and -codec set every stream's).
bool SetsAudioCodec(const ArgItem& item) {
    return item.option == "acodec" || item.option == "c:a" || item.option == "codec:a" ||
           item.option == "c" || item.option == "codec";
}

}  // namespace

std::optional<std::pair<int, int>> ParseFrameSize(std::string_view text) {
    static constexpr std::pair<std::string_view, std::pair<int, int>> kNames[] = {
        {"ntsc", {720, 480}},      {"pal", {720, 576}},       {"qntsc", {352, 240}},
        {"qpal", {352, 288}},      {"sntsc", {640, 480}},     {"spal", {768, 576}},
        {"film", {352, 240}},      {"ntsc-film", {352, 240}}, {"sqcif", {128, 96}},
        {"qcif", {176, 144}},      {"cif", {352, 288}},       {"4cif", {704, 576}},
        {"16cif", {1408, 1152}},   {"qqvga", {160, 120}},     {"qvga", {320, 240}},
        {"vga", {640, 480}},       {"svga", {800, 600}},      {"xga", {1024, 768}},
        {"uxga", {1600, 1200}},    {"qxga", {2048, 1536}},    {"sxga", {1280, 1024}},
        {"wvga", {852, 480}},      {"hd480", {852, 480}},     {"hd720", {1280, 720}},
        {"hd1080", {1920, 1080}},  {"2k", {2048, 1080}},      {"4k", {4096, 2160}},
        {"uhd2160", {3840, 2160}},
    };
    for (auto [name, size] : kNames) {
        if (text == name) {
            return size;
        }
    }
    const size_t x = text.find('x');
    int w = 0, h = 0;
    if (x == std::string_view::npos || !ParseInt(text.substr(0, x), w) ||
        !ParseInt(text.substr(x + 1), h) || w <= 0 || h <= 0) {
        return std::nullopt;
    }
    return std::make_pair(w, h);
}

std::optional<std::pair<int, int>> TargetFrameSize(std::string_view target) {
    const size_t dash = target.find('-');
    if (dash == std::string_view::npos) {
        return std::nullopt;
    }
    std::string_view norm = target.substr(0, dash), kind = target.substr(dash + 1);
    if (norm != "pal" && norm != "ntsc" && norm != "film") {
        return std::nullopt;
    }
    const bool pal = norm == "pal";
    if (kind == "vcd") {
        return std::make_pair(352, pal ? 288 : 240);
    }
    if (kind == "svcd") {
        return std::make_pair(480, pal ? 576 : 480);
    }
    if (kind == "dvd" || kind == "dv" || kind == "dv50") {
        return std::make_pair(720, pal ? 576 : 480);
    }
    return std::nullopt;
}

bool NeedsFeatures(const std::vector<std::string>& args) {
    for (const ArgItem& item : SplitArguments(args)) {
        if (item.option == "async") {
            return true;
        }
    }
    return false;
}

namespace {

// What the command line holds and what its output section asks for.
struct Scan {
    std::vector<ArgItem> items;
    int output = -1;  // index of the output file in `items`; -1 for a probe
    int inputs = 0;
    int sectionStart = 0, sectionEnd = 0;  // the output's own options
    Bars crop, pad;
    std::string padColor;
    // The picture size the old ffmpeg scaled to: the last -s or -target of the output.
    long long pw = 0, ph = 0;
    bool picture = false;
    std::string pictureSource;  // the option that set `picture`, for messages
    bool pictureUnknown = false;
    std::optional<std::string> userVf, userAf, async;
    bool audioOff = false, videoOff = false, audioCopy = false, hasMap = false;
    int y4mInput = -1, firstOtherInput = -1;

    bool InSection(int i) const { return i >= sectionStart && i < sectionEnd; }
};

// What replaces the old options, written at the end of the output's options.
struct Plan {
    bool geometry = false;
    std::string chain;      // the -vf chain: crop, the user's filter, scale, pad
    std::string finalSize;  // -s after the chain, when a -target would undo it
    bool asyncFilter = false;
    std::vector<std::string> maps;
};

// Finds the output file and its section; options written after the output file go in front of
// it: the old ffmpeg applied them to that output, today's ignores them with a warning.
void FindSections(Scan& scan) {
    std::vector<ArgItem>& items = scan.items;
    for (size_t i = 0; i < items.size(); ++i) {
        if (items[i].option == "i") {
            ++scan.inputs;
        }
        if (items[i].IsFile()) {
            scan.output = static_cast<int>(i);
        }
    }
    if (scan.output >= 0 && scan.output + 1 < static_cast<int>(items.size())) {
        std::rotate(items.begin() + scan.output, items.begin() + scan.output + 1, items.end());
        scan.output = static_cast<int>(items.size()) - 1;
    }
    // The output's own options run from after the last input or earlier output file.
    for (int i = 0; i < static_cast<int>(items.size()); ++i) {
        if (i != scan.output && (items[i].option == "i" || items[i].IsFile())) {
            scan.sectionStart = i + 1;
        }
    }
    scan.sectionEnd = scan.output >= 0 ? scan.output : static_cast<int>(items.size());
}

// An option left without its value (the last word of the line) would take the next word as its
// value once options are moved in front of the output file.
std::string MissingValue(const std::vector<ArgItem>& items) {
    for (const ArgItem& item : items) {
        if (!item.IsFile() && !item.hasValue && !IsStandaloneOption(item.option) &&
            !IsCodecOption(item.option)) {
            return "cannot translate -" + item.option + ": its value is missing";
        }
    }
    return {};
}

void SetPicture(Scan& scan, std::optional<std::pair<int, int>> size, const std::string& source) {
    scan.picture = size.has_value();
    std::tie(scan.pw, scan.ph) = size.value_or(std::make_pair(0, 0));
    scan.pictureSource = source;
    scan.pictureUnknown = !scan.picture;
}

// One option of the output section; an error when it cannot be kept.
std::string ScanOutputOption(const ArgItem& item, Scan& scan) {
    bool isCrop = false;
    Side side = kTop;
    if (GeometryOption(item.Base(), isCrop, side)) {
        int v = 0;
        if (!item.hasValue || !ParseInt(item.value, v) || v < 0) {
            return "cannot translate -" + item.option + " " + item.value + ": " +
                   (isCrop ? "cropping" : "padding") + " takes a whole number of pixels, 0 or more";
        }
        (isCrop ? scan.crop : scan.pad).value[side] = v;
    } else if (item.Base() == "padcolor") {
        scan.padColor = item.value;
    } else if (item.option == "s") {
        SetPicture(scan, ParseFrameSize(item.value), "-s " + item.value);
    } else if (item.option == "target") {
        SetPicture(scan, TargetFrameSize(item.value), "-target " + item.value);
    } else if (IsVideoFilterOption(item)) {
        scan.userVf = item.value;
    } else if (IsAudioFilterOption(item)) {
        scan.userAf = item.value;
    } else if (item.option == "an") {
        scan.audioOff = true;
    } else if (item.option == "vn") {
        scan.videoOff = true;
    } else if (SetsAudioCodec(item) && item.value == "copy") {
        scan.audioCopy = true;
    }
    return {};
}

// Reads the whole line: inputs, maps, -async, and what the output section asks for.
std::string ScanItems(Scan& scan) {
    bool nextInputIsY4m = false;
    int inputIndex = 0;
    for (int i = 0; i < static_cast<int>(scan.items.size()); ++i) {
        const ArgItem& item = scan.items[i];
        scan.hasMap = scan.hasMap || item.option == "map";
        if (item.option == "async" && item.hasValue) {
            scan.async = item.value;
        }
        if (item.option == "f" && i < scan.sectionStart) {
            nextInputIsY4m = item.value == "yuv4mpegpipe";
        }
        if (item.option == "i") {
            if (nextInputIsY4m && scan.y4mInput < 0) {
                scan.y4mInput = inputIndex;
            } else if (!nextInputIsY4m && scan.firstOtherInput < 0) {
                scan.firstOtherInput = inputIndex;
            }
            nextInputIsY4m = false;
            ++inputIndex;
        }
        bool isCrop = false;
        Side side = kTop;
        const bool oldGeometry =
            GeometryOption(item.Base(), isCrop, side) || item.Base() == "padcolor";
        // Options of an earlier output are passed on as they stand; the old geometry options
        // among them would reach today's ffmpeg, which has none of them.
        if (!scan.InSection(i) && oldGeometry) {
            return "cannot translate -" + item.option +
                   ": cropping and padding are translated only for the last output file";
        }
        if (scan.InSection(i)) {
            if (std::string error = ScanOutputOption(item, scan); !error.empty()) {
                return error;
            }
        }
    }
    return {};
}

// Crop, then scale to the picture size, then bars around it: the old options' order.
std::string FilterChain(const Scan& scan, Plan& plan) {
    plan.geometry = scan.crop.Any() || scan.pad.Any();
    if (!plan.geometry) {
        return {};
    }
    // Bars go around the scaled picture, so its size must be known here.
    if (scan.pictureUnknown && scan.pad.Any()) {
        return "cannot translate the padding: the frame size of " + scan.pictureSource +
               " is not known here; give -s WIDTHxHEIGHT";
    }
    auto add = [&plan](const std::string& filter) {
        plan.chain += (plan.chain.empty() ? "" : ",") + filter;
    };
    const long long* c = scan.crop.value;
    const long long* p = scan.pad.value;
    if (scan.crop.Any()) {
        add("crop=iw-" + std::to_string(c[kLeft] + c[kRight]) + ":ih-" +
            std::to_string(c[kTop] + c[kBottom]) + ":" + std::to_string(c[kLeft]) + ":" +
            std::to_string(c[kTop]));
    }
    if (scan.userVf) {
        add(*scan.userVf);
    }
    if (scan.picture) {
        add("scale=" + std::to_string(scan.pw) + ":" + std::to_string(scan.ph));
    }
    const long long outW = scan.pw + p[kLeft] + p[kRight], outH = scan.ph + p[kTop] + p[kBottom];
    if (scan.pad.Any()) {
        std::string filter = scan.picture
                                 ? "pad=" + std::to_string(outW) + ":" + std::to_string(outH)
                                 : "pad=iw+" + std::to_string(p[kLeft] + p[kRight]) + ":ih+" +
                                       std::to_string(p[kTop] + p[kBottom]);
        filter += ":" + std::to_string(p[kLeft]) + ":" + std::to_string(p[kTop]);
        if (!scan.padColor.empty()) {
            filter += ":color=0x" + scan.padColor;
        }
        add(filter);
    }
    // A -target would otherwise scale the padded frame back to its own size.
    if (scan.picture) {
        plan.finalSize = std::to_string(outW) + "x" + std::to_string(outH);
    }
    return {};
}

// -async N was a shortcut for the aresample filter; ffmpeg 7 has only the filter.
std::string AsyncPlan(const Scan& scan, RunMode mode, const FfmpegFeatures& features, Plan& plan) {
    int samples = 0;
    if (scan.async && !features.hasAsync && !ParseInt(*scan.async, samples)) {
        return "cannot translate -async " + *scan.async + ": a number of samples is expected";
    }
    plan.asyncFilter = scan.async && !features.hasAsync && samples > 0 && mode == RunMode::Encode &&
                       !scan.audioOff && !scan.audioCopy;
    return {};
}

// The AviSynth route reads the picture from the script and the sound from the source. The old
// ffmpeg took the first video and the first audio stream across its inputs; today's takes the
// largest picture, which may be the unedited source's.
void Maps(const Scan& scan, RunMode mode, Plan& plan) {
    if (mode != RunMode::Encode || scan.hasMap || scan.inputs < 2 || scan.y4mInput < 0) {
        return;
    }
    if (!scan.videoOff) {
        plan.maps.push_back(std::to_string(scan.y4mInput) + ":v:0");
    }
    if (!scan.audioOff && scan.firstOtherInput >= 0) {
        plan.maps.push_back(std::to_string(scan.firstOtherInput) + ":a:0?");
    }
}

// What replaces the old options goes last among the output's options, after any -target, so
// that nothing set there overrides it.
void WritePlan(const Scan& scan, const Plan& plan, Translation& t) {
    if (plan.geometry) {
        t.args.insert(t.args.end(), {"-vf", plan.chain});
        if (!plan.finalSize.empty()) {
            t.args.insert(t.args.end(), {"-s", plan.finalSize});
        }
    }
    if (plan.asyncFilter) {
        std::string filter = "aresample=async=" + *scan.async + ":first_pts=0";
        t.args.insert(t.args.end(), {"-af", scan.userAf ? *scan.userAf + "," + filter : filter});
    }
    for (const std::string& map : plan.maps) {
        t.args.insert(t.args.end(), {"-map", map});
    }
}

// True when the item is left out: an old option with no meaning today, or one the plan replaces.
bool Dropped(const Scan& scan, const Plan& plan, const FfmpegFeatures& features, int i,
             Translation& t) {
    const ArgItem& item = scan.items[i];
    const std::string_view base = item.Base();
    if (base == "hq" || base == "sameq" || base == "same_quant") {
        t.notes.push_back("-" + item.option +
                          " dropped: today's ffmpeg has no such option; the bitrate and "
                          "quantizer options decide the quality");
        return true;
    }
    if (IsCodecOption(item.option) && !item.hasValue) {
        t.notes.push_back("-" + item.option + " without a codec name dropped");
        return true;
    }
    if (item.option == "async" && !features.hasAsync) {
        return true;
    }
    if (!scan.InSection(i)) {
        return false;
    }
    bool isCrop = false;
    Side side = kTop;
    return GeometryOption(base, isCrop, side) || base == "padcolor" ||
           (plan.geometry && IsVideoFilterOption(item)) ||
           (plan.geometry && scan.picture && item.option == "s") ||
           (plan.asyncFilter && IsAudioFilterOption(item));
}

// Today's names for what stays: decoders, libfaac, the map form.
ArgItem Modernised(const Scan& scan, int i) {
    ArgItem item = scan.items[i];
    if (IsCodecOption(item.option) && i < scan.sectionStart) {
        item.value = DecoderFor(item.value);
    }
    if (IsCodecOption(item.option) && item.value == "libfaac") {
        item.value = "aac";
    }
    if (item.option == "map") {
        if (auto modern = ModernMap(item.value)) {
            item.value = *modern;
        }
    }
    return item;
}

void Write(const Scan& scan, const Plan& plan, const FfmpegFeatures& features, Translation& t) {
    for (int i = 0; i < static_cast<int>(scan.items.size()); ++i) {
        if (i == scan.sectionEnd) {
            WritePlan(scan, plan, t);
        }
        if (!Dropped(scan, plan, features, i, t)) {
            Modernised(scan, i).AppendTo(t.args);
        }
    }
    if (scan.sectionEnd == static_cast<int>(scan.items.size())) {
        WritePlan(scan, plan, t);
    }
}

}  // namespace

Translation TranslateFfmpegArguments(const std::vector<std::string>& args,
                                     const FfmpegFeatures& features) {
    Translation t;
    Scan scan;
    scan.items = SplitArguments(args);
    FindSections(scan);
    if (scan.inputs == 0) {
        t.args = args;
        return t;
    }
    t.mode = scan.output < 0 ? RunMode::Probe : RunMode::Encode;
    Plan plan;
    t.error = MissingValue(scan.items);
    if (t.error.empty()) {
        t.error = ScanItems(scan);
    }
    if (t.error.empty()) {
        t.error = FilterChain(scan, plan);
    }
    if (t.error.empty()) {
        t.error = AsyncPlan(scan, t.mode, features, plan);
    }
    if (!t.error.empty()) {
        return t;
    }
    Maps(scan, t.mode, plan);
    Write(scan, plan, features, t);
    return t;
}

}  // namespace mk::toolkit
