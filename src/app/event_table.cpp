#include "app/encoder_dlg.h"

#include <array>

#include "res/resource.h"

namespace {

using E = CEncoderDlg::Event;
using D = CEncoderDlg;
using namespace mk::ids;

// The system-menu command, painting and the drag icon are the window's own events and go
// straight to their handlers; everything else is routed here, in this order.
constexpr std::array<EventRoute, 38> kEvents{{
    {E::Clicked, IDC_OPEN_FILE, &D::OnOpenFile},
    {E::Clicked, IDC_SAVE_FILE, &D::OnSaveFile},
    {E::Clicked, IDC_GENERATE, &D::OnGenerate},
    {E::LosesFocus, IDC_ASPECT, &D::OnReadForm},
    {E::LosesFocus, IDC_VIDEO_BITRATE, &D::OnReadForm},
    {E::HelpCommand, ID_HELP, &D::OnHelp},
    {E::MenuCommand, ID_HELPFILE, &D::OnHelpFile},
    {E::MenuCommand, ID_INFO, &D::OnInfo},
    {E::MenuCommand, ID_LANGUAGE_ENGLISH, &D::OnLanguageEnglish},
    {E::MenuCommand, ID_LANGUAGE_DEUTSCH, &D::OnLanguageDeutsch},
    {E::MenuCommand, ID_BATCH_ADD, &D::OnBatchAdd},
    {E::MenuCommand, ID_BATCH_CLEAR, &D::OnBatchClear},
    {E::MenuCommand, ID_BATCH_RUN, &D::OnBatchRun},
    {E::MenuCommand, ID_BATCH_VIEW, &D::OnBatchView},
    {E::MenuCommand, ID_DISC_ADD, &D::OnDiscAdd},
    {E::MenuCommand, ID_DISC_TITLES, &D::OnDiscTitles},
    {E::MenuCommand, ID_DISC_MAKE, &D::OnDiscMake},
    {E::MenuCommand, ID_DISC_CLEAR, &D::OnDiscClear},
    {E::Clicked, IDC_TEST, &D::OnTest},
    {E::Clicked, IDC_PREVIEW, &D::OnPreview},
    {E::LosesFocus, IDC_TARGET, &D::OnKillfocusTarget},
    {E::Clicked, IDC_SUPPORT, &D::OnSupport},
    {E::MenuCommand, ID_AVISYNTH_EDIT, &D::OnAvisynthEdit},
    {E::LosesFocus, IDC_FORMAT, &D::OnKillfocusFormat},
    {E::Clicked, IDC_PROCESS_VIDEO, &D::OnProcessVideoAudio},
    {E::Clicked, IDC_PROCESS_AUDIO, &D::OnProcessVideoAudio},
    {E::LosesFocus, IDC_AUDIO_TARGET, &D::OnKillfocusAudioTarget},
    {E::Clicked, IDC_CORRECT_RATIO, &D::OnReadForm},
    {E::LosesFocus, IDC_AUDIO_BITRATE, &D::OnReadForm},
    {E::LosesFocus, IDC_CHANNELS, &D::OnReadForm},
    {E::LosesFocus, IDC_MORE_OPTIONS, &D::OnReadForm},
    {E::LosesFocus, IDC_AUDIO_STREAM, &D::OnReadForm},
    {E::TextChanged, IDC_OUTPUT_FILE, &D::OnReadForm},
    {E::Clicked, IDC_USE_AVISYNTH, &D::OnReadForm},
    {E::LosesFocus, IDC_HEIGHT, &D::OnReadForm},
    {E::LosesFocus, IDC_WIDTH, &D::OnReadForm},
    {E::MenuCommand, ID_OPTIONS_PRESETTING, &D::OnOptionsPresetting},
    // The dialog's own OK command: Encode.
    {E::Clicked, IDOK, &D::OnOK},
}};

}  // namespace

std::span<const EventRoute> EncoderEventTable() {
    return kEvents;
}
