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
#include "jobs/job_pool.h"
#include "platform/file_checks.h"
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

// The media length the probe found, from the source properties' "Duration:".
std::optional<double> DurationOf(const std::string& sourceInfo) {
    ProgressParser parser;
    parser.Feed(sourceInfo + "\n");
    return parser.Duration();
}

// One source as a lone run prepares it: its probe, the presets, the options given, its output
// named after it; then the encode's console line (or the command, for --print and --batch-add).
// Prepared one after the other, each while the probe report is its own.
Planned PrepareSource(const CliOptions& o, const std::string& source, const FormEnv& env) {
    CliOptions one = o;
    one.source = Absolute(source);
    one.output.clear();
    EncoderFields f = FieldsFor(one, env.dialect, env.folder, RunShellWaited);
    const OutputChoice choice = ChooseOutputFile(f);
    const std::string stem = std::filesystem::path(one.source).stem().string();
    std::string name =
        stem + (choice.defaultExtension.empty() ? "" : "." + choice.defaultExtension);
    f.m_strOutputFile = Absolute((std::filesystem::path(o.outputDir) / name).string());

    Planned planned;
    planned.job.output = f.m_strOutputFile;
    planned.job.name = std::filesystem::path(planned.job.output).filename().string();
    planned.job.duration = DurationOf(f.m_strSourceInfo);
    if (o.print || o.batchAdd) {
        planned.job.line = Generate(f, env).command;
        return planned;
    }
    const EncodePlan plan = PrepareEncode(f, env);
    if (plan.refusal) {
        planned.refusal = plan.refusal->title + ": " + plan.refusal->text;
    }
    planned.job.line = plan.consoleLine;
    return planned;
}

// The output a batch line writes: its last double-quoted word, as the form composes it.
std::string OutputOfLine(const std::string& line) {
    const std::size_t close = line.rfind('"');
    if (close == std::string::npos || close == 0) {
        return {};
    }
    const std::size_t open = line.rfind('"', close - 1);
    return open == std::string::npos ? std::string() : line.substr(open + 1, close - open - 1);
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
    JobPool pool(std::move(specs), lone ? 1 : o.jobs.value_or(DefaultJobCount()), verbose);
    Board board(io, pool, lone, verbose);
    StopSignals signals;
    JobPool::Events events;
    events.onStart = [&](std::size_t i) { board.Started(i); };
    events.onEnd = [&](std::size_t i) { board.Ended(i); };
    events.onTick = [&] { board.Tick(); };
    if (verbose) {
        events.onStderr = [&](std::size_t, std::string_view chunk) {
            io.err.write(chunk.data(), static_cast<std::streamsize>(chunk.size()));
            io.err.flush();
        };
    }
    events.stopRequests = [&] { return signals.Count(); };
    pool.Run(events);
    board.Finish();
    return lone ? board.ReportLone(signals.FirstSignal())
                : Summary(io, planned, pool, signals.FirstSignal());
}

int RunSources(const CliOptions& o, const std::string& programFolder, CliIo& io) {
    for (const std::string& source : o.sources) {
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
    for (const std::string& source : o.sources) {
        planned.push_back(PrepareSource(o, source, env));
        const auto [it, fresh] = sourceOf.emplace(planned.back().job.output, source);
        if (!fresh) {
            return Bad(io, "'" + it->second + "' and '" + source + "' would both be encoded to " +
                               it->first);
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
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        io.err << kName << ": cannot read the batch file " << path << "\n";
        return kExitFailed;
    }
    std::stringstream text;
    text << in.rdbuf();
    std::vector<Planned> planned;
    std::map<std::string, std::size_t> commandOf;  // output -> the command that makes it
    for (const std::string& line : BatchCommands(text.str(), d)) {
        const auto [it, fresh] = commandOf.emplace(OutputOfLine(line), planned.size() + 1);
        if (!fresh && !it->first.empty()) {
            return Bad(io, "commands " + std::to_string(it->second) + " and " +
                               std::to_string(planned.size() + 1) + " of " + path +
                               " would both be encoded to " + it->first);
        }
        Planned p;
        p.job.output = OutputOfLine(line);
        p.job.name = p.job.output.empty() ? "line " + std::to_string(planned.size() + 1)
                                          : std::filesystem::path(p.job.output).filename().string();
        p.job.line = line;
        planned.push_back(std::move(p));
    }
    if (planned.empty()) {
        io.err << kName << ": the batch file holds no command: " << path << "\n";
        return kExitOk;
    }
    return RunPlanned(planned, o, io, false);
}

}  // namespace mk::cli
