#include "ui/accessible_texts.h"

#include <array>

#include "res/resource.h"

namespace mk {

namespace {

using namespace ids;

// Units ("kbit/s") and the group caption "Size" name nothing on their own.
constexpr std::array kBuddies{
    LabelFor{IDC_LABEL_SOURCE_INFO, IDC_SOURCE_INFO},
    LabelFor{IDC_LABEL_TARGET, IDC_TARGET},
    LabelFor{IDC_LABEL_FORMAT, IDC_FORMAT},
    LabelFor{IDC_LABEL_ASPECT, IDC_ASPECT},
    LabelFor{IDC_LABEL_BITRATE, IDC_VIDEO_BITRATE},
    LabelFor{IDC_LABEL_WIDTH, IDC_WIDTH},
    LabelFor{IDC_LABEL_HEIGHT, IDC_HEIGHT},
    LabelFor{IDC_LABEL_AUDIO_TARGET, IDC_AUDIO_TARGET},
    LabelFor{IDC_LABEL_AUDIO_BITRATE, IDC_AUDIO_BITRATE},
    LabelFor{IDC_LABEL_CHANNELS, IDC_CHANNELS},
    LabelFor{IDC_LABEL_STREAMS, IDC_VIDEO_STREAM},
    LabelFor{IDC_LABEL_AUDIO_STREAM, IDC_AUDIO_STREAM},
    LabelFor{IDC_LABEL_MORE_OPTIONS, IDC_MORE_OPTIONS},
    LabelFor{IDC_LABEL_COMMAND, IDC_COMMAND},
};

constexpr std::array kEnglish{
    AccessibleText{IDC_SOURCE_FILE, "Source file", "Path of the source video"},
    AccessibleText{IDC_OUTPUT_FILE, "Output file", "Path of the file to encode to"},
    AccessibleText{kHelpMenuId, "Help", ""},
    // Named at the label too: on Linux a combo box is announced by its label's name.
    AccessibleText{IDC_LABEL_TARGET, "Video target", ""},
    AccessibleText{IDC_TARGET, "Video target", ""},
    AccessibleText{IDC_LABEL_BITRATE, "Video bitrate in kbit/s", ""},
    AccessibleText{IDC_VIDEO_BITRATE, "Video bitrate in kbit/s", ""},
    AccessibleText{IDC_LABEL_AUDIO_TARGET, "Audio target", ""},
    AccessibleText{IDC_AUDIO_TARGET, "Audio target", ""},
    AccessibleText{IDC_LABEL_AUDIO_BITRATE, "Audio bitrate in kbit/s", ""},
    AccessibleText{IDC_AUDIO_BITRATE, "Audio bitrate in kbit/s", ""},
    AccessibleText{IDC_VIDEO_STREAM, "", "Number of the video stream to encode"},
    AccessibleText{IDC_AUDIO_STREAM, "", "Number of the audio stream to encode"},
};

constexpr std::array kGerman{
    AccessibleText{IDC_SOURCE_FILE, "Quelldatei", "Pfad des Quellvideos"},
    AccessibleText{IDC_OUTPUT_FILE, "Zieldatei", "Pfad der Datei, in die umgewandelt wird"},
    AccessibleText{kHelpMenuId, "Hilfe", ""},
    AccessibleText{IDC_LABEL_TARGET, "Video-Ziel", ""},
    AccessibleText{IDC_TARGET, "Video-Ziel", ""},
    AccessibleText{IDC_LABEL_BITRATE, "Video-Bitrate in kbit/s", ""},
    AccessibleText{IDC_VIDEO_BITRATE, "Video-Bitrate in kbit/s", ""},
    AccessibleText{IDC_LABEL_AUDIO_TARGET, "Audio-Ziel", ""},
    AccessibleText{IDC_AUDIO_TARGET, "Audio-Ziel", ""},
    AccessibleText{IDC_LABEL_AUDIO_BITRATE, "Audio-Bitrate in kbit/s", ""},
    AccessibleText{IDC_AUDIO_BITRATE, "Audio-Bitrate in kbit/s", ""},
    AccessibleText{IDC_VIDEO_STREAM, "", "Nummer des Videostreams, der umgewandelt wird"},
    AccessibleText{IDC_AUDIO_STREAM, "", "Nummer des Audiostreams, der umgewandelt wird"},
};

}  // namespace

std::span<const LabelFor> EncoderLabelBuddies() {
    return kBuddies;
}

std::span<const AccessibleText> EncoderAccessibleTexts(std::string_view language) {
    if (language == "english") {
        return kEnglish;
    }
    return kGerman;
}

}  // namespace mk
