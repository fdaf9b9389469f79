#include "rules/output_chooser.h"

#include "command/targets.h"

namespace mk {

namespace {

OutputChoice ChoiceOf(const FileType& type) {
    const std::string pattern = "*." + std::string(type.extension);
    return {std::string(type.description) + "(" + pattern + ")|" + pattern + "||",
            std::string(type.extension)};
}

}  // namespace

OutputChoice ChooseOutputFile(const EncoderFields& f) {
    const bool audio = f.m_bProcessAudio != 0;
    const bool video = f.m_bProcessVideo != 0;
    const Target& target = TargetForCommand(f.m_strTarget);
    if (video) {
        return ChoiceOf(audio ? target.withAudio : target.videoOnly);
    }
    if (!audio) {
        return {};
    }
    if (f.m_strAudioTarget == "ac3") {
        return ChoiceOf({"AC3 Audio Files", "ac3"});
    }
    if (f.m_strAudioTarget == "mp3") {
        return ChoiceOf({"MP3 Audio Files", "mp3"});
    }
    return ChoiceOf({"MPEG Audio Files", "mp2"});
}

}  // namespace mk
