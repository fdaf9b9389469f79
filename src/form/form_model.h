// The form's handlers as functions over its fields, shared by the window and morvakelin-cli. Each
// takes the fields as the form last read them and returns what the front end must change: control
// changes (which the window applies to its controls and the CLI to the bound fields), messages and
// command lines. Fields that no control shows (the source's extension and size, the arguments) are
// written here directly, as the form's handlers write them.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "command/encoder_fields.h"
#include "platform/desktop.h"
#include "platform/shell_dialect.h"
#include "probe/probe_run.h"
#include "probe/report_parser.h"
#include "rules/control_change.h"
#include "rules/control_rules.h"

namespace mk {

// Runs the probe command line and waits for it (see ProbeRunner).
using ShellRunner = ProbeRunner;

// What every handler needs besides the fields: the dialect, the program folder (with its trailing
// separator) and whether Presetting is checked.
struct FormEnv {
    const ShellDialect& dialect;
    std::string folder;
    bool presetting = true;
};

struct FormMessage {
    std::string text;
    std::string title;
    MessageIcon icon = MessageIcon::Stop;

    bool operator==(const FormMessage&) const = default;
};

// The rules' view of the form: Presetting and whether the source and output files exist.
RuleContext ContextOf(const EncoderFields& f, bool presetting);

// Puts control changes into the bound fields, as the next reading of the form would take them: a
// text by the combo-string rule where the control is a combo box, the Use AviSynth mark cleared.
// Enabling, disabling and the "File Missing" box have no field and are passed over.
void ApplyToFields(EncoderFields& f, const ControlChanges& changes);

// Open File once a file is chosen (or dropped): the source and its extension, the stream numbers
// (or the AviSynth mark for a VOB source), the control rules, the probe run through `run`, the
// report read into the source's size. The source properties' text is in `facts`; the window shows
// it in its box, the CLI puts it into m_strSourceInfo.
struct SourceOpened {
    ControlChanges changes;
    std::optional<ProbeFacts> facts;  // nullopt: no report could be read, the old text stays
    // The report could not be written (read-only Conf/ or report): the probe did not run and no
    // old report was read. The window shows it; the CLI stops.
    std::optional<FormMessage> problem;
};
SourceOpened OpenSource(EncoderFields& f, const std::string& path, const FormEnv& env,
                        const ShellRunner& run);

// The probe report read into the source's size and audio codec (0 and "" when it cannot be
// read); its facts.
std::optional<ProbeFacts> ReadProbeReportInto(EncoderFields& f, const FormEnv& env);

// A Process box clicked, the video Target, Format and audio Target combos left, Presetting
// toggled (`nowOn` is the new state of its mark).
ControlChanges ProcessBoxChanged(const EncoderFields& f, const FormEnv& env);
ControlChanges TargetLeft(const EncoderFields& f, const FormEnv& env);
ControlChanges FormatLeft(const EncoderFields& f, const FormEnv& env);
ControlChanges AudioTargetLeft(const EncoderFields& f, const FormEnv& env);
ControlChanges PresettingToggled(const EncoderFields& f, const FormEnv& env, bool nowOn);

// Save File once a file is chosen: the output, the command field and the buttons that need one.
ControlChanges OutputChosen(EncoderFields& f, const std::string& path);

// Generate: the whole command line; More options as the target extends it and the command field
// among the changes.
struct Generated {
    std::string command;
    ControlChanges changes;
};
Generated Generate(EncoderFields& f, const FormEnv& env);

// Encode, before the console: the AviSynth script check, then the console line. A refusal names
// its message and, where the user must mend the script, the file to open in the editor.
struct EncodePlan {
    ControlChanges changes;  // More options as the target extends it
    std::optional<FormMessage> refusal;
    std::string editFile;
    std::string consoleLine;
};
EncodePlan PrepareEncode(EncoderFields& f, const FormEnv& env);
// After the console closed: Preview only for an output that a good run left.
ControlChanges EncodeFinished(const EncoderFields& f, const ConsoleResult& result);

// The audio stream test: the console line (an old test file is removed first), then what the run
// left: a message, or the file to play.
struct StreamTestPlan {
    std::string consoleLine;
    std::string testFile;
};
StreamTestPlan PrepareStreamTest(EncoderFields& f, const FormEnv& env);
std::optional<FormMessage> StreamTestFinished(const std::string& testFile);

// Preview: a message when there is nothing to show, else nullopt (open the output).
std::optional<FormMessage> PreviewCheck(const EncoderFields& f);

// The batch file: its path, a command appended (after the header when the file is missing), and
// Add: Generate, then its command appended.
std::string BatchFilePath(const FormEnv& env);
bool AppendToBatch(const FormEnv& env, const std::string& command);
struct BatchAdded {
    Generated generated;
    bool written = false;
};
BatchAdded AddToBatch(EncoderFields& f, const FormEnv& env);

}  // namespace mk
