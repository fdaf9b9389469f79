// Resource ids of the main form, its menu and the about box.
#pragma once

namespace mk::ids {

// Dialog templates, menu, icon, strings.
inline constexpr int IDD_ABOUTBOX = 100;
inline constexpr int IDS_ABOUTBOX = 101;
inline constexpr int IDD_ENCODER_DIALOG = 102;
inline constexpr int IDR_MAINFRAME = 128;
inline constexpr int IDR_MENU = 135;
inline constexpr int IDM_ABOUTBOX = 0x0010;

// Controls of the main form.
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr int IDC_TARGET = 1000;
inline constexpr int IDC_FORMAT = 1001;
inline constexpr int IDC_ASPECT = 1002;
inline constexpr int IDC_SOURCE_FILE = 1003;
inline constexpr int IDC_OUTPUT_FILE = 1004;
inline constexpr int IDC_VIDEO_BITRATE = 1009;
inline constexpr int IDC_WIDTH = 1012;
inline constexpr int IDC_HEIGHT = 1014;
inline constexpr int IDC_AUDIO_TARGET = 1016;
inline constexpr int IDC_COMMAND = 1018;
inline constexpr int IDC_AUDIO_BITRATE = 1020;
inline constexpr int IDC_CHANNELS = 1022;
inline constexpr int IDC_PROCESS_VIDEO = 1023;
inline constexpr int IDC_PROCESS_AUDIO = 1024;
inline constexpr int IDC_MORE_OPTIONS = 1026;
inline constexpr int IDC_CORRECT_RATIO = 1028;
inline constexpr int IDC_AUDIO_STREAM = 1031;
inline constexpr int IDC_VIDEO_STREAM = 1033;
inline constexpr int IDC_SOURCE_INFO = 1034;
inline constexpr int IDC_USE_AVISYNTH = 1036;
inline constexpr int IDC_OPEN_FILE = 57601;
inline constexpr int IDC_GENERATE = 57602;
inline constexpr int IDC_SAVE_FILE = 57603;
inline constexpr int IDC_TEST = 57604;
inline constexpr int IDC_PREVIEW = 57605;
inline constexpr int IDC_SUPPORT = 57606;

// Labels that the language tables address.
inline constexpr int IDC_LABEL_ASPECT = 1005;
inline constexpr int IDC_LABEL_FORMAT = 1006;
inline constexpr int IDC_LABEL_TARGET = 1007;
inline constexpr int IDC_LABEL_BITRATE = 1008;
inline constexpr int IDC_LABEL_KBITS = 1010;
inline constexpr int IDC_LABEL_SIZE = 1011;
inline constexpr int IDC_LABEL_WIDTH = 1013;
inline constexpr int IDC_LABEL_HEIGHT = 1015;
inline constexpr int IDC_LABEL_AUDIO_TARGET = 1017;
inline constexpr int IDC_LABEL_AUDIO_BITRATE = 1019;
inline constexpr int IDC_LABEL_AUDIO_KBITS = 1021;
inline constexpr int IDC_LABEL_CHANNELS = 1025;
inline constexpr int IDC_LABEL_MORE_OPTIONS = 1027;
inline constexpr int IDC_LABEL_COMMAND = 1029;
inline constexpr int IDC_LABEL_STREAMS = 1030;
inline constexpr int IDC_LABEL_AUDIO_STREAM = 1032;
inline constexpr int IDC_LABEL_SOURCE_INFO = 1035;

// Menu commands.
inline constexpr int ID_LANGUAGE_ENGLISH = 32775;
inline constexpr int ID_LANGUAGE_DEUTSCH = 32776;
inline constexpr int ID_INFO = 32777;
inline constexpr int ID_HELPFILE = 32778;
inline constexpr int ID_BATCH_CLEAR = 32779;
inline constexpr int ID_BATCH_ADD = 32780;
inline constexpr int ID_BATCH_VIEW = 32781;
inline constexpr int ID_BATCH_RUN = 32782;
inline constexpr int ID_AVISYNTH_EDIT = 32784;
inline constexpr int ID_OPTIONS_PRESETTING = 32785;
// The Disc menu, beyond the form's own menus.
inline constexpr int ID_DISC_ADD = 32790;
inline constexpr int ID_DISC_TITLES = 32791;
inline constexpr int ID_DISC_MAKE = 32792;
inline constexpr int ID_DISC_CLEAR = 32793;
inline constexpr int ID_HELP = 57670;

}  // namespace mk::ids
