#include "cli/cli_app.h"

#include <sys/stat.h>

#include <chrono>
#include <cstdio>
#include <deque>
#include <filesystem>
#include <optional>

#include "cli/cli_many.h"
#include "cli/cli_options.h"
#include "cli/cli_process.h"
#include "cli/cli_session.h"
#include "jobs/console_text.h"
#include "jobs/decode_errors.h"
#include "jobs/progress.h"
#include "platform/file_checks.h"
#include "platform/shell_limits.h"

namespace mk::cli {

namespace {

constexpr const char* kName = "morvakelin-cli";
constexpr std::size_t kTailLines = 8;         // of ffmpeg's output, shown when an encode fails
constexpr std::size_t kTailLineLength = 400;  // its build configuration alone is 2000 characters

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

// Size and modification time, to tell whether a run touched a file that was there before.
struct FileStamp {
    off_t size;
    struct timespec mtime;
};

std::optional<FileStamp> StampOf(const std::string& path) {
    struct stat st {};
    if (path.empty() || stat(path.c_str(), &st) != 0) {
        return std::nullopt;
    }
    return FileStamp{st.st_size, st.st_mtim};
}

bool SameStamp(const FileStamp& a, const FileStamp& b) {
    return a.size == b.size && a.mtime.tv_sec == b.mtime.tv_sec &&
           a.mtime.tv_nsec == b.mtime.tv_nsec;
}

// Progress on stderr: one line rewritten with \r on a terminal, plain lines otherwise (one per
// percent, so a log stays short).
class ProgressView {
public:
    ProgressView(CliIo& io) : m_io(io), m_start(std::chrono::steady_clock::now()) {}

    void Feed(std::string_view chunk) { m_parser.Feed(chunk); }

    void Show() {
        const auto percent = m_parser.Percent();
        if (!percent) {
            if (!m_saidUnknown && m_parser.Position()) {
                Write("encoding (no duration known)");
                m_saidUnknown = true;
            }
            return;
        }
        const double elapsed =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - m_start).count();
        const auto left = m_parser.SecondsLeft(elapsed);
        std::string text = "encoding " + std::to_string(*percent) + "%";
        if (left) {
            text += ", time left " + FormatClock(*left);
        }
        if (m_io.errIsTerminal ? text == m_last : *percent == m_lastPercent) {
            return;
        }
        m_lastPercent = *percent;
        Write(text);
    }

    // Ends the updating line on a terminal.
    void Finish() {
        if (m_io.errIsTerminal && !m_last.empty()) {
            m_io.err << "\n";
            m_last.clear();
        }
        m_io.err.flush();
    }

private:
    void Write(const std::string& text) {
        if (m_io.errIsTerminal) {
            std::string padded = text;
            if (padded.size() < m_last.size()) {
                padded.append(m_last.size() - padded.size(), ' ');
            }
            m_io.err << "\r" << padded << std::flush;
        } else {
            m_io.err << text << "\n" << std::flush;
        }
        m_last = text;
    }

    CliIo& m_io;
    ProgressParser m_parser;
    std::chrono::steady_clock::time_point m_start;
    std::string m_last;
    int m_lastPercent = -1;
    bool m_saidUnknown = false;
};

// The last lines of ffmpeg's output, for the message of a failed encode.
class OutputTail {
public:
    void Feed(std::string_view chunk) {
        m_text.Feed(chunk);
        Keep();
    }
    std::deque<std::string> Lines() {
        m_text.Finish();
        Keep();
        return m_lines;
    }
    const DecodeErrors& Errors() const { return m_errors; }

private:
    void Keep() {
        for (const std::string& line : m_text.TakeFinishedLines()) {
            m_errors.Take(line);
            m_lines.push_back(ShortenMiddle(line, kTailLineLength));
            if (m_lines.size() > kTailLines) {
                m_lines.pop_front();
            }
        }
    }
    ConsoleText m_text{256};
    std::deque<std::string> m_lines;
    DecodeErrors m_errors{kTailLines, kTailLineLength};
};

// What one encode's run gave: the shell's result and the last lines of ffmpeg's output.
struct EncodeRun {
    GroupRun result;
    std::deque<std::string> tail;
    DecodeErrors errors{0, 0};
};

// ffmpeg ended well but met damage in the source: the output may be short.
void WarnOfDecodeErrors(const DecodeErrors& errors, CliIo& io) {
    if (errors.Count() == 0) {
        return;
    }
    io.err << kName
           << ": warning: ffmpeg met errors in the source; the output may be incomplete:\n";
    for (const std::string& line : errors.Kept()) {
        io.err << "  " << line << "\n";
    }
    if (errors.Count() > errors.Kept().size()) {
        io.err << "  (" << errors.Count() - errors.Kept().size() << " more such lines)\n";
    }
}

// Runs the console line in a process group, with progress on stderr (or ffmpeg's own output with
// --verbose).
EncodeRun RunWithProgress(const std::string& line, const CliOptions& o, CliIo& io) {
    if (o.verbose) {
        io.err << line << "\n" << std::flush;
    }
    ProgressView progress(io);
    OutputTail tail;
    GroupRunOptions run;
    run.keepStdout = o.verbose;
    run.readsStdin = IsStreamSource(o.source);
    run.onStderr = [&](std::string_view chunk) {
        progress.Feed(chunk);
        tail.Feed(chunk);
        if (o.verbose) {
            io.err.write(chunk.data(), static_cast<std::streamsize>(chunk.size()));
            io.err.flush();
        }
    };
    if (!o.verbose) {
        run.onTick = [&] { progress.Show(); };
    }
    EncodeRun done{RunInGroup(line, run), {}};
    if (!o.verbose) {
        progress.Show();  // where ffmpeg got to, however quickly it ended
    }
    progress.Finish();
    done.tail = tail.Lines();
    done.errors = tail.Errors();
    return done;
}

// Judges the run by its exit and the output it left, says so, and returns the exit status. A
// file this run created and left incomplete goes; a file that was there before is the user's.
int ReportEncode(const EncodeRun& run, const std::string& output,
                 const std::optional<FileStamp>& before, const CliOptions& o, CliIo& io) {
    const GroupRun& result = run.result;
    const auto length = FileLength(output);
    if (result.started && result.stopSignal == 0 && result.exitStatus == 0 && length &&
        *length > 0) {
        io.err << "done: " << output << " (" << *length << " bytes)\n";
        WarnOfDecodeErrors(run.errors, io);
        return kExitOk;
    }
    if (!result.started) {
        io.err << kName << ": could not start /bin/sh\n";
    } else if (result.stopSignal != 0) {
        io.err << kName << ": stopped; ffmpeg was interrupted\n";
    } else if (result.exitStatus != 0) {
        if (!o.verbose) {
            for (const std::string& l : run.tail) {
                io.err << "  " << l << "\n";
            }
        }
        io.err << kName << ": the encode failed (exit status " << result.exitStatus << ")\n";
    } else {
        io.err << kName << ": " << (length ? "the output file is empty: " : "no output file: ")
               << output << "\n";
    }
    if (!before && length) {
        std::error_code ec;
        if (std::filesystem::remove(output, ec)) {
            io.err << kName << ": removed the incomplete output " << output << "\n";
        }
    } else if (before && length) {
        const auto after = StampOf(output);
        if (after && !SameStamp(*before, *after)) {
            io.err << kName << ": " << output
                   << " was there before this run and has been overwritten; it is incomplete\n";
        }
    }
    return result.stopSignal != 0 ? 128 + result.stopSignal : kExitFailed;
}

// Encode: prepared as the form's Encode prepares it, run with progress, judged by its output.
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
    const std::optional<FileStamp> before = StampOf(f.m_strOutputFile);
    const EncodeRun run = RunWithProgress(plan.consoleLine, o, io);
    return ReportEncode(run, f.m_strOutputFile, before, o, io);
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
    full.output = std::filesystem::absolute(o.output).lexically_normal().string();

    const ShellDialect d = ShellDialect::Posix();
    std::optional<FormMessage> probeProblem;
    int probeStop = 0;
    const ShellRunner probe = [&](const std::string& line) {
        const ProbeEnd end = RunProbeWatched(line, programFolder + d.ProbeReport());
        probeStop = end.stopSignal;
        return end;
    };
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
        if (const std::string command = Generate(f, env).command; TooLongForShell(command)) {
            return CommandTooLong(io, command);
        }
        if (o.batchAdd) {
            const BatchAdded added = AddToBatch(f, env);
            if (o.print) {
                io.out << added.generated.command << "\n" << std::flush;
            }
            if (!added.written) {
                io.err << kName << ": cannot write the batch file " << BatchFilePath(env) << "\n";
                return kExitFailed;
            }
            io.err << "added to " << BatchFilePath(env) << "\n";
        } else {
            io.out << Generate(f, env).command << "\n" << std::flush;
        }
        return kExitOk;
    }
    return Encode(f, env, full, io);
}

}  // namespace mk::cli
