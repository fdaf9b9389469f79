#include "rules/control_rules.h"

#include <algorithm>
#include <string_view>

#include "res/resource.h"

namespace mk {

using namespace ids;

const std::array<int, 23> kGovernedControls = {
    IDC_MORE_OPTIONS,  IDC_SAVE_FILE,     IDC_GENERATE,
    IDC_COMMAND,       IDC_OUTPUT_FILE,   IDOK,
    IDC_PREVIEW,       IDC_TARGET,        IDC_FORMAT,
    IDC_ASPECT,        IDC_CORRECT_RATIO, IDC_VIDEO_BITRATE,
    IDC_WIDTH,         IDC_HEIGHT,        IDC_AUDIO_TARGET,
    IDC_AUDIO_BITRATE, IDC_CHANNELS,      IDC_AUDIO_STREAM,
    IDC_VIDEO_STREAM,  IDC_USE_AVISYNTH,  IDC_TEST,
    IDC_PROCESS_AUDIO, IDC_PROCESS_VIDEO,
};

namespace {

// Video presets per target. Sizes come as "pal" / any other format.
struct VideoPreset {
    std::string_view target;
    std::string_view bitrate;
    bool bitrateEditable;
    std::string_view widthPal, widthOther;
    std::string_view heightPal, heightOther;
    bool sizeEditable;
};

constexpr std::array<VideoPreset, 5> kVideoPresets = {{
    {"dvd", "6000", true, "720", "720", "576", "480", false},
    {"mpeg4", "900", true, "352", "320", "288", "240", true},
    {"h263", "200", false, "176", "176", "144", "144", false},
    {"svcd", "2040", false, "480", "480", "576", "480", false},
    {"vcd", "1150", false, "352", "352", "288", "240", false},
}};

// Audio presets for the targets that fix the audio; "dvd" goes by the audio target instead.
struct AudioPreset {
    std::string_view target;
    std::string_view audioTarget;
    std::string_view bitrate;
    bool bitrateEditable;
    std::string_view channels;
};

constexpr std::array<AudioPreset, 4> kAudioPresets = {{
    {"mpeg4", "mp3", "128", true, "2"},
    {"h263", "aac", "16", false, "1"},
    {"svcd", "mp2", "224", false, "2"},
    {"vcd", "mp2", "224", false, "2"},
}};

// The dvd target by the current audio target. An empty text leaves that control alone; a
// non-empty channel text also fixes the channels, otherwise they are merely enabled.
struct DvdAudioPreset {
    std::string_view audioTarget;
    std::string_view newAudioTarget;
    std::string_view bitrate;
    std::string_view fixedChannels;
};

constexpr std::array<DvdAudioPreset, 3> kDvdAudioPresets = {{
    {"ac3", "", "448", ""},
    {"mp2", "", "224", "2"},
    {"mp3", "ac3", "448", ""},
}};

template <typename Table>
auto Find(const Table& table, std::string_view target) -> const typename Table::value_type* {
    auto it = std::find_if(table.begin(), table.end(),
                           [&](const auto& row) { return row.target == target; });
    return it == table.end() ? nullptr : &*it;
}

const VideoPreset* FindVideo(std::string_view target) {
    return Find(kVideoPresets, target);
}

// "dvd" and "mpeg4" keep the video bitrate editable; every other text disables it.
bool VideoBitrateEditable(std::string_view target) {
    const VideoPreset* row = FindVideo(target);
    return row && row->bitrateEditable;
}

class Builder {
public:
    void Enable(int id) { m_out.push_back({ChangeKind::Enable, id, {}}); }
    void Disable(int id) { m_out.push_back({ChangeKind::Disable, id, {}}); }
    void SetEnabled(int id, bool on) { on ? Enable(id) : Disable(id); }
    void SetText(int id, std::string_view text) {
        m_out.push_back({ChangeKind::SetText, id, std::string(text)});
    }
    void ClearAviSynth() {
        m_out.push_back({ChangeKind::ClearAviSynthCheck, IDC_USE_AVISYNTH, {}});
    }
    void Append(const ControlChanges& more) { m_out.insert(m_out.end(), more.begin(), more.end()); }
    ControlChanges Take() { return std::move(m_out); }

private:
    ControlChanges m_out;
};

void AddSize(Builder& b, const VideoPreset& row, const std::string& format) {
    const bool pal = format == "pal";
    b.SetText(IDC_WIDTH, pal ? row.widthPal : row.widthOther);
    b.SetText(IDC_HEIGHT, pal ? row.heightPal : row.heightOther);
    b.SetEnabled(IDC_WIDTH, row.sizeEditable);
    b.SetEnabled(IDC_HEIGHT, row.sizeEditable);
}

void AddVideoPresets(Builder& b, const EncoderFields& f) {
    const VideoPreset* row = FindVideo(f.m_strTarget);
    if (VideoBitrateEditable(f.m_strTarget)) {
        b.SetText(IDC_VIDEO_BITRATE, row->bitrate);
        b.Enable(IDC_VIDEO_BITRATE);
        AddSize(b, *row, f.m_strFormat);
        return;
    }
    b.Disable(IDC_VIDEO_BITRATE);
    if (row) {
        b.SetText(IDC_VIDEO_BITRATE, row->bitrate);
        AddSize(b, *row, f.m_strFormat);
    }
}

void AddDvdAudio(Builder& b, const EncoderFields& f) {
    b.Enable(IDC_AUDIO_TARGET);
    b.Disable(IDC_AUDIO_BITRATE);
    const DvdAudioPreset* row = nullptr;
    for (const DvdAudioPreset& r : kDvdAudioPresets) {
        if (r.audioTarget == f.m_strAudioTarget) {
            row = &r;
            break;
        }
    }
    if (!row) {
        return;  // "aac", "copy", typed texts: bitrate stays as it was, channels untouched
    }
    if (!row->newAudioTarget.empty()) {
        b.SetText(IDC_AUDIO_TARGET, row->newAudioTarget);
    }
    b.SetText(IDC_AUDIO_BITRATE, row->bitrate);
    if (row->fixedChannels.empty()) {
        b.Enable(IDC_CHANNELS);
    } else {
        b.SetText(IDC_CHANNELS, row->fixedChannels);
        b.Disable(IDC_CHANNELS);
    }
}

void AddAudioPresets(Builder& b, const EncoderFields& f) {
    if (f.m_strTarget == "dvd") {
        AddDvdAudio(b, f);
        return;
    }
    if (!VideoBitrateEditable(f.m_strTarget)) {
        b.Disable(IDC_VIDEO_BITRATE);
    }
    if (const AudioPreset* row = Find(kAudioPresets, f.m_strTarget)) {
        b.SetText(IDC_AUDIO_TARGET, row->audioTarget);
        b.Disable(IDC_AUDIO_TARGET);
        b.SetText(IDC_AUDIO_BITRATE, row->bitrate);
        b.SetEnabled(IDC_AUDIO_BITRATE, row->bitrateEditable);
        b.SetText(IDC_CHANNELS, row->channels);
        b.Disable(IDC_CHANNELS);
    }
}

}  // namespace

ControlChanges EnableAllControls() {
    Builder b;
    for (int id : kGovernedControls) {
        b.Enable(id);
        if (id == IDC_USE_AVISYNTH) {
            b.ClearAviSynth();
        }
    }
    return b.Take();
}

ControlChanges LockForm(const EncoderFields& f) {
    Builder b;
    for (int id : kGovernedControls) {
        b.Disable(id);
        if (id == IDC_USE_AVISYNTH) {
            b.ClearAviSynth();
        }
    }
    ControlChanges out = b.Take();
    out.push_back({ChangeKind::FileMissingBox, 0, f.m_strSourceFile});
    return out;
}

ControlChanges SetOutputButtons(const EncoderFields& f, bool outputExists) {
    Builder b;
    if (!f.m_strOutputFile.empty()) {
        b.Enable(IDOK);
        b.Enable(IDC_GENERATE);
        b.SetEnabled(IDC_PREVIEW, outputExists);
    } else {
        b.Disable(IDOK);
        b.Disable(IDC_PREVIEW);
        b.Disable(IDC_GENERATE);
    }
    return b.Take();
}

ControlChanges SetVobControls(const EncoderFields& f) {
    Builder b;
    if (IsVobExtension(f.m_strSourceExt)) {
        b.Enable(IDC_VIDEO_STREAM);
        b.Disable(IDC_USE_AVISYNTH);
        b.ClearAviSynth();
    } else {
        b.Disable(IDC_VIDEO_STREAM);
        b.Enable(IDC_USE_AVISYNTH);
    }
    return b.Take();
}

ControlChanges SizePresets(const EncoderFields& f) {
    Builder b;
    if (const VideoPreset* row = FindVideo(f.m_strTarget)) {
        AddSize(b, *row, f.m_strFormat);
    }
    return b.Take();
}

ControlChanges AudioPresets(const EncoderFields& f) {
    Builder b;
    AddAudioPresets(b, f);
    return b.Take();
}

ControlChanges ApplyControlRules(const EncoderFields& f, const RuleContext& ctx) {
    if (!ctx.presetting) {
        return EnableAllControls();
    }
    if (!ctx.sourceExists || f.m_strSourceFile.empty()) {
        return LockForm(f);
    }
    Builder b;
    b.Enable(IDC_PROCESS_VIDEO);
    b.Enable(IDC_PROCESS_AUDIO);

    const bool video = f.m_bProcessVideo != 0;
    const bool audio = f.m_bProcessAudio != 0;
    const bool vob = IsVobExtension(f.m_strSourceExt);

    if (!video && !audio) {
        for (int id : kGovernedControls) {
            if (id == IDC_PROCESS_AUDIO || id == IDC_PROCESS_VIDEO) {
                continue;
            }
            b.Disable(id);
            if (id == IDC_USE_AVISYNTH) {
                b.ClearAviSynth();
            }
        }
        return b.Take();
    }

    b.Enable(IDC_MORE_OPTIONS);
    b.Enable(IDC_SAVE_FILE);
    b.Enable(IDC_COMMAND);
    b.Enable(IDC_OUTPUT_FILE);
    b.Append(SetOutputButtons(f, ctx.outputExists && !f.m_strOutputFile.empty()));

    if (video) {
        for (int id : {IDC_TARGET, IDC_FORMAT, IDC_ASPECT, IDC_CORRECT_RATIO}) {
            b.Enable(id);
        }
        b.Append(SetVobControls(f));
        AddVideoPresets(b, f);
    } else {
        for (int id : {IDC_TARGET, IDC_FORMAT, IDC_ASPECT, IDC_CORRECT_RATIO, IDC_VIDEO_BITRATE,
                       IDC_WIDTH, IDC_HEIGHT, IDC_VIDEO_STREAM, IDC_USE_AVISYNTH}) {
            b.Disable(id);
        }
        b.ClearAviSynth();
    }

    if (audio) {
        b.Enable(IDC_AUDIO_TARGET);
        b.SetEnabled(IDC_AUDIO_STREAM, vob);
        b.SetEnabled(IDC_TEST, vob);
        if (video) {
            AddAudioPresets(b, f);
        } else {
            // Audio alone: the user picks bitrate and channels; Encode needs no output path here.
            b.Enable(IDC_AUDIO_BITRATE);
            b.Enable(IDC_CHANNELS);
            b.Enable(IDOK);
        }
    } else {
        for (int id :
             {IDC_AUDIO_TARGET, IDC_AUDIO_BITRATE, IDC_CHANNELS, IDC_AUDIO_STREAM, IDC_TEST}) {
            b.Disable(id);
        }
    }
    return b.Take();
}

}  // namespace mk
