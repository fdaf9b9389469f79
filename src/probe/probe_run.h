// One probe from command to report text, safe with other runs on the same program folder (other
// windows, CLI runs): the folder is locked from before the probe command until its report has
// been read, so no run reads another's source. An old report, or a link in its place, is removed
// first, so a report that cannot be written is never mistaken for this source's. A source that
// would hang the probe (a FIFO, a device) is refused before anything runs, and a probe that
// hangs anyway is stopped by its runner (see probe_watch.h).
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "platform/shell_dialect.h"
#include "probe/probe_end.h"

namespace mk {

struct ProbeOutcome {
    std::optional<std::string> report;  // the report text as read; nullopt when there is none
    // Why there is no report of this source: it cannot be written, the source is refused, the
    // probe was stopped ("" when the probe ran, or Conf/ is missing).
    std::string problem;
    int stopSignal = 0;  // the user stopped the probe: the signal that asked
};

// Runs the probe command line and waits for it. A runner that watches it (the desktop's, the
// CLI's) stops it after kProbeQuietLimit without output and when the user asks.
using ProbeRunner = std::function<ProbeEnd(const std::string& commandLine)>;

// Removes the old report, creates it empty (a plain file, never through a link), runs the probe
// command through `run` and reads the report. When the report cannot be removed or created, or
// the source is a FIFO or a device, the probe does not run and `problem` says why. A stream
// source ("-", "pipe:") is not probed: it can be read only once. A probe stopped for its silence
// or by the user leaves an empty report and the reason. A missing Conf folder is no problem:
// nothing is written then, and there is no report to read.
ProbeOutcome RunProbe(const ShellDialect& d, const std::string& folder, const std::string& source,
                      const ProbeRunner& run);

// The report as it stands, read under the same lock (no probe is half-way through writing it).
std::optional<std::string> ReadProbeReportLocked(const std::string& reportPath,
                                                 std::size_t maxBytes = 1800);

}  // namespace mk
