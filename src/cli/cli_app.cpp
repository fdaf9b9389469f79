#include "cli/cli_app.h"

#include <filesystem>
#include <optional>

#include "cli/cli_disc.h"
#include "cli/cli_many.h"
#include "cli/cli_options.h"
#include "cli/cli_process.h"
#include "cli/cli_session.h"
#include "jobs/ffmpeg_trials.h"
#include "platform/file_checks.h"
#include "platform/shell_limits.h"

namespace mk::cli {

namespace {

constexpr const char* kName = "morvakelin-cli";

int BadOptions(CliIo& io, const std::string& why) {
    io.err << kName << ": " << why << "\n" << HelpHint();
    return kExitBadOptions;
}

// exec refuses a longer line; the shell's caller would see nothing but exit status 127.
bool TooLongForShell(const std::string& line) {
    return line.size() > LongestShellLine();
}

int CommandTooLong(CliIo& io, const std::string& line) {
    return BadOptions(io, "the command is " + std::to_string(line.size()) +
                              " bytes, longer than the shell can take (at most " +
                              std::to_string(LongestShellLine()) + ")");
}

// Encode: prepared as the form's Encode prepares it, run as a pool of one.
int Encode(EncoderFields& f, const FormEnv& env, const CliOptions& o, CliIo& io) {
    const EncodePlan plan = PrepareEncode(f, env);
    if (plan.refusal) {
        io.err << kName << ": " << plan.refusal->title << ": " << plan.refusal->text << "\n";
        if (!plan.editFile.empty()) {
            io.err << kName << ": the script is " << plan.editFile << "\n";
        }
        return kExitFailed;
    }
    if (TooLongForShell(plan.consoleLine)) {
        return CommandTooLong(io, plan.consoleLine);
    }
    InstalledFfmpegTrials trials;
    if (const auto unfit = FindCommandMuxRefusal(plan.consoleLine, f.m_strTarget, trials)) {
        io.err << kName << ": " << RefusalLine(*unfit) << "\n";
        return kExitBadOptions;
    }
    if (o.verbose) {
        io.err << plan.consoleLine << "\n" << std::flush;
    }
    Planned one;
    one.job.line = plan.consoleLine;
    one.job.output = f.m_strOutputFile;
    one.job.readsStdin = IsStreamSource(f.m_strSourceFile);
    return RunPlanned({one}, o, io, true);
}

}  // namespace

std::string OwnProgramFolder() {
    std::error_code ec;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) {
        return "./";
    }
    return self.parent_path().string() + "/";
}

int RunCli(std::span<const std::string> args, const std::string& programFolder, CliIo io) {
    const ParseResult parsed = ParseCli(args);
    if (!parsed.options) {
        return BadOptions(io, parsed.error);
    }
    const CliOptions& o = *parsed.options;
    if (o.help) {
        io.out << Usage();
        return kExitOk;
    }
    if (o.version) {
        io.out << VersionLine() << "\n";
        return kExitOk;
    }
    if (o.runBatch) {
        return RunBatch(o, programFolder, io);
    }
    if (!o.disc.empty()) {
        return RunDisc(o, programFolder, io);
    }
    if (!o.sources.empty()) {
        return RunSources(o, programFolder, io);
    }
    // The form's open dialog takes only existing files.
    if (const std::string refusal = SourceRefusal(o.source); !refusal.empty()) {
        return BadOptions(io, refusal);
    }
    if (!IsStreamSource(o.source) &&
        (!FileExists(o.source) || std::filesystem::is_directory(o.source))) {
        return BadOptions(io, "source file not found: " + o.source);
    }

    // Full paths, as the form's file dialogs give them: the batch file runs them from elsewhere.
    CliOptions full = o;
    full.source = IsStreamSource(o.source)
                      ? o.source
                      : std::filesystem::absolute(o.source).lexically_normal().string();
    full.output = IsStreamSource(o.output)  // standard output: "-", "pipe:1"
                      ? o.output
                      : std::filesystem::absolute(o.output).lexically_normal().string();

    const ShellDialect d = ShellDialect::Posix();
    std::optional<FormMessage> probeProblem;
    int probeStop = 0;
    const ShellRunner probe = CliProbe(programFolder + d.ProbeReport(), &probeStop);
    EncoderFields f = FieldsFor(full, d, programFolder, probe, &probeProblem);
    if (probeProblem) {
        io.err << kName << ": " << probeProblem->text << "\n";
        return probeStop != 0 ? 128 + probeStop : kExitFailed;
    }
    if (const std::string note = StreamNumbersNote(o, full.source); !note.empty()) {
        io.err << kName << ": " << note << "\n";
    }
    if (!FileExists(programFolder + d.ProbeReport())) {
        io.err << kName << ": warning: no probe report at " << programFolder << d.ProbeReport()
               << " (is the program folder writable?)\n";
    } else if (IsStreamSource(full.source)) {
        io.err << kName << ": note: a stream is not probed (that would use it up); its size "
               << "and length are unknown\n";
    } else if (f.m_strSourceInfo.find("Duration:") == std::string::npos) {
        // The report's last line says why ffmpeg could not describe the source.
        io.err << kName << ": warning: ffmpeg could not read the source:\n"
               << f.m_strSourceInfo << "\n";
    }

    const FormEnv env{d, programFolder, !o.noPresets};
    if (o.print || o.batchAdd) {
        const std::string command = Generate(f, env).command;
        if (TooLongForShell(command)) {
            return CommandTooLong(io, command);
        }
        if (o.batchAdd) {
            if (o.print) {
                io.out << command << "\n" << std::flush;
            }
            if (!AppendToBatch(env, command)) {
                io.err << kName << ": cannot write the batch file " << BatchFilePath(env) << "\n";
                return kExitFailed;
            }
            io.err << "added to " << BatchFilePath(env) << "\n";
        } else {
            io.out << command << "\n" << std::flush;
        }
        return kExitOk;
    }
    return Encode(f, env, full, io);
}

}  // namespace mk::cli
