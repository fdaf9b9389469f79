#include "translate/quiet_options.h"

#include <string_view>

namespace mk::toolkit {

namespace {

// What ffmpeg's -target sets for one norm and kind, in ffmpeg 4.x to 7.x alike (opt_target).
std::vector<ArgItem> TargetOptions(std::string_view target) {
    const size_t dash = target.find('-');
    if (dash == std::string_view::npos) {
        return {};
    }
    const std::string_view norm = target.substr(0, dash), kind = target.substr(dash + 1);
    if (norm != "pal" && norm != "ntsc" && norm != "film") {
        return {};
    }
    const bool pal = norm == "pal";
    const std::string rate = pal ? "25" : norm == "ntsc" ? "30000/1001" : "24000/1001";
    const std::string gop = pal ? "15" : "18";
    auto o = [](const char* name, std::string value) { return ArgItem{name, value, true}; };
    if (kind == "vcd") {
        return {o("c:v", "mpeg1video"),
                o("c:a", "mp2"),
                o("f", "vcd"),
                o("s", pal ? "352x288" : "352x240"),
                o("r", rate),
                o("g", gop),
                o("b:v", "1150000"),
                o("maxrate:v", "1150000"),
                o("minrate:v", "1150000"),
                o("bufsize:v", "327680"),
                o("b:a", "224000"),
                o("ar", "44100"),
                o("ac", "2"),
                o("packetsize", "2324"),
                o("muxrate", "1411200"),
                o("muxpreload", "0.44")};
    }
    if (kind == "svcd") {
        return {o("c:v", "mpeg2video"),
                o("c:a", "mp2"),
                o("f", "svcd"),
                o("s", pal ? "480x576" : "480x480"),
                o("r", rate),
                o("pix_fmt", "yuv420p"),
                o("g", gop),
                o("b:v", "2040000"),
                o("maxrate:v", "2516000"),
                o("minrate:v", "0"),
                o("bufsize:v", "1835008"),
                o("scan_offset", "1"),
                o("b:a", "224000"),
                o("ar", "44100"),
                o("packetsize", "2324")};
    }
    if (kind == "dvd") {
        return {o("c:v", "mpeg2video"),
                o("c:a", "ac3"),
                o("f", "dvd"),
                o("s", pal ? "720x576" : "720x480"),
                o("r", rate),
                o("pix_fmt", "yuv420p"),
                o("g", gop),
                o("b:v", "6000000"),
                o("maxrate:v", "9000000"),
                o("minrate:v", "0"),
                o("bufsize:v", "1835008"),
                o("packetsize", "2048"),
                o("muxrate", "10080000"),
                o("b:a", "448000"),
                o("ar", "48000")};
    }
    return {};
}

// The per-stream option an item sets, by the stream kind it names; "" for every other option.
std::string_view PerStreamKind(const ArgItem& item) {
    static constexpr std::pair<std::string_view, std::string_view> kKinds[] = {
        {"vcodec", "codec:v"},
        {"c:v", "codec:v"},
        {"codec:v", "codec:v"},
        {"acodec", "codec:a"},
        {"c:a", "codec:a"},
        {"codec:a", "codec:a"},
        {"s", "s"},
        {"s:v", "s"},
        {"r", "r"},
        {"r:v", "r"},
        {"pix_fmt", "pix_fmt"},
        {"pix_fmt:v", "pix_fmt"},
        {"ar", "ar"},
        {"ar:a", "ar"},
        {"ac", "ac"},
        {"ac:a", "ac"},
        {"aspect", "aspect"},
        {"aspect:v", "aspect"},
        {"f", "f"},
    };
    for (auto [option, kind] : kKinds) {
        if (item.option == option && item.hasValue) {
            return kind;
        }
    }
    return {};
}

}  // namespace

std::vector<ArgItem> QuietOptions(std::vector<ArgItem> items) {
    const int output = OutputIndex(items);
    if (output < 0) {
        return items;
    }
    const int start = OutputSectionStart(items, output);
    std::vector<ArgItem> section;
    for (int i = start; i < output; ++i) {
        ArgItem item = items[i];
        if (item.option == "b") {
            item.option = "b:v";
        }
        const std::vector<ArgItem> target =
            item.option == "target" ? TargetOptions(item.value) : std::vector<ArgItem>{};
        if (!target.empty()) {
            section.insert(section.end(), target.begin(), target.end());
        } else {
            section.push_back(item);
        }
    }
    // The last of each kind is the one ffmpeg uses; the earlier ones only earn a warning.
    std::vector<ArgItem> kept;
    for (size_t i = 0; i < section.size(); ++i) {
        const std::string_view kind = PerStreamKind(section[i]);
        bool later = false;
        for (size_t j = i + 1; !kind.empty() && j < section.size(); ++j) {
            later = later || PerStreamKind(section[j]) == kind;
        }
        if (!later) {
            kept.push_back(section[i]);
        }
    }
    std::vector<ArgItem> result(items.begin(), items.begin() + start);
    result.insert(result.end(), kept.begin(), kept.end());
    result.insert(result.end(), items.begin() + output, items.end());
    return result;
}

}  // namespace mk::toolkit
