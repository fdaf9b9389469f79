#include "res/dialog_template.h"

#include <array>

#include "res/resource.h"

namespace mk {

namespace {

using namespace ids;
using K = ControlKind;

constexpr unsigned D = kDisabled;

constexpr std::array<ControlTemplate, 45> kEncoderControls{{
    {IDC_OPEN_FILE, K::DefPushButton, "Open File", kNone, 10, 5, 50, 14},
    {IDC_SOURCE_FILE, K::Edit, "", kReadOnly | kNoTabStop, 64, 6, 217, 13},
    {IDC_LABEL_SOURCE_INFO, K::Label, "Source properties", kNone, 10, 25, 105, 10},
    {IDC_SOURCE_INFO, K::MultiLineEdit, "", kReadOnly | kNoTabStop, 10, 40, 275, 60},
    {IDC_PROCESS_VIDEO, K::CheckBoxLeftText, "Process Video Encoding", D, 10, 110, 95, 10},
    {IDC_LABEL_TARGET, K::Label, "Target", kNone, 10, 125, 29, 10},
    {IDC_TARGET, K::ComboBox, "", D, 46, 125, 48, 49},
    {IDC_LABEL_FORMAT, K::Label, "Format", kNone, 100, 125, 28, 10},
    {IDC_FORMAT, K::ComboBox, "", D, 136, 125, 48, 49},
    {IDC_LABEL_ASPECT, K::Label, "Aspect", kNone, 190, 125, 40, 10},
    {IDC_ASPECT, K::ComboBox, "", D, 236, 125, 49, 49},
    {IDC_LABEL_BITRATE, K::Label, "Bitrate", kNone, 10, 156, 28, 10},
    {IDC_LABEL_KBITS, K::Label, "kbit/s", kNone, 45, 145, 28, 8},
    {IDC_VIDEO_BITRATE, K::Edit, "", D, 45, 156, 45, 12},
    {IDC_LABEL_SIZE, K::Label, "Size", kNone, 100, 156, 28, 10},
    {IDC_LABEL_WIDTH, K::Label, "Width", kNone, 135, 145, 28, 8},
    {IDC_WIDTH, K::Edit, "", D, 135, 156, 25, 12},
    {IDC_LABEL_HEIGHT, K::Label, "Height", kNone, 170, 145, 28, 8},
    {IDC_HEIGHT, K::Edit, "", D, 170, 156, 25, 12},
    {IDC_CORRECT_RATIO, K::CheckBoxLeftText, "Correct ratio", D, 200, 150, 85, 10},
    {IDC_USE_AVISYNTH, K::CheckBoxLeftText, "Use AviSynth", D, 200, 165, 85, 10},
    {IDC_PROCESS_AUDIO, K::CheckBoxLeftText, "Process Audio Encoding", D, 10, 180, 95, 10},
    {IDC_LABEL_AUDIO_TARGET, K::Label, "Target", kNone, 10, 194, 29, 10},
    {IDC_AUDIO_TARGET, K::ComboBox, "", D, 45, 196, 48, 49},
    {IDC_LABEL_AUDIO_BITRATE, K::Label, "Bitrate", kNone, 100, 196, 28, 10},
    {IDC_LABEL_AUDIO_KBITS, K::Label, "kbit/s", kNone, 135, 185, 28, 8},
    {IDC_AUDIO_BITRATE, K::ComboBox, "", D, 135, 196, 48, 49},
    {IDC_LABEL_CHANNELS, K::Label, "Channels", kNone, 195, 194, 29, 10},
    {IDC_CHANNELS, K::ComboBox, "", D, 231, 196, 30, 49},
    {IDC_LABEL_STREAMS, K::Label, "No. of stream to encode        Video", kNone, 10, 220, 120, 10},
    {IDC_VIDEO_STREAM, K::Edit, "", D, 135, 220, 15, 12},
    {IDC_LABEL_AUDIO_STREAM, K::Label, "Audio", kNone, 170, 220, 25, 10},
    {IDC_AUDIO_STREAM, K::Edit, "", D, 200, 220, 15, 12},
    {IDC_TEST, K::DefPushButton, "Test", D, 225, 220, 50, 14},
    {IDC_LABEL_MORE_OPTIONS, K::Label,
     "Enter more options for ffmpeg if necessary, see documentation", kNone, 10, 240, 270, 10},
    {IDC_MORE_OPTIONS, K::Edit, "", D, 10, 250, 275, 13},
    {IDC_LABEL_COMMAND, K::Label, "ffmpeg's command string", kNone, 10, 270, 270, 10},
    {IDC_GENERATE, K::DefPushButton, "Generate", D, 10, 280, 50, 14},
    {IDC_COMMAND, K::Edit, "", kReadOnly | D | kNoTabStop, 64, 281, 221, 13},
    {IDC_SAVE_FILE, K::DefPushButton, "Save File", D, 10, 300, 50, 14},
    {IDC_OUTPUT_FILE, K::Edit, "", D | kNoTabStop, 64, 302, 221, 13},
    {IDC_PREVIEW, K::DefPushButton, "Preview", D, 135, 320, 50, 14},
    {IDOK, K::DefPushButton, "Encode", D, 190, 320, 50, 14},
    {IDCANCEL, K::PushButton, "Exit", kNone, 245, 320, 50, 14},
    {IDC_SUPPORT, K::DefPushButton, "Your Support", kNone, 10, 320, 50, 14},
}};

constexpr std::array<ControlTemplate, 4> kAboutControls{{
    {IDR_MAINFRAME, K::Label, "", kNone, 11, 17, 20, 20},
    {-1, K::Label, kAboutVersionText, kNone, 40, 10, 119, 8},
    {-2, K::Label, kAboutNoticeText, kNone, 40, 25, 119, 8},
    {IDOK, K::DefPushButton, "OK", kNone, 178, 7, 32, 14},
}};

constexpr std::array<MenuItemTemplate, 2> kLanguageMenu{{
    {"English", ID_LANGUAGE_ENGLISH, false},
    {"Deutsch", ID_LANGUAGE_DEUTSCH, false},
}};
constexpr std::array<MenuItemTemplate, 4> kBatchMenu{{
    {"Clear batch file", ID_BATCH_CLEAR, false},
    {"Add current command", ID_BATCH_ADD, false},
    {"View batch file", ID_BATCH_VIEW, false},
    {"Run batch file", ID_BATCH_RUN, false},
}};
constexpr std::array<MenuItemTemplate, 1> kAviSynthMenu{{{"Edit TV.avs", ID_AVISYNTH_EDIT, false}}};
// The window translates these texts itself (tr()); the title stays in both languages.
constexpr std::array<MenuItemTemplate, 4> kDiscMenu{{
    {"Add current source", ID_DISC_ADD, false},
    {"Titles...", ID_DISC_TITLES, false},
    {"Make disc...", ID_DISC_MAKE, false},
    {"Clear", ID_DISC_CLEAR, false},
}};
constexpr std::array<MenuItemTemplate, 1> kOptionsMenu{
    {{"Presetting", ID_OPTIONS_PRESETTING, true}}};
// Linux desktops give a program no system menu of its own, so the about command sits at the end
// of "?" after a separator, carrying the system-menu command id.
constexpr std::array<MenuItemTemplate, 4> kHelpMenu{{
    {"Help", ID_HELPFILE, false},
    {"Info", ID_INFO, false},
    {"", 0, false},
    {kAboutMenuText, IDM_ABOUTBOX, false},
}};

constexpr std::array<MenuTemplate, 6> kMenu{{
    {"Language", kLanguageMenu},
    {"Batch", kBatchMenu},
    {"Avisynth", kAviSynthMenu},
    {"Disc", kDiscMenu},
    {"Options", kOptionsMenu},
    {"?", kHelpMenu},
}};

}  // namespace

const DialogTemplate& EncoderDialogTemplate() {
    static const DialogTemplate t{IDD_ENCODER_DIALOG, "Morvakelin", 305, 335, kEncoderControls};
    return t;
}

const DialogTemplate& AboutDialogTemplate() {
    static const DialogTemplate t{IDD_ABOUTBOX, "About Morvakelin", 217, 55, kAboutControls};
    return t;
}

std::span<const MenuTemplate> EncoderMenu() {
    return kMenu;
}

}  // namespace mk
