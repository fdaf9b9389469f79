// One thing the control rules ask the form to do. The rules only compute these; the form applies
// them in order, so the logic stays testable without widgets.
#pragma once

#include <string>
#include <vector>

namespace mk {

enum class ChangeKind {
    Enable,
    Disable,
    SetText,             // the control's text only; the bound field follows at the next form read
    ClearAviSynthCheck,  // remove the Use AviSynth check mark (id is IDC_USE_AVISYNTH)
    FileMissingBox,      // stop-icon box titled "File Missing"; text is the source path
};

struct ControlChange {
    ChangeKind kind;
    int id = 0;
    std::string text{};  // default initializer: {kind, id} stays -Wextra clean

    bool operator==(const ControlChange&) const = default;
};

using ControlChanges = std::vector<ControlChange>;

inline constexpr const char* kFileMissingTitle = "File Missing";

}  // namespace mk
