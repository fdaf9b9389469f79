// Watching the probe while it runs. ffmpeg describes a readable source within moments; one that
// waits for data that never comes (a FIFO nobody writes, a source that never ends, a hung
// mount) would hold the form or the CLI for ever. So the probe runs in a process group of its
// own, is stopped as a whole when it gives no output for a while, and a stop reaches every
// process of it (the shell, our ffmpeg and the real one).
#pragma once

#include <chrono>
#include <string>

#include "platform/process_runner.h"
#include "probe/probe_end.h"

namespace mk {

// How long a probe may go without any output before it is stopped.
inline constexpr std::chrono::seconds kProbeQuietLimit{30};

// The text that says a probe was stopped for its silence, naming the source and the limit.
std::string SilentProbeText(const std::string& source, std::chrono::milliseconds limit);

class ProbeWatch {
public:
    // Output is what the probe writes into `reportPath` (its report), seen as the file grows.
    explicit ProbeWatch(std::string reportPath,
                        std::chrono::milliseconds quietLimit = kProbeQuietLimit);

    // Starts the probe line with standard input from /dev/null; false when it could not start.
    bool Start(const std::string& line, Route out, Route err);
    // One look, without blocking: notes output, stops the probe once it has been quiet for the
    // limit, moves a stop along its steps. True once the probe is over (its whole group gone
    // after a stop).
    bool Step();
    // The user's stop: the whole group, SIGINT first, each further call a step further.
    void Stop(int signal);
    ProbeEnd End() const;

private:
    std::string m_reportPath;
    std::chrono::milliseconds m_limit;
    ShellProcess m_process;
    long long m_lastSize = -1;
    ShellProcess::Clock::time_point m_lastOutput;
    ProbeEnd m_end;
};

}  // namespace mk
