// Running the probe for morvakelin-cli, waited for, in a process group of its own that a Ctrl-C
// or hang-up of this program stops as a whole. Encodes run in the job pool.
#pragma once

#include <string>

#include "probe/probe_end.h"
#include "probe/probe_run.h"

namespace mk::cli {

// Runs the probe `line` with /bin/sh -c in a process group of its own, standard input from
// /dev/null and standard output onto standard error (so nothing of it mixes with what the program
// prints), watched as probe_watch.h says (output is what reaches `reportPath`). SIGINT, SIGTERM
// and SIGHUP meanwhile stop its whole group; the signal is in the result.
ProbeEnd RunProbeWatched(const std::string& line, const std::string& reportPath);

// RunProbeWatched as the probe runner of a run on the program folder that holds `reportPath`;
// `stopSignal`, when given, receives the signal that stopped the probe (0 when none).
ProbeRunner CliProbe(const std::string& reportPath, int* stopSignal = nullptr);

}  // namespace mk::cli
