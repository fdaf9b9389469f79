#include "form/field_bindings.h"

#include <array>

#include "res/resource.h"

namespace mk {

namespace {

using namespace ids;
using F = EncoderFields;

constexpr std::array<FieldBinding, 21> kBindings{{
    {IDC_USE_AVISYNTH, BindKind::ControlObject, nullptr, nullptr},
    {IDC_SOURCE_FILE, BindKind::Text, &F::m_strSourceFile, nullptr},
    {IDC_ASPECT, BindKind::ComboString, &F::m_strAspect, nullptr},
    {IDC_FORMAT, BindKind::ComboString, &F::m_strFormat, nullptr},
    {IDC_TARGET, BindKind::ComboString, &F::m_strTarget, nullptr},
    {IDC_VIDEO_BITRATE, BindKind::Text, &F::m_strVideoBitrate, nullptr},
    {IDC_HEIGHT, BindKind::Text, &F::m_strHeight, nullptr},
    {IDC_WIDTH, BindKind::Text, &F::m_strWidth, nullptr},
    {IDC_PROCESS_AUDIO, BindKind::Check, nullptr, &F::m_bProcessAudio},
    {IDC_PROCESS_VIDEO, BindKind::Check, nullptr, &F::m_bProcessVideo},
    {IDC_OUTPUT_FILE, BindKind::Text, &F::m_strOutputFile, nullptr},
    {IDC_AUDIO_TARGET, BindKind::ComboString, &F::m_strAudioTarget, nullptr},
    {IDC_CHANNELS, BindKind::ComboString, &F::m_strChannels, nullptr},
    {IDC_MORE_OPTIONS, BindKind::Text, &F::m_strMoreOptions, nullptr},
    {IDC_CORRECT_RATIO, BindKind::Check, nullptr, &F::m_bCorrectRatio},
    {IDC_COMMAND, BindKind::Text, &F::m_strCommand, nullptr},
    {IDC_AUDIO_BITRATE, BindKind::ComboString, &F::m_strAudioBitrate, nullptr},
    {IDC_AUDIO_STREAM, BindKind::Text, &F::m_strAudioStream, nullptr},
    {IDC_VIDEO_STREAM, BindKind::Text, &F::m_strVideoStream, nullptr},
    {IDC_SOURCE_INFO, BindKind::Text, &F::m_strSourceInfo, nullptr},
    {IDC_USE_AVISYNTH, BindKind::Check, nullptr, &F::m_bUseAviSynth},
}};

}  // namespace

std::span<const FieldBinding> EncoderBindings() {
    return kBindings;
}

std::string* TextFieldOf(EncoderFields& fields, int controlId) {
    for (const auto& b : kBindings) {
        if (b.id == controlId && b.text != nullptr) {
            return &(fields.*b.text);
        }
    }
    return nullptr;
}

}  // namespace mk
