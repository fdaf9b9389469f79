#include "cli/cli_many.h"

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "cli/cli_board.h"
#include "cli/cli_process.h"
#include "cli/cli_session.h"
#include "form/form_model.h"
#include "jobs/batch_commands.h"
#include "jobs/ffmpeg_trials.h"
#include "jobs/job_pool.h"
#include "platform/file_checks.h"
#include "platform/shell_limits.h"
#include "platform/stop_signals.h"
#include "rules/output_chooser.h"

namespace mk::cli {

namespace {

constexpr const char* kName = "morvakelin-cli";

int Bad(CliIo& io, const std::string& why) {
    io.err << kName << ": " << why << "\n" << kName << ": see " << kName << " --help\n";
    return kExitBadOptions;
}

std::string Absolute(const std::string& path) {
    return std::filesystem::absolute(path).lexically_normal().string();
}

// The file `output` names, however it is spelled ("d//x", "d/../d/x", a linked folder), so that
// two commands writing one file are seen as such; "" for a stream or device, which many share.
std::string SameFileKey(const std::string& output) {
    std::error_code ec;
    std::string real = std::filesystem::weakly_canonical(Absolute(output), ec).string();
    real = ec ? Absolute(output) : real;
    const bool shared = output.empty() || IsStreamSource(output) || real.starts_with("/dev/") ||
                        real.starts_with("/proc/");
    return shared ? std::string() : real;
}

// The media length the probe found, from the source properties' "Duration:".
std::optional<double> DurationOf(const std::string& sourceInfo) {
    ProgressParser parser;
    parser.Feed(sourceInfo + "\n");
    return parser.Duration();
}

// One source as a lone run prepares it: its probe, the presets, the options given, its output
// named after it; then the encode's console line (or the command, for --print and --batch-add).
// Prepared one after the other, each while the probe report is its own.
Planned PrepareSource(const CliOptions& o, const std::string& source, const FormEnv& env,
                      int& probeStop, MuxerQuery& muxers) {
    CliOptions one = o;
    one.source = Absolute(source);
    one.output.clear();
    const ShellRunner probe = CliProbe(env.folder + env.dialect.ProbeReport(), &probeStop);
    std::optional<FormMessage> probeProblem;
    EncoderFields f = FieldsFor(one, env.dialect, env.folder, probe, &probeProblem);
    const OutputChoice choice = ChooseOutputFile(f);
    const std::string stem = std::filesystem::path(one.source).stem().string();
    std::string name =
        stem + (choice.defaultExtension.empty() ? "" : "." + choice.defaultExtension);
    f.m_strOutputFile = Absolute((std::filesystem::path(o.outputDir) / name).string());

    Planned planned;
    planned.job.output = f.m_strOutputFile;
    planned.job.name = std::filesystem::path(planned.job.output).filename().string();
    planned.job.duration = DurationOf(f.m_strSourceInfo);
    if (probeProblem) {  // a source the probe could not read to its end would hang the encode too
        planned.refusal = probeProblem->text;
    }
    if (o.print || o.batchAdd) {
        planned.job.line = Generate(f, env).command;
        return planned;
    }
    const EncodePlan plan = PrepareEncode(f, env);
    if (plan.refusal && !planned.refusal) {
        planned.refusal = plan.refusal->title + ": " + plan.refusal->text;
    }
    if (const auto unfit = FindCommandMuxRefusal(plan.consoleLine, f.m_strTarget, muxers)) {
        planned.unfit = RefusalLine(*unfit);
    }
    planned.job.line = plan.consoleLine;
    return planned;
}

// Says how each planned job went; returns the exit status of them all.
int Summary(CliIo& io, const std::vector<Planned>& planned, const JobPool& pool, int stopSignal) {
    io.err << "summary:\n";
    bool allGood = true;
    for (std::size_t i = 0, job = 0; i < planned.size(); ++i) {
        const JobState* state = planned[i].refusal ? nullptr : &pool.States()[job++];
        const std::string why = !state ? *planned[i].refusal
                                : state->phase != JobPhase::Done
                                    ? "not started: stopped before its turn"
                                    : Why(*state);
        allGood = allGood && why.empty();
        io.err << (why.empty() ? "  good    " : "  FAILED  ") << planned[i].job.name
               << (why.empty() ? "" : ": " + why) << "\n";
        if (why.empty()) {
            WarnOfDamage(io.err, state->watch.Damage(), "    ", "      ");
        }
    }
    io.err << std::flush;
    return stopSignal != 0 ? 128 + stopSignal : allGood ? kExitOk : kExitFailed;
}

}  // namespace

int RunPlanned(const std::vector<Planned>& planned, const CliOptions& o, CliIo& io, bool lone) {
    std::vector<JobSpec> specs;
    for (const Planned& p : planned) {
        if (!p.refusal) {
            specs.push_back(p.job);
        }
    }
    const bool verbose = lone && o.verbose;
    // Their standard output is ours, with or without --verbose: an output of - or /dev/stdout is
    // written there.
    JobPool pool(std::move(specs), lone ? 1 : o.jobs.value_or(DefaultJobCount()), true);
    Board board(io, pool, lone, verbose);
    StopSignals signals;
    JobPool::Events events = board.Events(signals);
    if (verbose) {
        events.onStderr = [&](std::size_t, std::string_view chunk) {
            io.err.write(chunk.data(), static_cast<std::streamsize>(chunk.size()));
            io.err.flush();
        };
    }
    pool.Run(events);
    board.Finish();
    return lone ? board.ReportLone(signals.FirstSignal())
                : Summary(io, planned, pool, signals.FirstSignal());
}

int RunSources(const CliOptions& o, const std::string& programFolder, CliIo& io) {
    for (const std::string& source : o.sources) {
        if (const std::string refusal = SourceRefusal(source); !refusal.empty()) {
            return Bad(io, refusal);
        }
        if (!FileExists(source) || std::filesystem::is_directory(source)) {
            return Bad(io, "source file not found: " + source);
        }
    }
    if (!std::filesystem::is_directory(o.outputDir)) {
        return Bad(io, "output folder not found: " + o.outputDir);
    }
    const ShellDialect d = ShellDialect::Posix();
    const FormEnv env{d, programFolder, !o.noPresets};
    std::vector<Planned> planned;
    std::map<std::string, std::string> sourceOf;  // output -> the source that makes it
    InstalledFfmpegTrials muxers;
    for (const std::string& source : o.sources) {
        int probeStop = 0;
        planned.push_back(PrepareSource(o, source, env, probeStop, muxers));
        if (probeStop != 0) {
            io.err << kName << ": stopped while probing " << source << "\n";
            return 128 + probeStop;
        }
        if (const std::string note = StreamNumbersNote(o, source); !note.empty()) {
            io.err << kName << ": " << note << "\n";
        }
        const auto [it, fresh] = sourceOf.emplace(planned.back().job.output, source);
        if (!fresh) {
            return Bad(io, "'" + it->second + "' and '" + source + "' would both be encoded to " +
                               it->first);
        }
    }
    for (const Planned& p : planned) {
        if (!p.unfit.empty()) {
            io.err << kName << ": " << p.job.name << ": " << p.unfit << "\n";
            return kExitBadOptions;
        }
    }
    // Nothing is printed or added before every output name is known to be its own.
    for (const Planned& p : planned) {
        if (o.print) {
            io.out << p.job.line << "\n" << std::flush;
        }
        if (o.batchAdd && !AppendToBatch(env, p.job.line)) {
            io.err << kName << ": cannot write the batch file " << BatchFilePath(env) << "\n";
            return kExitFailed;
        }
    }
    if (o.print || o.batchAdd) {
        return kExitOk;
    }
    return RunPlanned(planned, o, io, false);
}

int RunBatch(const CliOptions& o, const std::string& programFolder, CliIo& io) {
    const ShellDialect d = ShellDialect::Posix();
    const std::string path = BatchFilePath({d, programFolder, true});
    const BatchRead read = ReadBatchFile(path, d, LongestShellLine());
    if (!read.problem.empty()) {
        io.err << kName << ": " << read.problem << "\n";
        return kExitFailed;
    }
    std::vector<Planned> planned;
    std::map<std::string, std::size_t> lineOf;  // output -> the line of the command that makes it
    InstalledFfmpegTrials muxers;
    for (const BatchCommand& c : read.commands) {
        if (const auto unfit = FindCommandMuxRefusal(c.text, "", muxers)) {
            io.err << kName << ": line " << c.line << " of " << path << ": " << RefusalLine(*unfit)
                   << "\n";
            return kExitBadOptions;
        }
        const auto [it, fresh] = lineOf.emplace(SameFileKey(c.output), c.line);
        if (!fresh && !it->first.empty()) {
            return Bad(io, "lines " + std::to_string(it->second) + " and " +
                               std::to_string(c.line) + " of " + path +
                               " would both be encoded to " + c.output);
        }
        Planned p;
        p.job.output = c.output;
        p.job.name = p.job.output.empty() ? "line " + std::to_string(c.line)
                                          : std::filesystem::path(p.job.output).filename().string();
        p.job.line = c.text;
        planned.push_back(std::move(p));
    }
    if (planned.empty()) {
        io.err << kName << ": the batch file holds no command: " << path << "\n";
        return kExitOk;
    }
    return RunPlanned(planned, o, io, false);
}

}  // namespace mk::cli
