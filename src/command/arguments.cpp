#include "command/arguments.h"

#include "command/geometry.h"
#include "command/targets.h"

namespace mk {

namespace {

bool Contains(const std::string& text, std::string_view word) {
    return text.find(word) != std::string::npos;
}

bool IsConversionAspect(const std::string& aspect) {
    return aspect == "4:3->16:9" || aspect == "16:9->4:3";
}

// The More options text with the words the target adds to it.
std::string WithTargetWords(const EncoderFields& f, const Target& target) {
    std::string more = f.m_strMoreOptions;
    const bool mp4 = f.m_strSourceExt == "MP4" || f.m_strSourceExt == "mp4";
    bool added = true;
    for (const MoreOption& o : target.moreOptions) {
        added = (added || !o.afterPrevious) && (mp4 || !o.mp4Only) && !Contains(more, o.unless);
        if (added) {
            more += o.word;
        }
    }
    return more;
}

}  // namespace

std::string AudioCodecWord(const std::string& audioTarget) {
    if (audioTarget == "mp3") {
        return "libmp3lame";
    }
    if (audioTarget == "aac") {
        return "libfaac";
    }
    return audioTarget;
}

std::string BuildArguments(EncoderFields& f, const ShellDialect& dialect) {
    const Target& target = TargetForCommand(f.m_strTarget);
    std::string args;
    // On the AviSynth route the inputs are named in the executable part.
    if (f.m_bUseAviSynth != 1) {
        args = " -i \"" + dialect.Escape(f.m_strSourceFile) + "\" ";
    }

    if (f.m_bProcessVideo == 0) {
        args += " -vn ";
        if (IsVobExtension(f.m_strSourceExt)) {
            args += " -ar 48000 ";
        }
    } else {
        f.m_strMoreOptions = WithTargetWords(f, target);
        args += f.m_strFormat == "pal" ? target.codecPal : target.codecOther;
        args += "-b " + f.m_strVideoBitrate + "000" + " ";
        if (!IsConversionAspect(f.m_strAspect)) {
            args += "-aspect " + f.m_strAspect + " ";
            if (!f.m_strWidth.empty() && !f.m_strHeight.empty()) {
                args += GetSizeOptions(f);
            }
        } else {
            args += GetAspectConversionOptions(f);
        }
    }

    if (f.m_bProcessAudio == 0) {
        args += " -an ";
    } else {
        args += "-acodec " + AudioCodecWord(f.m_strAudioTarget) + " ";
        if (f.m_strAudioTarget != "copy") {
            args += "-ab " + f.m_strAudioBitrate + "000" + " ";
            args += "-ac " + f.m_strChannels + " ";
        }
    }

    args += f.m_strMoreOptions;
    args += target.audioEnd;
    args += " -y \"";
    args += dialect.Escape(f.m_strOutputFile);
    args += "\"";

    if (IsVobExtension(f.m_strSourceExt)) {
        const bool audio = f.m_bProcessAudio == 1;
        const bool video = f.m_bProcessVideo == 1;
        if (audio && video) {
            args += " -map 0." + f.m_strVideoStream + ":0.0 -map 0." + f.m_strAudioStream + ":0.1";
        } else if (audio) {
            args += " -map 0." + f.m_strAudioStream + ":0.0";
        } else if (video) {
            args += " -map 0." + f.m_strVideoStream + ":0.0";
        }
    }

    f.m_strArguments = args;
    return args;
}

}  // namespace mk
