#include "common/translate.h"

#include <algorithm>
#include <charconv>
#include <tuple>

#include "common/ffmpeg_options.h"

namespace mk::toolkit {

namespace {

bool ParseInt(std::string_view text, int& out) {
    if (text.empty())
        return false;
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
            !IsDigits(sync.substr(dot + 1)))
            return std::nullopt;
    }
    const size_t dot = stream.find('.');
    if (dot == std::string_view::npos)
        return std::nullopt;
    std::string_view file = stream.substr(0, dot), index = stream.substr(dot + 1);
    if (!IsDigits(file) || !IsDigits(index))
        return std::nullopt;
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
    for (auto [name, decoder] : kDecoders)
        if (codec == name)
            return std::string(decoder);
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
        if (name.substr(0, prefix.size()) != prefix)
            continue;
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
    for (auto [name, size] : kNames)
        if (text == name)
            return size;
    const size_t x = text.find('x');
    int w = 0, h = 0;
    if (x == std::string_view::npos || !ParseInt(text.substr(0, x), w) ||
        !ParseInt(text.substr(x + 1), h) || w <= 0 || h <= 0)
        return std::nullopt;
    return std::make_pair(w, h);
}

std::optional<std::pair<int, int>> TargetFrameSize(std::string_view target) {
    const size_t dash = target.find('-');
    if (dash == std::string_view::npos)
        return std::nullopt;
    std::string_view norm = target.substr(0, dash), kind = target.substr(dash + 1);
    if (norm != "pal" && norm != "ntsc" && norm != "film")
        return std::nullopt;
    const bool pal = norm == "pal";
    if (kind == "vcd")
        return std::make_pair(352, pal ? 288 : 240);
    if (kind == "svcd")
        return std::make_pair(480, pal ? 576 : 480);
    if (kind == "dvd" || kind == "dv" || kind == "dv50")
        return std::make_pair(720, pal ? 576 : 480);
    return std::nullopt;
}

bool NeedsFeatures(const std::vector<std::string>& args) {
    for (const ArgItem& item : SplitArguments(args))
        if (item.option == "async")
            return true;
    return false;
}

Translation TranslateFfmpegArguments(const std::vector<std::string>& args,
                                     const FfmpegFeatures& features) {
    Translation t;
    std::vector<ArgItem> items = SplitArguments(args);

    int output = -1;
    int inputs = 0;
    for (size_t i = 0; i < items.size(); ++i) {
        if (items[i].option == "i")
            ++inputs;
        if (items[i].IsFile())
            output = static_cast<int>(i);
    }
    if (inputs == 0) {
        t.args = args;
        return t;
    }
    t.mode = output < 0 ? RunMode::Probe : RunMode::Encode;

    // An option left without its value (the last word of the line) would take the next word
    // as its value once options are moved in front of the output file below.
    for (const ArgItem& item : items) {
        if (!item.IsFile() && !item.hasValue && !IsStandaloneOption(item.option) &&
            !IsCodecOption(item.option)) {
            t.error = "cannot translate -" + item.option + ": its value is missing";
            return t;
        }
    }

    // The old ffmpeg applied options written after the output file name to that output; today's
    // ignores them with a warning. Put them in front of it.
    if (output >= 0 && output + 1 < static_cast<int>(items.size())) {
        std::rotate(items.begin() + output, items.begin() + output + 1, items.end());
        output = static_cast<int>(items.size()) - 1;
    }

    // The output's own options run from after the last input or earlier output file.
    int sectionStart = 0;
    for (int i = 0; i < static_cast<int>(items.size()); ++i)
        if (i != output && (items[i].option == "i" || items[i].IsFile()))
            sectionStart = i + 1;
    const int sectionEnd = output >= 0 ? output : static_cast<int>(items.size());
    auto inSection = [&](int i) { return i >= sectionStart && i < sectionEnd; };

    // First pass: what the output section asks for.
    Bars crop, pad;
    std::string padColor;
    // The picture size the old ffmpeg scaled to: the last -s or -target of the output.
    long long pw = 0, ph = 0;
    bool picture = false;
    std::string pictureSource;  // the option that set `picture`, for messages
    bool pictureUnknown = false;
    std::optional<std::string> userVf, userAf;
    bool audioOff = false, videoOff = false, audioCopy = false, hasMap = false;
    std::optional<std::string> async;
    int y4mInput = -1, firstOtherInput = -1, inputIndex = 0;
    bool nextInputIsY4m = false;
    for (int i = 0; i < static_cast<int>(items.size()); ++i) {
        const ArgItem& item = items[i];
        if (item.option == "map")
            hasMap = true;
        if (item.option == "async" && item.hasValue)
            async = item.value;
        if (item.option == "f" && i < sectionStart)
            nextInputIsY4m = item.value == "yuv4mpegpipe";
        if (item.option == "i") {
            if (nextInputIsY4m && y4mInput < 0)
                y4mInput = inputIndex;
            else if (!nextInputIsY4m && firstOtherInput < 0)
                firstOtherInput = inputIndex;
            nextInputIsY4m = false;
            ++inputIndex;
        }
        bool isCrop = false;
        Side side = kTop;
        // Options of an earlier output are passed on as they stand; the old geometry options
        // among them would reach today's ffmpeg, which has none of them.
        if (!inSection(i) &&
            (GeometryOption(item.Base(), isCrop, side) || item.Base() == "padcolor")) {
            t.error = "cannot translate -" + item.option +
                      ": cropping and padding are translated only for the last output file";
            return t;
        }
        if (!inSection(i))
            continue;
        if (GeometryOption(item.Base(), isCrop, side)) {
            int v = 0;
            if (!item.hasValue || !ParseInt(item.value, v) || v < 0) {
                t.error = "cannot translate -" + item.option + " " + item.value + ": " +
                          (isCrop ? "cropping" : "padding") +
                          " takes a whole number of pixels, 0 or more";
                return t;
            }
            Bars& bars = isCrop ? crop : pad;
            bars.value[side] = v;
        } else if (item.Base() == "padcolor") {
            padColor = item.value;
        } else if (item.option == "s") {
            const auto size = ParseFrameSize(item.value);
            picture = size.has_value();
            std::tie(pw, ph) = size.value_or(std::make_pair(0, 0));
            pictureSource = "-s " + item.value;
            pictureUnknown = !picture;
        } else if (item.option == "target") {
            const auto size = TargetFrameSize(item.value);
            picture = size.has_value();
            std::tie(pw, ph) = size.value_or(std::make_pair(0, 0));
            pictureSource = "-target " + item.value;
            pictureUnknown = !picture;
        } else if (IsVideoFilterOption(item)) {
            userVf = item.value;
        } else if (IsAudioFilterOption(item)) {
            userAf = item.value;
        } else if (item.option == "an") {
            audioOff = true;
        } else if (item.option == "vn") {
            videoOff = true;
        } else if (SetsAudioCodec(item) && item.value == "copy") {
            audioCopy = true;
        }
    }

    // Crop, then scale to the picture size, then bars around it: the old options' order.
    const bool geometry = crop.Any() || pad.Any();
    std::string chain;
    std::string finalSize;
    if (geometry) {
        // Bars go around the scaled picture, so its size must be known here.
        if (pictureUnknown && pad.Any()) {
            t.error = "cannot translate the padding: the frame size of " + pictureSource +
                      " is not known here; give -s WIDTHxHEIGHT";
            return t;
        }
        auto add = [&chain](const std::string& filter) {
            chain += (chain.empty() ? "" : ",") + filter;
        };
        const long long* c = crop.value;
        const long long* p = pad.value;
        if (crop.Any())
            add("crop=iw-" + std::to_string(c[kLeft] + c[kRight]) + ":ih-" +
                std::to_string(c[kTop] + c[kBottom]) + ":" + std::to_string(c[kLeft]) + ":" +
                std::to_string(c[kTop]));
        if (userVf)
            add(*userVf);
        if (picture)
            add("scale=" + std::to_string(pw) + ":" + std::to_string(ph));
        if (pad.Any()) {
            const std::string h = std::to_string(p[kLeft] + p[kRight]);
            const std::string v = std::to_string(p[kTop] + p[kBottom]);
            std::string filter = picture ? "pad=" + std::to_string(pw + p[kLeft] + p[kRight]) +
                                               ":" + std::to_string(ph + p[kTop] + p[kBottom])
                                         : "pad=iw+" + h + ":ih+" + v;
            filter += ":" + std::to_string(p[kLeft]) + ":" + std::to_string(p[kTop]);
            if (!padColor.empty())
                filter += ":color=0x" + padColor;
            add(filter);
        }
        // A -target would otherwise scale the padded frame back to its own size.
        if (picture)
            finalSize = std::to_string(pw + p[kLeft] + p[kRight]) + "x" +
                        std::to_string(ph + p[kTop] + p[kBottom]);
    }

    // -async N was a shortcut for the aresample filter; ffmpeg 7 has only the filter.
    int asyncSamples = 0;
    const bool asyncFilter = async && !features.hasAsync && ParseInt(*async, asyncSamples) &&
                             asyncSamples > 0 && t.mode == RunMode::Encode && !audioOff &&
                             !audioCopy;
    if (async && !features.hasAsync && !ParseInt(*async, asyncSamples)) {
        t.error = "cannot translate -async " + *async + ": a number of samples is expected";
        return t;
    }

    // The AviSynth route reads the picture from the script and the sound from the source. The
    // old ffmpeg took the first video and the first audio stream across its inputs; today's
    // takes the largest picture, which may be the unedited source's.
    std::vector<std::string> maps;
    if (t.mode == RunMode::Encode && !hasMap && inputs >= 2 && y4mInput >= 0) {
        if (!videoOff)
            maps.push_back(std::to_string(y4mInput) + ":v:0");
        if (!audioOff && firstOtherInput >= 0)
            maps.push_back(std::to_string(firstOtherInput) + ":a:0?");
    }

    // Second pass: write the words; what replaces the old options goes last among the output's
    // options, after any -target, so that nothing set there overrides it.
    auto closeSection = [&] {
        if (geometry) {
            t.args.insert(t.args.end(), {"-vf", chain});
            if (!finalSize.empty())
                t.args.insert(t.args.end(), {"-s", finalSize});
        }
        if (asyncFilter) {
            std::string filter = "aresample=async=" + *async + ":first_pts=0";
            t.args.insert(t.args.end(), {"-af", userAf ? *userAf + "," + filter : filter});
        }
        for (const std::string& map : maps)
            t.args.insert(t.args.end(), {"-map", map});
    };
    for (int i = 0; i < static_cast<int>(items.size()); ++i) {
        ArgItem item = items[i];
        if (i == sectionEnd)
            closeSection();
        const std::string_view base = item.Base();
        if (base == "hq" || base == "sameq" || base == "same_quant") {
            t.notes.push_back("-" + item.option +
                              " dropped: today's ffmpeg has no such option; the bitrate and "
                              "quantizer options decide the quality");
            continue;
        }
        if (IsCodecOption(item.option) && !item.hasValue) {
            t.notes.push_back("-" + item.option + " without a codec name dropped");
            continue;
        }
        if (item.option == "async" && !features.hasAsync)
            continue;
        if (inSection(i)) {
            bool isCrop = false;
            Side side = kTop;
            if (GeometryOption(item.Base(), isCrop, side) || item.Base() == "padcolor")
                continue;
            if (geometry && IsVideoFilterOption(item))
                continue;
            if (geometry && picture && item.option == "s")
                continue;
            if (asyncFilter && IsAudioFilterOption(item))
                continue;
        }
        if (IsCodecOption(item.option) && i < sectionStart)
            item.value = DecoderFor(item.value);
        if (IsCodecOption(item.option) && item.value == "libfaac")
            item.value = "aac";
        if (item.option == "map") {
            if (auto modern = ModernMap(item.value))
                item.value = *modern;
        }
        item.AppendTo(t.args);
    }
    if (sectionEnd == static_cast<int>(items.size()))
        closeSection();
    return t;
}

}  // namespace mk::toolkit
