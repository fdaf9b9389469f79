#include "rules/output_chooser.h"

namespace mk {

OutputChoice ChooseOutputFile(const EncoderFields& f) {
    const bool audio = f.m_bProcessAudio != 0;
    const bool video = f.m_bProcessVideo != 0;
    const std::string& target = f.m_strTarget;

    if (audio && video) {
        if (target == "mpeg4") {
            return {"Avi Files(*.avi)|*.avi||", "avi"};
        }
        if (target == "h263") {
            return {"3GP Video Files(*.3gp)|*.3gp||", "3gp"};
        }
        return {"MPEG Files(*.mpg)|*.mpg||", "mpg"};
    }
    if (audio) {
        if (f.m_strAudioTarget == "ac3") {
            return {"AC3 Audio Files(*.ac3)|*.ac3||", "ac3"};
        }
        if (f.m_strAudioTarget == "mp3") {
            return {"MP3 Audio Files(*.mp3)|*.mp3||", "mp3"};
        }
        return {"MPEG Audio Files(*.mp2)|*.mp2||", "mp2"};
    }
    if (video) {
        if (target == "mpeg4") {
            return {"AVI Video Files(*.avi)|*.avi||", "avi"};
        }
        if (target == "h263") {
            return {"3GP Video Files(*.3gp)|*.3gp||", "3gp"};
        }
        if (target == "vcd") {
            return {"MPEG1 Video Stream(*.m1v)|*.m1v||", "m1v"};
        }
        return {"MPEG2 Video Stream(*.m2v)|*.m2v||", "m2v"};
    }
    return {};
}

}  // namespace mk
