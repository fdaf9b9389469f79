#include "readback/stream_list.h"

#include <cstdio>

#include <charconv>

namespace mk::toolkit {

namespace {

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) {
        s.remove_prefix(1);
    }
    while (!s.empty() && (s.back() == ' ' || s.back() == '\r')) {
        s.remove_suffix(1);
    }
    return s;
}

int Number(std::string_view text, size_t& pos) {
    int value = -1;
    auto [ptr, ec] = std::from_chars(text.data() + pos, text.data() + text.size(), value);
    pos = static_cast<size_t>(ptr - text.data());
    return ec == std::errc() ? value : -1;
}

// "stereo", "5.1(side)", "3 channels" ...
int ChannelsOf(std::string_view layout) {
    static constexpr std::pair<std::string_view, int> kLayouts[] = {
        {"mono", 1}, {"stereo", 2},    {"2.1", 3},       {"3.0", 3},     {"quad", 4}, {"4.0", 4},
        {"4.1", 5},  {"5.0", 5},       {"5.1", 6},       {"6.0", 6},     {"6.1", 7},  {"7.0", 7},
        {"7.1", 8},  {"hexagonal", 6}, {"octagonal", 8}, {"downmix", 2},
    };
    layout = layout.substr(0, layout.find('('));
    for (auto [name, n] : kLayouts) {
        if (layout == name) {
            return n;
        }
    }
    size_t pos = 0;
    const int n = Number(layout, pos);
    return n > 0 && layout.substr(pos) == " channels" ? n : 0;
}

// "  Stream #0:1[0x1c0](und): Audio: mp2, 48000 Hz, stereo, fltp, 224 kb/s"
bool ParseStreamLine(std::string_view line, StreamInfo& out) {
    line = Trim(line);
    constexpr std::string_view kStream = "Stream #";
    if (line.substr(0, kStream.size()) != kStream) {
        return false;
    }
    size_t pos = kStream.size();
    out.file = Number(line, pos);
    if (out.file < 0 || pos >= line.size() || (line[pos] != ':' && line[pos] != '.')) {
        return false;
    }
    ++pos;
    out.index = Number(line, pos);
    const size_t colon = line.find(": ", pos);
    if (out.index < 0 || colon == std::string_view::npos) {
        return false;
    }
    std::string_view rest = line.substr(colon + 2);
    const size_t kindEnd = rest.find(':');
    if (kindEnd == std::string_view::npos) {
        return false;
    }
    out.kind = std::string(rest.substr(0, kindEnd));
    rest = Trim(rest.substr(kindEnd + 1));
    const size_t codecEnd = rest.find_first_of(" ,");
    out.codec = std::string(rest.substr(0, codecEnd));
    out.channels = 0;
    if (out.kind == "Audio") {
        // codec ..., rate Hz, layout, ...
        const size_t hz = rest.find(" Hz, ");
        if (hz != std::string_view::npos) {
            std::string_view layout = rest.substr(hz + 5);
            out.channels = ChannelsOf(layout.substr(0, layout.find(',')));
        }
    }
    return true;
}

}  // namespace

std::vector<StreamInfo> ListStreams(std::string_view text, Section section) {
    std::vector<StreamInfo> streams;
    const std::string_view wanted = section == Section::Inputs ? "Input #" : "Output #";
    bool inSection = false;
    while (!text.empty()) {
        const size_t eol = text.find('\n');
        const std::string_view line = text.substr(0, eol);
        text = eol == std::string_view::npos ? std::string_view() : text.substr(eol + 1);
        if (line.substr(0, 7) == "Input #" || line.substr(0, 8) == "Output #") {
            inSection = line.substr(0, wanted.size()) == wanted;
            continue;
        }
        // The mapping lists "Stream #0:1 -> #0:1"; those are no stream descriptions. Other
        // lines may interrupt a section: a file name holding a line break, a demuxer's warning.
        if (line.substr(0, 14) == "Stream mapping") {
            inSection = false;
        }
        StreamInfo s;
        if (inSection && ParseStreamLine(line, s)) {
            streams.push_back(s);
        }
    }
    return streams;
}

namespace {

// "HH:MM:SS.xx" at the start of `text`.
std::optional<double> ClockTime(std::string_view text) {
    int h = 0, m = 0;
    double s = 0;
    if (std::sscanf(std::string(text.substr(0, 16)).c_str(), "%d:%d:%lf", &h, &m, &s) != 3) {
        return std::nullopt;
    }
    return h * 3600.0 + m * 60.0 + s;
}

}  // namespace

std::vector<std::optional<double>> InputDurations(std::string_view text) {
    std::vector<std::optional<double>> lengths;
    bool estimated = false, guessed = false, inInput = false;
    while (!text.empty()) {
        const size_t eol = text.find('\n');
        const std::string_view line = text.substr(0, eol);
        text = eol == std::string_view::npos ? std::string_view() : text.substr(eol + 1);
        // The demuxer warns while it opens the input, before the input's description.
        estimated = estimated || line.find("Estimating duration from bitrate") != line.npos;
        if (line.substr(0, 7) == "Input #") {
            lengths.emplace_back();
            guessed = estimated;
            estimated = false;
            inInput = true;
        } else if (line.substr(0, 8) == "Output #" || line.substr(0, 14) == "Stream mapping") {
            inInput = false;
        } else if (const std::string_view d = Trim(line);
                   inInput && !guessed && d.substr(0, 10) == "Duration: " && !lengths.back()) {
            lengths.back() = ClockTime(d.substr(10));
        }
    }
    return lengths;
}

std::optional<double> LastStatisticsTime(std::string_view text) {
    const size_t at = text.rfind("time=");
    return at == std::string_view::npos ? std::nullopt : ClockTime(text.substr(at + 5));
}

}  // namespace mk::toolkit
