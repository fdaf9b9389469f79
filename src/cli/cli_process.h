// Running command lines through /bin/sh for morvakelin-cli: the probe, waited for, and the encode
// in a process group of its own, its diagnostic output handed over as it arrives, stopped
// (the whole group) when the user interrupts.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace mk::cli {

// Runs `line` with /bin/sh -c, standard input from /dev/null and standard output onto standard
// error (so nothing of it mixes with what the program prints); returns the shell's exit status.
int RunShellWaited(const std::string& line);

struct GroupRun {
    bool started = false;
    int exitStatus = -1;  // of the shell when it ended by itself
    int stopSignal = 0;   // the signal that asked us to stop it (SIGINT, SIGTERM), 0 if none
};

struct GroupRunOptions {
    bool keepStdout = false;                         // else the command's stdout goes nowhere
    std::function<void(std::string_view)> onStderr;  // chunks of its stderr as they come
    std::function<void()> onTick;                    // a few times a second while it runs
    int stopGraceMs = 4000;                          // from SIGINT to SIGKILL
};

// Runs `line` with /bin/sh -c in a new process group, standard input from /dev/null, its stderr
// through a pipe. SIGINT and SIGTERM sent to this program meanwhile stop the group: ffmpeg is
// given SIGINT first (it closes the output properly), SIGKILL after the grace time or a second
// signal. The previous handlers are restored afterwards.
GroupRun RunInGroup(const std::string& line, const GroupRunOptions& options);

}  // namespace mk::cli
