#include "rules/control_rules.h"

#include "command/targets.h"
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

void AddSize(Builder& b, const Target& row, const std::string& format) {
    const SizePreset& size = format == "pal" ? row.pal : row.otherFormat;
    b.SetText(IDC_WIDTH, size.width);
    b.SetText(IDC_HEIGHT, size.height);
    b.SetEnabled(IDC_WIDTH, row.sizeEditable);
    b.SetEnabled(IDC_HEIGHT, row.sizeEditable);
}

// Any text but a list word disables the video bitrate and writes nothing.
void AddVideoPresets(Builder& b, const EncoderFields& f) {
    const Target* row = FindTarget(f.m_strTarget);
    if (!row) {
        b.Disable(IDC_VIDEO_BITRATE);
        return;
    }
    b.SetText(IDC_VIDEO_BITRATE, row->videoBitrate);
    b.SetEnabled(IDC_VIDEO_BITRATE, row->videoBitrateEditable);
    AddSize(b, *row, f.m_strFormat);
}

// The audio presets of the target and the current audio target; the Process boxes are not asked.
void AddAudioPresets(Builder& b, const EncoderFields& f) {
    const Target* row = FindTarget(f.m_strTarget);
    if (!row || !row->videoBitrateEditable) {
        b.Disable(IDC_VIDEO_BITRATE);
    }
    if (!row) {
        return;
    }
    b.SetEnabled(IDC_AUDIO_TARGET, row->audioTargetEditable);
    b.SetEnabled(IDC_AUDIO_BITRATE, row->audioBitrateEditable);
    const AudioPreset* preset = AudioPresetFor(*row, f.m_strAudioTarget);
    if (!preset) {
        return;  // dvd with "aac", "copy" or a typed text: bitrate and channels stay as they were
    }
    if (!preset->newAudioTarget.empty()) {
        b.SetText(IDC_AUDIO_TARGET, preset->newAudioTarget);
    }
    b.SetText(IDC_AUDIO_BITRATE, preset->bitrate);
    if (preset->channels.empty()) {
        b.Enable(IDC_CHANNELS);
    } else {
        b.SetText(IDC_CHANNELS, preset->channels);
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
    if (const Target* row = FindTarget(f.m_strTarget)) {
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
