// One running command watched, alike for the console window, a lone CLI run and each job of the
// job pool: its progress and time left, its last lines (long ones shortened), the lines that tell
// of damage in the source, and at its end the verdict on the output it was to write.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "jobs/console_text.h"
#include "jobs/decode_errors.h"
#include "jobs/progress.h"

namespace mk {

class RunWatch {
public:
    // `viewLines`: how many ended lines wait for TakeLines (a view that draws now and then);
    // 0 for a watcher without a view.
    explicit RunWatch(bool batch = false, std::size_t viewLines = 0);

    // A chunk of the command's output, split anywhere.
    void Feed(std::string_view chunk);
    // The output is over: the line being written counts as ended.
    void Finish();

    const ProgressParser& Progress() const { return m_progress; }
    // Seconds left as estimated at the last chunk; nullopt while not yet meaningful.
    std::optional<double> TimeLeft() const { return m_left; }
    double Elapsed() const;

    // For a view: the lines ended since the last call, and the line being written.
    std::vector<std::string> TakeLines();
    const std::string& CurrentLine() const { return m_text.CurrentLine(); }

    // The last lines, each shortened to a length a message can hold.
    const std::deque<std::string>& LastLines() const { return m_last; }
    // The last of them that says something (ffmpeg's status lines do not), "" when none does.
    std::string Reason() const;
    const DecodeErrors& Damage() const { return m_damage; }

private:
    void TakeEnded();

    ProgressParser m_progress;
    ConsoleText m_text;
    std::size_t m_viewLines;
    std::deque<std::string> m_view;
    std::deque<std::string> m_last;
    DecodeErrors m_damage;
    std::chrono::steady_clock::time_point m_start = std::chrono::steady_clock::now();
    std::optional<double> m_left;
};

// How a run ended, as its runner saw it.
struct RunEnd {
    bool started = false;  // false: /bin/sh could not be started
    bool stopped = false;  // ended by a stop asked for
    int status = -1;       // as the shell reports it: exit code, or 128 + signal
};

enum class RunResult { Good, NotStarted, Stopped, Failed, NoOutput, EmptyOutput };

struct Verdict {
    RunResult result = RunResult::NotStarted;
    std::optional<std::uint64_t> bytes;  // of a good output that is a regular file
};

// Good when the run ended by itself with status 0 and left a non-empty `output` (when named).
// An output that is no regular file (a name under /dev or /proc, a pipe, "-") is judged by the
// status alone. The verdict never removes anything: our ffmpeg writes under a temporary name and
// removes it itself when it fails, so a file under the output name is never a failed run's own.
Verdict JudgeRun(const RunEnd& end, const std::string& output);

}  // namespace mk
