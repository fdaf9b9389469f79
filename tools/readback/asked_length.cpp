#include "readback/asked_length.h"

#include <algorithm>
#include <cstdlib>
#include <string>

namespace mk::toolkit {

namespace {

bool Named(std::string_view name, std::initializer_list<std::string_view> names) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

std::optional<double> Number(std::string_view text) {
    const std::string s(text);
    char* end = nullptr;
    const double value = std::strtod(s.c_str(), &end);
    if (s.empty() || end != s.c_str() + s.size() || s.find_first_of("xXnNiI") != s.npos) {
        return std::nullopt;  // no hexadecimal, nan or infinity either
    }
    return value;
}

// A filter graph whose every filter keeps the length of its stream: the filters our
// translation writes and the common picture and sound adjustments. Any other (setpts, trim,
// select, atempo, ...) may change it; a graph read wrongly only counts as unknown.
bool KeepsLength(std::string_view graph) {
    static constexpr std::string_view kKeep[] = {
        "scale",      "pad",        "crop",      "setsar",   "setdar",    "format",   "yadif",
        "bwdif",      "fps",        "hflip",     "vflip",    "transpose", "hqdn3d",   "unsharp",
        "eq",         "drawtext",   "drawbox",   "null",     "copy",      "setfield", "fieldorder",
        "deblock",    "colorspace", "aresample", "aformat",  "anull",     "volume",   "pan",
        "channelmap", "highpass",   "lowpass",   "loudnorm", "dynaudnorm"};
    for (size_t pos = 0; pos <= graph.size();) {
        const size_t end = std::min(graph.find_first_of(",;", pos), graph.size());
        std::string_view filter = graph.substr(pos, end - pos);
        while (!filter.empty() && (filter[0] == ' ' || filter[0] == '[')) {
            filter.remove_prefix(filter[0] == '[' ? std::min(filter.find(']') + 1, filter.size())
                                                  : 1);
        }
        const std::string_view name = filter.substr(0, filter.find_first_of("=@[ "));
        if (!name.empty() &&
            std::find(std::begin(kKeep), std::end(kKeep), name) == std::end(kKeep)) {
            return false;
        }
        pos = end + 1;
    }
    return true;
}

// Options whose effect on the length this reading does not know.
bool LengthUnknownWith(const ArgItem& item, bool input) {
    const std::string_view base = item.Base();
    if (Named(base,
              {"frames", "vframes", "aframes", "dframes", "fs", "filter_complex", "lavfi",
               "filter_complex_script", "filter_script", "stream_loop", "itsscale", "sseof"})) {
        return true;
    }
    if (Named(base, {"vf", "af", "filter"})) {
        return !KeepsLength(item.value);
    }
    // A rate forced on an input retimes its frames; a format that reads no single file.
    return input &&
           (base == "r" ||
            (base == "f" && Named(item.value, {"lavfi", "concat", "image2", "image2pipe"})));
}

// The start (-ss) and limit (-t, or -to less the start) of one section of options.
struct Span {
    double start = 0;
    std::optional<double> limit;
    bool known = true;
};

Span SpanOf(const std::vector<ArgItem>& items, int from, int to, bool input) {
    Span span;
    std::optional<double> t, until;
    for (int i = from; i < to; ++i) {
        const ArgItem& item = items[i];
        if (LengthUnknownWith(item, input)) {
            span.known = false;
        }
        const std::optional<double> value =
            item.hasValue ? ParseDuration(item.value) : std::nullopt;
        if (Named(item.option, {"ss", "t", "to"}) && !value) {
            span.known = false;
        } else if (item.option == "ss") {
            span.start = *value;
        } else if (item.option == "t") {
            t = value;
        } else if (item.option == "to") {
            until = value;
        }
    }
    // ffmpeg takes -t over -to.
    span.limit = t ? t : until ? std::optional<double>(*until - span.start) : std::nullopt;
    return span;
}

bool ReadsOneFile(const std::string& name) {
    return name != "-" && name.substr(0, 5) != "pipe:" && name.find('%') == std::string::npos &&
           name.find("://") == std::string::npos;
}

}  // namespace

std::optional<double> ParseDuration(std::string_view text) {
    const bool negative = !text.empty() && text[0] == '-';
    text.remove_prefix(negative ? 1 : 0);
    double seconds = 0;
    if (text.find(':') != std::string_view::npos) {
        // [HH:]MM:SS[.m...]: whole hours and minutes, the seconds under 60.
        int fields = 0;
        for (size_t pos = 0; pos <= text.size(); ++fields) {
            const size_t end = std::min(text.find(':', pos), text.size());
            const std::optional<double> part = Number(text.substr(pos, end - pos));
            if (!part || *part < 0 || (end < text.size() && *part != static_cast<int>(*part))) {
                return std::nullopt;
            }
            seconds = seconds * 60 + *part;
            pos = end + 1;
        }
        if (fields > 3) {
            return std::nullopt;
        }
    } else {
        double unit = 1;
        for (auto [suffix, scale] :
             {std::pair<std::string_view, double>{"ms", 1e-3}, {"us", 1e-6}, {"s", 1}}) {
            if (text.ends_with(suffix)) {
                text.remove_suffix(suffix.size());
                unit = scale;
                break;
            }
        }
        const std::optional<double> value = Number(text);
        if (!value || text.find_first_of("eE+-") != std::string_view::npos) {
            return std::nullopt;
        }
        seconds = *value * unit;
    }
    return negative ? -seconds : seconds;
}

std::optional<double> AskedLength(const std::vector<ArgItem>& items,
                                  const std::vector<std::optional<double>>& inputLengths) {
    const int output = OutputIndex(items);
    if (output < 0) {
        return std::nullopt;
    }
    const int outputStart = OutputSectionStart(items, output);
    bool shortest = false;
    for (const ArgItem& item : items) {
        shortest = shortest || item.option == "shortest";
    }
    // Each input's options run from the item after the one before it up to its -i.
    std::optional<double> base;
    int from = 0;
    size_t n = 0;
    for (int i = 0; i < outputStart; ++i) {
        if (items[i].option != "i") {
            continue;
        }
        const Span span = SpanOf(items, from, i, true);
        const std::optional<double> length =
            n < inputLengths.size() ? inputLengths[n] : std::nullopt;
        if (!span.known || !length || !ReadsOneFile(items[i].value)) {
            return std::nullopt;
        }
        double seconds = std::max(0.0, *length - span.start);
        seconds = span.limit ? std::min(seconds, *span.limit) : seconds;
        base = base ? std::min(*base, seconds) : seconds;
        from = i + 1;
        ++n;
    }
    if (!base || (n > 1 && !shortest)) {
        return std::nullopt;
    }
    const Span span = SpanOf(items, from, output, false);
    if (!span.known) {
        return std::nullopt;
    }
    double seconds = std::max(0.0, *base - span.start);
    return span.limit ? std::min(seconds, *span.limit) : seconds;
}

bool KeepsEveryKind(const std::vector<StreamInfo>& inputs, const std::vector<StreamInfo>& written) {
    for (const StreamInfo& in : inputs) {
        const bool kept = std::any_of(written.begin(), written.end(),
                                      [&](const StreamInfo& w) { return w.kind == in.kind; });
        if (!kept && (in.kind == "Video" || in.kind == "Audio")) {
            return false;
        }
    }
    return true;
}

double LengthSlack(const std::vector<ArgItem>& items) {
    const int output = OutputIndex(items);
    std::optional<double> gop, rate;
    for (int i = output < 0 ? 0 : OutputSectionStart(items, output); i < output; ++i) {
        const std::string_view base = items[i].Base();
        if (base == "g") {
            gop = Number(items[i].value);
        } else if (base == "r") {
            const std::string& v = items[i].value;
            const size_t slash = v.find('/');
            const auto num = Number(v.substr(0, slash));
            const auto den =
                slash == std::string::npos ? std::optional<double>(1) : Number(v.substr(slash + 1));
            rate = num && den && *den > 0 ? std::optional<double>(*num / *den) : std::nullopt;
        }
    }
    return std::max(0.5, gop && rate && *rate > 0 ? *gop / *rate : 0.0);
}

}  // namespace mk::toolkit
