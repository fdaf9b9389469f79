#include "cli/cli_session.h"

#include "form/field_table.h"
#include "probe/probe_command.h"

namespace mk::cli {

namespace {

// Every setting given, into its field as typed; a flag sets or clears its check mark.
void GivenInto(EncoderFields& f, const CliOptions& o) {
    for (const auto& [field, value] : o.settings) {
        const FieldRow& row = RowOf(field);
        if (row.text) {
            f.*row.text = value;
        } else {
            f.*row.check = value == "1" ? 1 : 0;
        }
    }
}

}  // namespace

EncoderFields FieldsFor(const CliOptions& o, const ShellDialect& d, const std::string& folder,
                        const ShellRunner& run, std::optional<FormMessage>* probeProblem) {
    const FormEnv env{d, folder, !o.noPresets};
    EncoderFields f;
    const SourceOpened opened = OpenSource(f, o.source, env, run);
    if (probeProblem) {
        *probeProblem = opened.problem;
    }
    ApplyToFields(f, opened.changes);
    if (opened.facts) {
        f.m_strSourceInfo = opened.facts->sourceInfo;
    }
    GivenInto(f, o);
    if (env.presetting) {
        // The presets of what was given; then what was given wins over them.
        ApplyToFields(f, Presets(f));
        GivenInto(f, o);
    }
    f.m_strOutputFile = o.output;
    return f;
}

std::string StreamNumbersNote(const CliOptions& o, const std::string& source) {
    if ((!o.Given(Field::VideoStream) && !o.Given(Field::AudioStream)) ||
        IsVobExtension(ExtensionOf(source))) {
        return {};
    }
    return "warning: --video-stream and --audio-stream apply to VOB sources only; ignored for " +
           source;
}

}  // namespace mk::cli
