#include "ui/captions.h"

#include <array>

#include "res/resource.h"

namespace mk {

namespace {

constexpr CaptionTarget kMenu = CaptionTarget::MenuItem;
constexpr CaptionTarget kCtl = CaptionTarget::Control;

// Both tables keep the same order, so a switch rewrites the form in the same sequence either way.
constexpr std::array kEnglish{
    Caption{kMenu, ids::ID_HELPFILE, "Help"},
    Caption{kMenu, ids::ID_BATCH_CLEAR, "Clear batch file"},
    Caption{kMenu, ids::ID_BATCH_ADD, "Add current command"},
    Caption{kMenu, ids::ID_BATCH_VIEW, "View batch file"},
    Caption{kMenu, ids::ID_BATCH_RUN, "Run batch file"},
    Caption{kMenu, ids::ID_OPTIONS_PRESETTING, "Presetting"},
    Caption{kMenu, ids::ID_AVISYNTH_EDIT, "Edit TV.avs"},
    Caption{kCtl, ids::IDC_OPEN_FILE, "Open File"},
    Caption{kCtl, ids::IDC_SAVE_FILE, "Save File"},
    Caption{kCtl, ids::IDC_GENERATE, "Generate"},
    Caption{kCtl, ids::IDC_SUPPORT, "Your Support"},
    Caption{kCtl, ids::IDCANCEL, "Exit"},
    Caption{kCtl, ids::IDOK, "Encode"},
    Caption{kCtl, ids::IDC_PROCESS_AUDIO, "Process Audio Encoding"},
    Caption{kCtl, ids::IDC_PROCESS_VIDEO, "Process Video Encoding"},
    Caption{kCtl, ids::IDC_LABEL_AUDIO_TARGET, "Target"},
    Caption{kCtl, ids::IDC_LABEL_TARGET, "Target"},
    Caption{kCtl, ids::IDC_LABEL_CHANNELS, "Channels"},
    Caption{kCtl, ids::IDC_LABEL_COMMAND, "ffmpeg's command string"},
    Caption{kCtl, ids::IDC_LABEL_MORE_OPTIONS,
            "Enter more options for ffmpeg if necessary, see documentation"},
    Caption{kCtl, ids::IDC_LABEL_ASPECT, "Aspect"},
    Caption{kCtl, ids::IDC_LABEL_HEIGHT, "Height"},
    Caption{kCtl, ids::IDC_LABEL_SIZE, "Size"},
    Caption{kCtl, ids::IDC_LABEL_WIDTH, "Width"},
    // Five blanks: the template has eight, so the English table visibly differs from it.
    Caption{kCtl, ids::IDC_LABEL_STREAMS, "No. of stream to encode     Video"},
    Caption{kCtl, ids::IDC_LABEL_AUDIO_STREAM, "Audio"},
    Caption{kCtl, ids::IDC_LABEL_SOURCE_INFO, "Source properties"},
    Caption{kCtl, ids::IDC_USE_AVISYNTH, "Use AviSynth"},
    Caption{kCtl, ids::IDC_CORRECT_RATIO, "Correct ratio"},
    Caption{kCtl, ids::IDC_PREVIEW, "Preview"},
};

constexpr std::array kGerman{
    Caption{kMenu, ids::ID_HELPFILE, "Hilfe"},
    Caption{kMenu, ids::ID_BATCH_CLEAR, "Lösche Inhalt"},
    Caption{kMenu, ids::ID_BATCH_ADD, "Füge aktuelles Kommando hinzu"},
    Caption{kMenu, ids::ID_BATCH_VIEW, "Zeige Inhalt"},
    Caption{kMenu, ids::ID_BATCH_RUN, "Ausführen"},
    Caption{kMenu, ids::ID_OPTIONS_PRESETTING, "Voreinstellung"},
    Caption{kMenu, ids::ID_AVISYNTH_EDIT, "Bearbeite TV.avs"},
    Caption{kCtl, ids::IDC_OPEN_FILE, "Datei öffnen"},
    Caption{kCtl, ids::IDC_SAVE_FILE, "Zieldatei"},
    Caption{kCtl, ids::IDC_GENERATE, "Erzeugen"},
    Caption{kCtl, ids::IDC_SUPPORT, "Ihre Hilfe"},
    Caption{kCtl, ids::IDCANCEL, "Beenden"},
    Caption{kCtl, ids::IDOK, "Umwandeln"},
    Caption{kCtl, ids::IDC_PROCESS_AUDIO, "Audio umwandeln"},
    Caption{kCtl, ids::IDC_PROCESS_VIDEO, "Video umwandeln"},
    Caption{kCtl, ids::IDC_LABEL_AUDIO_TARGET, "Ziel"},
    Caption{kCtl, ids::IDC_LABEL_TARGET, "Ziel"},
    Caption{kCtl, ids::IDC_LABEL_CHANNELS, "Kanäle"},
    Caption{kCtl, ids::IDC_LABEL_COMMAND, "Kommandozeile von ffmpeg"},
    Caption{kCtl, ids::IDC_LABEL_MORE_OPTIONS,
            "Eingabe von weiteren ffmpeg Optionen, siehe Dokumentation"},
    Caption{kCtl, ids::IDC_LABEL_ASPECT, "Verhältnis"},
    Caption{kCtl, ids::IDC_LABEL_HEIGHT, "Höhe"},
    Caption{kCtl, ids::IDC_LABEL_SIZE, "Größe"},
    Caption{kCtl, ids::IDC_LABEL_WIDTH, "Breite"},
    // Twenty blanks keep "Video" above its box with the shorter German words.
    Caption{kCtl, ids::IDC_LABEL_STREAMS, "Nr. des Streams                    Video"},
    Caption{kCtl, ids::IDC_LABEL_SOURCE_INFO, "Eigenschaften der Quelldatei"},
    Caption{kCtl, ids::IDC_USE_AVISYNTH, "AviSynth benutzen"},
    Caption{kCtl, ids::IDC_CORRECT_RATIO, "Breite/Höhe anpassen"},
    Caption{kCtl, ids::IDC_PREVIEW, "Vorschau"},
};

}  // namespace

std::span<const Caption> EnglishCaptions() {
    return kEnglish;
}
std::span<const Caption> GermanCaptions() {
    return kGerman;
}

}  // namespace mk
