#include "cli/cli_session.h"

#include "probe/probe_command.h"

namespace mk::cli {

namespace {

void Override(std::string& field, const std::optional<std::string>& value) {
    if (value) {
        field = *value;
    }
}

}  // namespace

EncoderFields FieldsFor(const CliOptions& o, const ShellDialect& d, const std::string& folder,
                        const ShellRunner& run, std::optional<FormMessage>* probeProblem) {
    const FormEnv env{d, folder, !o.noPresets};
    EncoderFields f;
    const SourceOpened opened = OpenSource(f, o.source, env, run);
    if (probeProblem) {
        *probeProblem = opened.problem;
    }
    ApplyToFields(f, opened.changes);
    if (opened.facts) {
        f.m_strSourceInfo = opened.facts->sourceInfo;
    }

    // One click per box that changes, as a user would give them.
    if (o.noVideo) {
        f.m_bProcessVideo = 0;
        ApplyToFields(f, ProcessBoxChanged(f, env));
    }
    if (o.noAudio) {
        f.m_bProcessAudio = 0;
        ApplyToFields(f, ProcessBoxChanged(f, env));
    }
    // Combos of a side that is not processed are disabled: typed into, never left.
    Override(f.m_strTarget, o.target);
    if (f.m_bProcessVideo) {
        ApplyToFields(f, TargetLeft(f, env));
    }
    Override(f.m_strFormat, o.format);
    if (f.m_bProcessVideo) {
        ApplyToFields(f, FormatLeft(f, env));
    }
    Override(f.m_strAspect, o.aspect);
    Override(f.m_strAudioTarget, o.audioTarget);
    if (f.m_bProcessAudio) {
        ApplyToFields(f, AudioTargetLeft(f, env));
    }
    if (o.correctRatio) {
        f.m_bCorrectRatio = 1;
    }
    if (o.aviSynth) {
        f.m_bUseAviSynth = 1;
    }

    // What the user typed last wins over any preset.
    Override(f.m_strTarget, o.target);
    Override(f.m_strFormat, o.format);
    Override(f.m_strAspect, o.aspect);
    Override(f.m_strAudioTarget, o.audioTarget);
    Override(f.m_strVideoBitrate, o.videoBitrate);
    Override(f.m_strWidth, o.width);
    Override(f.m_strHeight, o.height);
    Override(f.m_strAudioBitrate, o.audioBitrate);
    Override(f.m_strChannels, o.channels);
    Override(f.m_strVideoStream, o.videoStream);
    Override(f.m_strAudioStream, o.audioStream);
    Override(f.m_strMoreOptions, o.moreOptions);
    f.m_strOutputFile = o.output;
    return f;
}

std::string StreamNumbersNote(const CliOptions& o, const std::string& source) {
    if ((!o.videoStream && !o.audioStream) || IsVobExtension(ExtensionOf(source))) {
        return {};
    }
    return "warning: --video-stream and --audio-stream apply to VOB sources only; ignored for " +
           source;
}

}  // namespace mk::cli
