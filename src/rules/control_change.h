// One thing the control rules ask the form to do, addressed by field. The rules only compute these;
// the form applies them in order, so the logic stays testable without widgets.
#pragma once

#include <string>
#include <vector>

#include "command/encoder_fields.h"

namespace mk {

enum class ChangeKind {
    Enable,
    Disable,
    SetText,             // the control's text only; the field follows at the next form read
    ClearAviSynthCheck,  // remove the Use AviSynth check mark (field UseAviSynth)
    FileMissingBox,      // stop-icon box titled "File Missing"; text is the source path
};

struct ControlChange {
    ChangeKind kind;
    Field field = Field::SourceFile;
    std::string text{};  // default initializer: {kind, id} stays -Wextra clean

    bool operator==(const ControlChange&) const = default;
};

using ControlChanges = std::vector<ControlChange>;

inline constexpr const char* kFileMissingTitle = "File Missing";

}  // namespace mk
