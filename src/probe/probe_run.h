// One probe from command to report text, safe with other runs on the same program folder (other
// windows, CLI runs): the folder is locked from before the probe command until its report has
// been read, so no run reads another's source. An old report, or a link in its place, is removed
// first, so a report that cannot be written is never mistaken for this source's.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "platform/shell_dialect.h"

namespace mk {

struct ProbeOutcome {
    std::optional<std::string> report;  // the report text as read; nullopt when there is none
    std::string problem;  // why the report cannot be written ("" when it can, or Conf/ is missing)
};

// Removes the old report, creates it empty (a plain file, never through a link), runs the probe
// command through `run` and reads the report. When the report cannot be removed or created, the
// probe does not run and `problem` names the file and the reason. A missing Conf folder is no
// problem: nothing is written then, and there is no report to read.
ProbeOutcome RunProbe(const ShellDialect& d, const std::string& folder, const std::string& source,
                      const std::function<int(const std::string&)>& run);

// The report as it stands, read under the same lock (no probe is half-way through writing it).
std::optional<std::string> ReadProbeReportLocked(const std::string& reportPath,
                                                 std::size_t maxBytes = 1800);

}  // namespace mk
