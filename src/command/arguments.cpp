#include "command/arguments.h"

#include "command/geometry.h"

namespace mk {

namespace {

bool Contains(const std::string& text, const char* word) {
    return text.find(word) != std::string::npos;
}

bool IsConversionAspect(const std::string& aspect) {
    return aspect == "4:3->16:9" || aspect == "16:9->4:3";
}

void WriteMoreOptions(EncoderFields& f, const MoreOptionsWriter& writeBack,
                      const std::string& text) {
    if (writeBack) {
        writeBack(text);
    } else {
        f.m_strMoreOptions = text;
    }
}

// The target or codec options; may add to the More options text.
void AppendTarget(EncoderFields& f, const MoreOptionsWriter& writeBack, std::string& args) {
    const std::string target = f.m_strTarget;
    if (target == "mpeg4") {
        args += f.m_strFormat == "pal" ? "-vcodec mpeg4 -g 240 " : "-vcodec mpeg4 -g 300 ";
        std::string more = f.m_strMoreOptions;
        // A vtag of the user's own leaves the box alone, qmin or not.
        if (!Contains(more, "vtag")) {
            more += " -vtag xvid";
            if (!Contains(more, "qmin")) {
                more += " -qmin 2";
            }
            WriteMoreOptions(f, writeBack, more);
        }
        return;
    }
    if (target == "h263") {
        args += "-vcodec h263 ";
        return;
    }
    args += "-target ";
    args += f.m_strFormat == "pal" ? "pal-" : "ntsc-";
    if (target == "dvd") {
        args += "dvd ";
        std::string more = f.m_strMoreOptions;
        if (!Contains(more, "qmin")) {
            more += " -qmin 2";
            WriteMoreOptions(f, writeBack, more);
        }
        if (f.m_strSourceExt == "MP4" || f.m_strSourceExt == "mp4") {
            if (!Contains(more, "sameq")) {
                more += " -sameq";
                WriteMoreOptions(f, writeBack, more);
            }
        }
    } else if (target == "svcd") {
        args += "svcd ";
        std::string more = f.m_strMoreOptions;
        if (!Contains(more, "qmin")) {
            more += " -qmin 2";
            WriteMoreOptions(f, writeBack, more);
        }
    } else if (target == "vcd") {
        args += "vcd ";
    }
}

std::string AudioCodecWord(const std::string& audioTarget) {
    if (audioTarget == "mp3") {
        return "libmp3lame";
    }
    if (audioTarget == "aac") {
        return "libfaac";
    }
    return audioTarget;
}

}  // namespace

std::string BuildArguments(EncoderFields& f, const ShellDialect& dialect,
                           const MoreOptionsWriter& writeBack) {
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
        AppendTarget(f, writeBack, args);
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
    args += f.m_strTarget == "h263" ? " -ar 8000 -y \"" : " -async 1 -y \"";
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
