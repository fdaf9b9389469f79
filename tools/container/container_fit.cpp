#include "container/container_fit.h"

#include <algorithm>
#include <cctype>

namespace mk::toolkit {

namespace {

struct AudioMuxer {
    std::string_view name;
    std::string_view extensions;  // as ffmpeg 4.x to 7.x register them
    std::string_view codecs;      // what its files can hold
    std::string_view shown;       // for the note
};

// The muxers that write one codec's frames bare. Every other muxer keeps codec tags and refuses
// a codec it cannot hold, so ffmpeg's own error says it.
constexpr AudioMuxer kAudioMuxers[] = {
    {"mp3", ",mp3,", ",mp3,", "MP3"},
    // ffmpeg 4 and 5 also put MP3 frames there; 7 refuses all but MP2.
    {"mp2", ",mp2,m2a,mpa,", ",mp2,", "MPEG audio"},
    {"ac3", ",ac3,", ",ac3,", "raw AC-3"},
    {"eac3", ",eac3,", ",eac3,", "raw E-AC-3"},
    {"adts", ",aac,adts,", ",aac,", "ADTS"},
    {"dts", ",dts,", ",dts,", "raw DTS"},
    {"truehd", ",thd,", ",truehd,", "raw TrueHD"},
    {"flac", ",flac,", ",flac,", "FLAC"},
};

const AudioMuxer* FindMuxer(std::string_view name) {
    for (const AudioMuxer& m : kAudioMuxers) {
        if (m.name == name) {
            return &m;
        }
    }
    return nullptr;
}

bool Lists(std::string_view list, std::string_view word) {
    return !word.empty() && list.find("," + std::string(word) + ",") != std::string_view::npos;
}

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

std::string TargetMuxer(std::string_view target) {
    const size_t dash = target.find('-');
    std::string_view kind = dash == std::string_view::npos ? target : target.substr(dash + 1);
    for (std::string_view m : {"vcd", "svcd", "dvd", "dv", "dv50"}) {
        if (kind == m) {
            return std::string(kind == "dv50" ? "dv" : kind);
        }
    }
    return {};
}

// "0:2" or "1:a:0" (with or without a trailing "?") against the inputs' streams.
const StreamInfo* MappedAudio(std::string map, const std::vector<StreamInfo>& streams) {
    if (!map.empty() && map.back() == '?') {
        map.pop_back();
    }
    const size_t colon = map.find(':');
    if (colon == std::string::npos) {
        return nullptr;
    }
    const std::string file = map.substr(0, colon), rest = map.substr(colon + 1);
    int audioSeen = 0;
    for (const StreamInfo& s : streams) {
        if (std::to_string(s.file) != file) {
            continue;
        }
        if (rest == std::to_string(s.index)) {
            return &s;
        }
        if (s.kind == "Audio" && rest == "a:" + std::to_string(audioSeen++)) {
            return &s;
        }
    }
    return nullptr;
}

}  // namespace

std::string OutputMuxer(const std::vector<ArgItem>& items) {
    const int output = OutputIndex(items);
    if (output < 0) {
        return {};
    }
    std::string muxer;
    for (int i = OutputSectionStart(items, output); i < output; ++i) {
        if (items[i].option == "f") {
            return items[i].value;
        }
        if (items[i].option == "target") {
            muxer = TargetMuxer(items[i].value);
        }
    }
    if (!muxer.empty()) {
        return muxer;
    }
    const std::string extension = FileExtension(items[output].value);
    if (extension.empty()) {
        return {};
    }
    for (const AudioMuxer& m : kAudioMuxers) {
        if (Lists(m.extensions, extension)) {
            return std::string(m.name);
        }
    }
    return {};
}

std::string FileExtension(const std::string& name) {
    const size_t dot = name.rfind('.');
    if (dot == std::string::npos || name.find('/', dot) != std::string::npos) {
        return {};
    }
    return Lower(name.substr(dot + 1));
}

std::string OutputOptionValue(const std::vector<ArgItem>& items,
                              std::initializer_list<std::string_view> options,
                              std::string_view off) {
    const int output = OutputIndex(items);
    std::string value;
    for (int i = OutputSectionStart(items, output); i < output; ++i) {
        if (items[i].option == off) {
            return "-";
        }
        if (items[i].hasValue &&
            std::find(options.begin(), options.end(), items[i].option) != options.end()) {
            value = items[i].value;
        }
    }
    return value;
}

std::string OutputAudioEncoder(const std::vector<ArgItem>& items) {
    return OutputOptionValue(items, {"acodec", "c:a", "codec:a", "c", "codec"}, "an");
}

std::string OutputVideoEncoder(const std::vector<ArgItem>& items) {
    return OutputOptionValue(items, {"vcodec", "c:v", "codec:v", "c", "codec"}, "vn");
}

std::string CodecOfEncoder(std::string_view encoder) {
    static constexpr std::pair<std::string_view, std::string_view> kEncoders[] = {
        {"libmp3lame", "mp3"}, {"libshine", "mp3"}, {"mp3_mf", "mp3"},       {"libfaac", "aac"},
        {"libfdk_aac", "aac"}, {"aac_mf", "aac"},   {"ac3_fixed", "ac3"},    {"mp2fixed", "mp2"},
        {"libtwolame", "mp2"}, {"dca", "dts"},      {"libvorbis", "vorbis"}, {"libopus", "opus"},
        {"aac_at", "aac"},     {"ac3_mf", "ac3"},   {"libx264", "h264"},     {"libx265", "hevc"},
        {"libxvid", "mpeg4"},
    };
    for (auto [name, codec] : kEncoders) {
        if (encoder == name) {
            return std::string(codec);
        }
    }
    // Most encoders carry their codec's name.
    return std::string(encoder);
}

std::string CopiedAudioCodec(const std::vector<ArgItem>& items,
                             const std::vector<StreamInfo>& streams) {
    const StreamInfo* copied = CopiedAudioStream(items, streams);
    return copied ? copied->codec : std::string();
}

const StreamInfo* CopiedAudioStream(const std::vector<ArgItem>& items,
                                    const std::vector<StreamInfo>& streams) {
    const int output = OutputIndex(items);
    bool mapped = false;
    for (int i = OutputSectionStart(items, output); i < output; ++i) {
        if (items[i].option != "map") {
            continue;
        }
        mapped = true;
        if (const StreamInfo* s = MappedAudio(items[i].value, streams); s && s->kind == "Audio") {
            return s;
        }
    }
    if (mapped) {
        return nullptr;
    }
    const StreamInfo* best = nullptr;
    for (const StreamInfo& s : streams) {
        if (s.kind == "Audio" && (!best || s.channels > best->channels)) {
            best = &s;
        }
    }
    return best;
}

bool IsSingleCodecAudioMuxer(std::string_view muxer) {
    return FindMuxer(muxer) != nullptr;
}

ContainerFit FitAudioContainer(const std::string& muxer, const std::string& codec,
                               const std::string& outputName) {
    const AudioMuxer* named = FindMuxer(muxer);
    if (!named || codec.empty() || Lists(named->codecs, codec)) {
        return {};
    }
    const AudioMuxer* fit = nullptr;
    for (const AudioMuxer& m : kAudioMuxers) {
        if (!fit && Lists(m.codecs, codec)) {
            fit = &m;
        }
    }
    ContainerFit result;
    result.muxer = fit ? std::string(fit->name) : "matroska";
    const std::string shown = fit ? std::string(fit->shown) : "Matroska audio";
    result.note = outputName + " is written as " + shown + ": " + std::string(named->shown) +
                  " cannot hold " + codec + " audio";
    return result;
}

void ForceMuxer(std::vector<ArgItem>& items, const std::string& muxer) {
    const int output = OutputIndex(items);
    for (int i = OutputSectionStart(items, output); i < output; ++i) {
        if (items[i].option == "f") {
            items[i].value = muxer;
            return;
        }
    }
    items.insert(items.begin() + output, ArgItem{"f", muxer, true});
}

}  // namespace mk::toolkit
