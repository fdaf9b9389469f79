#include "form/field_table.h"

#include <algorithm>
#include <array>
#include <limits>

#include "command/targets.h"
#include "form/combo_string.h"
#include "res/resource.h"

namespace mk {

namespace {

using namespace ids;
using F = EncoderFields;
using K = ValueKind;

// The command writes bitrates in kbit/s followed by "000": ffmpeg's -b takes a 64-bit count of
// bits per second, -ab a 32-bit one; stream numbers and sizes are ints.
constexpr std::uint64_t kMaxInt = std::numeric_limits<std::int32_t>::max();
constexpr std::uint64_t kMaxVideoKbits = std::numeric_limits<std::int64_t>::max() / 1000;
constexpr std::uint64_t kMaxAudioKbits = kMaxInt / 1000;
constexpr std::uint64_t kMaxSide = 65535;
constexpr std::uint64_t kMaxChannels = 64;  // the most any ffmpeg from 4.x on takes

constexpr std::array<std::string_view, 2> kFormats{"pal", "ntsc"};
constexpr std::array<std::string_view, 4> kAspects{"4:3", "16:9", "16:9->4:3", "4:3->16:9"};
constexpr std::array<std::string_view, 7> kAudioBitrates{"64",  "96",  "128", "192",
                                                         "224", "320", "448"};
constexpr std::array<std::string_view, 2> kChannels{"2", "6"};

// clang-format off
constexpr std::array<FieldRow, 28> kFields{{
    {Field::SourceFile, &F::m_strSourceFile, nullptr, IDC_SOURCE_FILE, {}, "", {}},
    {Field::Aspect, &F::m_strAspect, nullptr, IDC_ASPECT, kAspects, "--aspect", {K::Aspect}},
    {Field::Format, &F::m_strFormat, nullptr, IDC_FORMAT, kFormats, "--format", {K::ListWord}},
    {Field::Target, &F::m_strTarget, nullptr, IDC_TARGET, kTargetWords, "--target", {K::ListWord}},
    {Field::VideoBitrate, &F::m_strVideoBitrate, nullptr, IDC_VIDEO_BITRATE, {}, "--video-bitrate", {K::Number, 0, kMaxVideoKbits}},
    {Field::Height, &F::m_strHeight, nullptr, IDC_HEIGHT, {}, "--height", {K::Size, 1, kMaxSide}},
    {Field::Width, &F::m_strWidth, nullptr, IDC_WIDTH, {}, "--width", {K::Size, 1, kMaxSide}},
    {Field::ProcessAudio, nullptr, &F::m_bProcessAudio, IDC_PROCESS_AUDIO, {}, "--no-audio", {K::FlagOff}},
    {Field::ProcessVideo, nullptr, &F::m_bProcessVideo, IDC_PROCESS_VIDEO, {}, "--no-video", {K::FlagOff}},
    {Field::OutputFile, &F::m_strOutputFile, nullptr, IDC_OUTPUT_FILE, {}, "", {}},
    {Field::AudioTarget, &F::m_strAudioTarget, nullptr, IDC_AUDIO_TARGET, kAudioTargets, "--audio-target", {K::Word}},
    {Field::Channels, &F::m_strChannels, nullptr, IDC_CHANNELS, kChannels, "--channels", {K::Number, 1, kMaxChannels}},
    {Field::MoreOptions, &F::m_strMoreOptions, nullptr, IDC_MORE_OPTIONS, {}, "--more-options", {K::Text}},
    {Field::CorrectRatio, nullptr, &F::m_bCorrectRatio, IDC_CORRECT_RATIO, {}, "--correct-ratio", {K::FlagOn}},
    {Field::Command, &F::m_strCommand, nullptr, IDC_COMMAND, {}, "", {}},
    {Field::AudioBitrate, &F::m_strAudioBitrate, nullptr, IDC_AUDIO_BITRATE, kAudioBitrates, "--audio-bitrate", {K::Number, 0, kMaxAudioKbits}},
    {Field::AudioStream, &F::m_strAudioStream, nullptr, IDC_AUDIO_STREAM, {}, "--audio-stream", {K::Number, 0, kMaxInt}},
    {Field::VideoStream, &F::m_strVideoStream, nullptr, IDC_VIDEO_STREAM, {}, "--video-stream", {K::Number, 0, kMaxInt}},
    {Field::SourceInfo, &F::m_strSourceInfo, nullptr, IDC_SOURCE_INFO, {}, "", {}},
    {Field::UseAviSynth, nullptr, &F::m_bUseAviSynth, IDC_USE_AVISYNTH, {}, "--avisynth", {K::FlagOn}},
    {Field::OpenFile, nullptr, nullptr, IDC_OPEN_FILE, {}, "", {}},
    {Field::SaveFile, nullptr, nullptr, IDC_SAVE_FILE, {}, "", {}},
    {Field::Generate, nullptr, nullptr, IDC_GENERATE, {}, "", {}},
    {Field::Encode, nullptr, nullptr, IDOK, {}, "", {}},
    {Field::Preview, nullptr, nullptr, IDC_PREVIEW, {}, "", {}},
    {Field::Test, nullptr, nullptr, IDC_TEST, {}, "", {}},
    {Field::Support, nullptr, nullptr, IDC_SUPPORT, {}, "", {}},
    {Field::Exit, nullptr, nullptr, IDCANCEL, {}, "", {}},
}};
// clang-format on

}  // namespace

std::span<const FieldRow> FieldTable() {
    return kFields;
}

const FieldRow& RowOf(Field field) {
    return *std::find_if(kFields.begin(), kFields.end(),
                         [field](const FieldRow& row) { return row.field == field; });
}

std::string AsWritten(const FieldRow& row, const std::string& text) {
    const int index = ComboStringIndex(row.items, text);
    return index < 0 ? text : std::string(row.items[static_cast<std::size_t>(index)]);
}

}  // namespace mk
