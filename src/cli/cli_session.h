// The form's fields for one run of morvakelin-cli, set up the way a user of the form would have
// them: Open File on the source, the Process boxes clicked, the combo boxes typed into and left,
// the output chosen, and every option given written last.
#pragma once

#include <optional>
#include <string>

#include "cli/cli_options.h"
#include "command/encoder_fields.h"
#include "form/form_model.h"
#include "platform/shell_dialect.h"

namespace mk::cli {

// In order: the form's defaults; Open File on o.source (rules, probe through `run`, report);
// the Process boxes, video first, each a click; with video processed the Target combo left, then
// the Format combo; the aspect; with audio processed the audio Target combo left; the check
// boxes; then every option given, overriding what the presets wrote; then the output file.
// Presetting is on unless o.noPresets. When the probe report cannot be written, `probeProblem`
// (if given) receives the reason.
EncoderFields FieldsFor(const CliOptions& o, const ShellDialect& d, const std::string& folder,
                        const ShellRunner& run, std::optional<FormMessage>* probeProblem = nullptr);

// The stream numbers choose streams of a VOB source only (the form maps them for VOBs alone): the
// note to give when o sets one for another source, "" otherwise.
std::string StreamNumbersNote(const CliOptions& o, const std::string& source);

}  // namespace mk::cli
