#include "form/form_model.h"

#include <cstdio>

#include "command/arguments.h"
#include "command/executable_part.h"
#include "form/field_table.h"
#include "jobs/avs_script.h"
#include "jobs/batch_file.h"
#include "jobs/encode_command.h"
#include "jobs/stream_test.h"
#include "platform/file_checks.h"
#include "probe/probe_command.h"
#include "probe/probe_run.h"
#include "probe/report_text.h"

namespace mk {

namespace {

ControlChange SetText(Field field, std::string text) {
    return {ChangeKind::SetText, field, std::move(text)};
}

ControlChange Enabled(Field field, bool enable) {
    return {enable ? ChangeKind::Enable : ChangeKind::Disable, field};
}

std::string ProgramPart(const EncoderFields& f, const FormEnv& env, bool forEncode) {
    // The codec this run's probe read; before any probe, the report on disk.
    const std::string codec =
        f.m_strSourceAudioCodec
            ? *f.m_strSourceAudioCodec
            : SourceAudioCodecFromText(
                  ReadProbeReportLocked(env.folder + env.dialect.ProbeReport()).value_or(""));
    return ExecutablePart(env.dialect, env.folder, f, codec, forEncode);
}

// The arguments; the words the target adds to More options go into its box as well.
std::string ArgumentsInto(EncoderFields& f, const FormEnv& env, ControlChanges& changes) {
    const std::string more = f.m_strMoreOptions;
    std::string args = BuildArguments(f, env.dialect);
    if (f.m_strMoreOptions != more) {
        changes.push_back(SetText(Field::MoreOptions, f.m_strMoreOptions));
    }
    return args;
}

// The report's facts into the source's size and audio codec; without a report both are empty.
std::optional<ProbeFacts> FactsInto(EncoderFields& f, const std::optional<std::string>& report) {
    f.m_dSourceWidth = 0;
    f.m_dSourceHeight = 0;
    f.m_strSourceAudioCodec = "";
    if (!report) {
        return std::nullopt;
    }
    ProbeFacts facts = ParseProbeText(*report);
    f.m_dSourceWidth = facts.width;
    f.m_dSourceHeight = facts.height;
    f.m_strSourceAudioCodec = facts.audioCodec;
    return facts;
}

}  // namespace

RuleContext ContextOf(const EncoderFields& f, bool presetting) {
    // A stream the user names ("-", "pipe:") is a source that is there, as a file would be.
    const bool source = FileExists(f.m_strSourceFile) || IsStreamSource(f.m_strSourceFile);
    return {presetting, source, FileExists(f.m_strOutputFile)};
}

void ApplyToFields(EncoderFields& f, const ControlChanges& changes) {
    for (const ControlChange& c : changes) {
        if (c.kind == ChangeKind::ClearAviSynthCheck) {
            f.m_bUseAviSynth = 0;
        } else if (const FieldRow& row = RowOf(c.field);
                   c.kind == ChangeKind::SetText && row.text) {
            f.*row.text = AsWritten(row, c.text);
        }
    }
}

SourceOpened OpenSource(EncoderFields& f, const std::string& path, const FormEnv& env,
                        const ShellRunner& run) {
    SourceOpened opened;
    f.m_strSourceFile = path;
    opened.changes.push_back(SetText(Field::SourceFile, path));
    f.m_strSourceExt = ExtensionOf(path);
    if (!IsVobExtension(f.m_strSourceExt)) {
        opened.changes.push_back(SetText(Field::AudioStream, "1"));
        opened.changes.push_back(SetText(Field::VideoStream, "0"));
    } else {
        f.m_bUseAviSynth = 0;
        opened.changes.push_back({ChangeKind::ClearAviSynthCheck, Field::UseAviSynth});
    }
    // The rules see the other fields as the form last read them.
    const ControlChanges rules = ApplyControlRules(f, ContextOf(f, env.presetting));
    opened.changes.insert(opened.changes.end(), rules.begin(), rules.end());
    const ProbeOutcome probe = RunProbe(env.dialect, env.folder, f.m_strSourceFile, run);
    if (!probe.problem.empty()) {
        opened.problem = FormMessage{probe.problem, "Probe report"};
    }
    opened.facts = FactsInto(f, probe.report);
    return opened;
}

std::optional<ProbeFacts> ReadProbeReportInto(EncoderFields& f, const FormEnv& env) {
    return FactsInto(f, ReadProbeReportLocked(env.folder + env.dialect.ProbeReport()));
}

ControlChanges ProcessBoxChanged(const EncoderFields& f, const FormEnv& env) {
    return env.presetting ? ApplyControlRules(f, ContextOf(f, true)) : ControlChanges{};
}

ControlChanges TargetLeft(const EncoderFields& f, const FormEnv& env) {
    return ApplyControlRules(f, ContextOf(f, env.presetting));
}

ControlChanges FormatLeft(const EncoderFields& f, const FormEnv& env) {
    return env.presetting ? SizePresets(f) : ControlChanges{};
}

ControlChanges AudioTargetLeft(const EncoderFields& f, const FormEnv& env) {
    return env.presetting ? AudioPresets(f) : ControlChanges{};
}

ControlChanges PresettingToggled(const EncoderFields& f, const FormEnv& env, bool nowOn) {
    (void)env;
    return nowOn ? ApplyControlRules(f, ContextOf(f, true)) : EnableAllControls();
}

ControlChanges OutputChosen(EncoderFields& f, const std::string& path) {
    f.m_strOutputFile = path;
    ControlChanges changes{SetText(Field::OutputFile, path), Enabled(Field::Command, true)};
    const ControlChanges buttons = SetOutputButtons(f, FileExists(path));
    changes.insert(changes.end(), buttons.begin(), buttons.end());
    return changes;
}

Generated Generate(EncoderFields& f, const FormEnv& env) {
    Generated g;
    const std::string program = ProgramPart(f, env, false);
    f.m_strArguments = ArgumentsInto(f, env, g.changes);
    g.command = "\"" + program + f.m_strArguments;
    g.changes.push_back(SetText(Field::Command, g.command));
    return g;
}

EncodePlan PrepareEncode(EncoderFields& f, const FormEnv& env) {
    EncodePlan plan;
    if (f.m_bUseAviSynth == 1) {
        const std::string script = env.folder + "TV.avs";
        const auto text = ReadFilePrefix(script, kScriptSearchBytes);
        if (!text) {
            plan.refusal = {"TV.avs is not in ffmpeg's program folder.", "File not found"};
            return plan;
        }
        if (!ScriptNamesSource(*text, f.m_strSourceFile)) {
            plan.refusal = {"Change the source filename in TV.avs, line: XXXsource(...).",
                            "Edit file"};
            plan.editFile = script;
            return plan;
        }
    }
    const std::string program = ProgramPart(f, env, true);
    f.m_strArguments = ArgumentsInto(f, env, plan.changes) + env.dialect.ConsoleClose();
    plan.consoleLine = EncodeConsoleLine(env.dialect, program, f.m_strArguments);
    return plan;
}

ControlChanges EncodeFinished(const EncoderFields& f, const ConsoleResult& result) {
    // What a failed or stopped encode left behind is no output to preview.
    const bool failed = result.stopped || result.exitStatus != 0;
    return {Enabled(Field::Preview, FileExists(f.m_strOutputFile) && !failed)};
}

StreamTestPlan PrepareStreamTest(EncoderFields& f, const FormEnv& env) {
    StreamTestPlan plan;
    f.m_strArguments = StreamTestArguments(env.dialect, env.folder, f);
    plan.testFile = env.folder + kStreamTestFile;
    if (FileExists(plan.testFile)) {
        std::remove(plan.testFile.c_str());  // a file that resists is left for ffmpeg to overwrite
    }
    plan.consoleLine = StreamTestConsoleLine(env.dialect, env.folder, f.m_strArguments);
    return plan;
}

std::optional<FormMessage> StreamTestFinished(const std::string& testFile) {
    const auto length = FileLength(testFile);
    if (!length) {
        return FormMessage{"Stream test file was not created.", "File not found"};
    }
    if (*length == 0) {
        return FormMessage{"Stream test file is empty: \nSelected number of audio stream is wrong",
                           "Empty File"};
    }
    return std::nullopt;
}

std::optional<FormMessage> PreviewCheck(const EncoderFields& f) {
    const auto length = FileLength(f.m_strOutputFile);
    if (f.m_strOutputFile.empty() || !length) {
        return FormMessage{"Out file was not created.", "File not found"};
    }
    if (*length == 0) {
        return FormMessage{"Out file is empty: Check command string.", "Empty File"};
    }
    return std::nullopt;
}

std::string BatchFilePath(const FormEnv& env) {
    return env.folder + env.dialect.BatchFile();
}

bool AppendToBatch(const FormEnv& env, const std::string& command) {
    const std::string batch = BatchFilePath(env);
    // The header goes in with the first line when the file is missing: testing for the file
    // first and writing the header apart would let another add in between.
    return AppendBatchCommand(batch, env.dialect, command);
}

BatchAdded AddToBatch(EncoderFields& f, const FormEnv& env) {
    BatchAdded added;
    added.generated = Generate(f, env);
    added.written = AppendToBatch(env, added.generated.command);
    return added;
}

}  // namespace mk
