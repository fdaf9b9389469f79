#include "rules/control_rules.h"

#include "command/targets.h"

namespace mk {

const std::array<Field, 23> kGovernedFields = {
    Field::MoreOptions, Field::SaveFile,     Field::Generate,     Field::Command,
    Field::OutputFile,  Field::Encode,       Field::Preview,      Field::Target,
    Field::Format,      Field::Aspect,       Field::CorrectRatio, Field::VideoBitrate,
    Field::Width,       Field::Height,       Field::AudioTarget,  Field::AudioBitrate,
    Field::Channels,    Field::AudioStream,  Field::VideoStream,  Field::UseAviSynth,
    Field::Test,        Field::ProcessAudio, Field::ProcessVideo,
};

namespace {

class Builder {
public:
    void Enable(Field id) { m_out.push_back({ChangeKind::Enable, id, {}}); }
    void Disable(Field id) { m_out.push_back({ChangeKind::Disable, id, {}}); }
    void SetEnabled(Field id, bool on) { on ? Enable(id) : Disable(id); }
    void SetText(Field id, std::string_view text) {
        m_out.push_back({ChangeKind::SetText, id, std::string(text)});
    }
    void ClearAviSynth() {
        m_out.push_back({ChangeKind::ClearAviSynthCheck, Field::UseAviSynth, {}});
    }
    void Append(const ControlChanges& more) { m_out.insert(m_out.end(), more.begin(), more.end()); }
    ControlChanges Take() { return std::move(m_out); }

private:
    ControlChanges m_out;
};

void AddSize(Builder& b, const Target& row, const std::string& format) {
    const SizePreset& size = format == "pal" ? row.pal : row.otherFormat;
    b.SetText(Field::Width, size.width);
    b.SetText(Field::Height, size.height);
    b.SetEnabled(Field::Width, row.sizeEditable);
    b.SetEnabled(Field::Height, row.sizeEditable);
}

// Any text but a list word disables the video bitrate and writes nothing.
void AddVideoPresets(Builder& b, const EncoderFields& f) {
    const Target* row = FindTarget(f.m_strTarget);
    if (!row) {
        b.Disable(Field::VideoBitrate);
        return;
    }
    b.SetText(Field::VideoBitrate, row->videoBitrate);
    b.SetEnabled(Field::VideoBitrate, row->videoBitrateEditable);
    AddSize(b, *row, f.m_strFormat);
}

// The audio presets of the target and the current audio target; the Process boxes are not asked.
void AddAudioPresets(Builder& b, const EncoderFields& f) {
    const Target* row = FindTarget(f.m_strTarget);
    if (!row || !row->videoBitrateEditable) {
        b.Disable(Field::VideoBitrate);
    }
    if (!row) {
        return;
    }
    b.SetEnabled(Field::AudioTarget, row->audioTargetEditable);
    b.SetEnabled(Field::AudioBitrate, row->audioBitrateEditable);
    const AudioPreset* preset = AudioPresetFor(*row, f.m_strAudioTarget);
    if (!preset) {
        return;  // dvd with "aac", "copy" or a typed text: bitrate and channels stay as they were
    }
    if (!preset->newAudioTarget.empty()) {
        b.SetText(Field::AudioTarget, preset->newAudioTarget);
    }
    b.SetText(Field::AudioBitrate, preset->bitrate);
    if (preset->channels.empty()) {
        b.Enable(Field::Channels);
    } else {
        b.SetText(Field::Channels, preset->channels);
        b.Disable(Field::Channels);
    }
}

}  // namespace

ControlChanges EnableAllControls() {
    Builder b;
    for (Field id : kGovernedFields) {
        b.Enable(id);
        if (id == Field::UseAviSynth) {
            b.ClearAviSynth();
        }
    }
    return b.Take();
}

ControlChanges LockForm(const EncoderFields& f) {
    Builder b;
    for (Field id : kGovernedFields) {
        b.Disable(id);
        if (id == Field::UseAviSynth) {
            b.ClearAviSynth();
        }
    }
    ControlChanges out = b.Take();
    out.push_back({ChangeKind::FileMissingBox, Field::SourceFile, f.m_strSourceFile});
    return out;
}

ControlChanges SetOutputButtons(const EncoderFields& f, bool outputExists) {
    Builder b;
    if (!f.m_strOutputFile.empty()) {
        b.Enable(Field::Encode);
        b.Enable(Field::Generate);
        b.SetEnabled(Field::Preview, outputExists);
    } else {
        b.Disable(Field::Encode);
        b.Disable(Field::Preview);
        b.Disable(Field::Generate);
    }
    return b.Take();
}

ControlChanges SetVobControls(const EncoderFields& f) {
    Builder b;
    if (IsVobExtension(f.m_strSourceExt)) {
        b.Enable(Field::VideoStream);
        b.Disable(Field::UseAviSynth);
        b.ClearAviSynth();
    } else {
        b.Disable(Field::VideoStream);
        b.Enable(Field::UseAviSynth);
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

ControlChanges Presets(const EncoderFields& f) {
    Builder b;
    if (f.m_bProcessVideo != 0) {
        AddVideoPresets(b, f);
    }
    if (f.m_bProcessAudio != 0) {
        AddAudioPresets(b, f);
    }
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
    b.Enable(Field::ProcessVideo);
    b.Enable(Field::ProcessAudio);

    const bool video = f.m_bProcessVideo != 0;
    const bool audio = f.m_bProcessAudio != 0;
    const bool vob = IsVobExtension(f.m_strSourceExt);

    if (!video && !audio) {
        for (Field id : kGovernedFields) {
            if (id == Field::ProcessAudio || id == Field::ProcessVideo) {
                continue;
            }
            b.Disable(id);
            if (id == Field::UseAviSynth) {
                b.ClearAviSynth();
            }
        }
        return b.Take();
    }

    b.Enable(Field::MoreOptions);
    b.Enable(Field::SaveFile);
    b.Enable(Field::Command);
    b.Enable(Field::OutputFile);
    b.Append(SetOutputButtons(f, ctx.outputExists && !f.m_strOutputFile.empty()));

    if (video) {
        for (Field id : {Field::Target, Field::Format, Field::Aspect, Field::CorrectRatio}) {
            b.Enable(id);
        }
        b.Append(SetVobControls(f));
        AddVideoPresets(b, f);
    } else {
        for (Field id :
             {Field::Target, Field::Format, Field::Aspect, Field::CorrectRatio, Field::VideoBitrate,
              Field::Width, Field::Height, Field::VideoStream, Field::UseAviSynth}) {
            b.Disable(id);
        }
        b.ClearAviSynth();
    }

    if (audio) {
        b.Enable(Field::AudioTarget);
        b.SetEnabled(Field::AudioStream, vob);
        b.SetEnabled(Field::Test, vob);
        if (video) {
            AddAudioPresets(b, f);
        } else {
            // Audio alone: the user picks bitrate and channels; Encode needs no output path here.
            b.Enable(Field::AudioBitrate);
            b.Enable(Field::Channels);
            b.Enable(Field::Encode);
        }
    } else {
        for (Field id : {Field::AudioTarget, Field::AudioBitrate, Field::Channels,
                         Field::AudioStream, Field::Test}) {
            b.Disable(id);
        }
    }
    return b.Take();
}

}  // namespace mk
