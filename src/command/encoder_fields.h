// The settings of the main form as plain values: the one store every operation reads and writes.
// The form derives from this, so the fields are its public members; the command-line front end
// and the tests use it on its own.
#pragma once

#include <optional>
#include <string>

namespace mk {

struct EncoderFields {
    std::string m_strArguments;
    std::string m_strLanguage = "english";
    std::string m_strSourceExt;
    double m_dSourceWidth = 0;
    double m_dSourceHeight = 0;
    std::string m_strSourceFile;
    std::string m_strAspect = "4:3";
    std::string m_strFormat = "pal";
    std::string m_strTarget = "dvd";
    std::string m_strVideoBitrate = "6000";
    std::string m_strHeight = "576";
    std::string m_strWidth = "720";
    int m_bProcessAudio = 1;
    int m_bProcessVideo = 1;
    std::string m_strOutputFile;
    std::string m_strAudioTarget = "ac3";
    std::string m_strChannels = "6";
    std::string m_strMoreOptions = "-mbd 2";
    int m_bCorrectRatio = 0;
    std::string m_strCommand;
    std::string m_strAudioBitrate = "448";
    std::string m_strAudioStream = "1";
    std::string m_strVideoStream = "0";
    std::string m_strSourceInfo;
    int m_bUseAviSynth = 0;
    // The audio codec of the source, read with its size from the probe report of this run's
    // Open File; nullopt until then (the report on disk is asked instead). Kept so that another
    // run's probe, which replaces the report, cannot change this source's command.
    std::optional<std::string> m_strSourceAudioCodec;
};

// Each setting's name, by which the rules and the form model address it; the buttons the rules
// govern are named here too. Its member, control and option are one row of form/field_table.h.
enum class Field {
    SourceFile,
    Aspect,
    Format,
    Target,
    VideoBitrate,
    Height,
    Width,
    ProcessAudio,
    ProcessVideo,
    OutputFile,
    AudioTarget,
    Channels,
    MoreOptions,
    CorrectRatio,
    Command,
    AudioBitrate,
    AudioStream,
    VideoStream,
    SourceInfo,
    UseAviSynth,
    OpenFile,
    SaveFile,
    Generate,
    Encode,
    Preview,
    Test,
    Support,
    Exit,
};

// "vob" and "VOB" only; any other mix of letter cases is an ordinary source.
inline bool IsVobExtension(const std::string& ext) {
    return ext == "vob" || ext == "VOB";
}

}  // namespace mk
