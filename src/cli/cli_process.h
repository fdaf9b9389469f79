// Running command lines for morvakelin-cli: the probe, waited for, and the encode in a process
// group of its own, its diagnostic output handed over as it arrives, stopped (the whole group)
// when the user interrupts or the terminal goes away.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "platform/process_runner.h"
#include "probe/probe_end.h"

namespace mk::cli {

// Runs the probe `line` with /bin/sh -c in a process group of its own, standard input from
// /dev/null and standard output onto standard error (so nothing of it mixes with what the program
// prints), watched as probe_watch.h says (output is what reaches `reportPath`). SIGINT, SIGTERM
// and SIGHUP meanwhile stop its whole group; the signal is in the result.
ProbeEnd RunProbeWatched(const std::string& line, const std::string& reportPath);

struct GroupRun {
    bool started = false;
    int exitStatus = -1;  // of the shell when it ended by itself
    int stopSignal = 0;   // the signal that asked us to stop it (SIGINT, SIGTERM, SIGHUP), or 0
};

struct GroupRunOptions {
    bool keepStdout = false;  // else the command's stdout goes nowhere
    bool readsStdin = false;  // the command reads our standard input (a stream source)
    std::function<void(std::string_view)> onStderr;  // chunks of its stderr as they come
    std::function<void()> onTick;                    // a few times a second while it runs
    StopPolicy stopPolicy;
};

// Runs `line` with /bin/sh -c in a new process group, standard input from /dev/null, its stderr
// through a pipe. SIGINT, SIGTERM and SIGHUP sent to this program meanwhile stop the group as
// StopPolicy says (each further signal takes the next step at once); returns once every process
// of it has ended. The previous handlers are restored afterwards.
GroupRun RunInGroup(const std::string& line, const GroupRunOptions& options);

}  // namespace mk::cli
