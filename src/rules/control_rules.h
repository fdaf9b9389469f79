// Which controls the form enables and which preset texts they take while Options > Presetting is
// on. Every function computes the ordered list of changes from the fields as they stand; nothing
// here writes a field, so every test within one run sees the values from before that run.
#pragma once

#include <array>

#include "command/encoder_fields.h"
#include "rules/control_change.h"

namespace mk {

// The fields the rules govern, in the order LockForm and EnableAllControls walk them.
extern const std::array<Field, 23> kGovernedFields;

struct RuleContext {
    bool presetting = true;     // the check mark of Options > Presetting
    bool sourceExists = false;  // m_strSourceFile exists (an empty path never does)
    bool outputExists = false;  // m_strOutputFile exists
};

// The full rules: from Open File, the Process boxes, leaving Target, and Presetting switched on.
ControlChanges ApplyControlRules(const EncoderFields& f, const RuleContext& ctx);
// Every governed control enabled, the Use AviSynth mark cleared; no text written.
ControlChanges EnableAllControls();
// Every governed control disabled, then the "File Missing" box with the source path.
ControlChanges LockForm(const EncoderFields& f);
// Encode, Generate and Preview by the output path.
ControlChanges SetOutputButtons(const EncoderFields& f, bool outputExists);
// Video stream number and Use AviSynth by the source kind.
ControlChanges SetVobControls(const EncoderFields& f);
// Leaving the Format combo with Presetting on: picture size of the target only.
ControlChanges SizePresets(const EncoderFields& f);
// Leaving the audio Target combo with Presetting on: the audio presets, Process boxes ignored.
ControlChanges AudioPresets(const EncoderFields& f);
// The presets of the target, format and audio target together, as leaving their combos writes
// them: the video ones with video processed, the audio ones with audio processed.
ControlChanges Presets(const EncoderFields& f);

}  // namespace mk
