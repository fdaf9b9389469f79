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
// every setting given; unless o.noPresets, the presets those settings call for (video ones with
// video processed, audio ones with audio processed) and every setting given once more; then the
// output file. When the probe report cannot be written, `probeProblem`
// (if given) receives the reason.
EncoderFields FieldsFor(const CliOptions& o, const ShellDialect& d, const std::string& folder,
                        const ShellRunner& run, std::optional<FormMessage>* probeProblem = nullptr);

// The stream numbers choose streams of a VOB source only (the form maps them for VOBs alone): the
// note to give when o sets one for another source, "" otherwise.
std::string StreamNumbersNote(const CliOptions& o, const std::string& source);

}  // namespace mk::cli
