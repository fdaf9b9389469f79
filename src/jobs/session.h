// The form's handlers replayed on plain fields, for a front end without widgets (the command-line
// program). Each function does to the fields what its handler does to the controls and fields of
// the form: the rules' texts land in the fields bound to the controls they name, as the next
// reading of the form would take them.
#pragma once

#include <functional>
#include <string>

#include "command/encoder_fields.h"
#include "platform/shell_dialect.h"
#include "rules/control_change.h"

namespace mk {

// Runs one command line through the shell and waits for it; returns its exit status.
using ShellRunner = std::function<int(const std::string& commandLine)>;

// Puts what the rules wrote into controls into the bound fields: a text by the combo-string rule
// where the control is a combo box (as the form writes it), the Use AviSynth mark cleared.
// Enabling, disabling and the "File Missing" box have no field and are passed over.
void ApplyToFields(EncoderFields& f, const ControlChanges& changes);

// Open File once a file is chosen: source and extension, the stream numbers (or the AviSynth mark
// for a VOB source), the control rules, the probe command through `run`, then the report read
// into the source's properties and size. `folder` ends in its separator.
void OpenSourceFields(EncoderFields& f, const std::string& path, bool presetting,
                      const ShellDialect& d, const std::string& folder, const ShellRunner& run);

// The probe report's facts into m_strSourceInfo, m_dSourceWidth and m_dSourceHeight. A report
// that cannot be read leaves the properties as they were and the size 0; returns false then.
bool ReadProbeReportInto(EncoderFields& f, const std::string& reportPath);

// A Process box clicked, the video Target combo left, the Format combo left, the audio Target
// combo left: each as its handler, with Presetting on or off.
void ProcessBoxChanged(EncoderFields& f, bool presetting);
void TargetLeft(EncoderFields& f, bool presetting);
void FormatLeft(EncoderFields& f, bool presetting);
void AudioTargetLeft(EncoderFields& f, bool presetting);

}  // namespace mk
