// What a screen reader hears for the controls of the main form that no caption names well: the
// label that names each control, names for controls without a label or whose label ("Target",
// "Bitrate") a video and an audio control share - the visible word stays inside the name - and
// descriptions. Texts are UTF-8, per language.
#pragma once

#include <span>
#include <string_view>

namespace mk {

struct LabelFor {
    int label;    // control id of the label
    int control;  // control id of the control it names
};

struct AccessibleText {
    int id;  // control id, or kHelpMenuId for the "?" menu
    std::string_view name;
    std::string_view description;
};

// The "?" drop-down has no command id of its own.
inline constexpr int kHelpMenuId = -1;

std::span<const LabelFor> EncoderLabelBuddies();
// "english" takes the English table; any other language word the German one, as captions do.
std::span<const AccessibleText> EncoderAccessibleTexts(std::string_view language);

}  // namespace mk
