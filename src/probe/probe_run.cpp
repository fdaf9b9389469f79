#include "probe/probe_run.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/file_checks.h"
#include "platform/folder_lock.h"
#include "probe/probe_command.h"
#include "probe/probe_watch.h"
#include "probe/report_text.h"

namespace mk {

namespace {

std::string CannotWrite(const std::string& path, int error) {
    return "Cannot write the probe report " + path + ": " + std::strerror(error) +
           ". Make it and its folder writable, then open the source again.";
}

// "" when a fresh, empty report stands at `path` (or the folder is missing), else the problem.
std::string FreshReport(const std::string& path) {
    if (::unlink(path.c_str()) != 0 && errno != ENOENT) {
        return CannotWrite(path, errno);
    }
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0) {
        return errno == ENOENT ? std::string() : CannotWrite(path, errno);
    }
    ::close(fd);
    return {};
}

}  // namespace

ProbeOutcome RunProbe(const ShellDialect& d, const std::string& folder, const std::string& source,
                      const ProbeRunner& run) {
    const std::string path = folder + d.ProbeReport();
    ProbeOutcome outcome;
    const bool posix = !d.IsWindows();  // the file steps are this machine's; Windows only composes
    if (posix) {
        outcome.problem = SourceRefusal(source);
    }
    if (!outcome.problem.empty()) {
        return outcome;
    }
    const FolderLock lock(path);
    if (posix) {
        outcome.problem = FreshReport(path);
    }
    if (!outcome.problem.empty()) {
        return outcome;
    }
    // A stream would be used up by the probe before the encode reads it: its report stays empty.
    const ProbeEnd end =
        posix && IsStreamSource(source) ? ProbeEnd(0) : run(ProbeCommand(d, folder, source));
    if (end.stopSignal != 0 || end.silent) {
        // What it wrote is not the whole report: nothing later may read it as this source's.
        outcome.problem = end.stopSignal != 0 ? "The probe of " + source + " was stopped."
                                              : SilentProbeText(source, kProbeQuietLimit);
        outcome.stopSignal = end.stopSignal;
        if (posix) {
            FreshReport(path);
        }
        return outcome;
    }
    outcome.report = ReadProbeReport(path);
    return outcome;
}

std::optional<std::string> ReadProbeReportLocked(const std::string& reportPath,
                                                 std::size_t maxBytes) {
    const FolderLock lock(reportPath);
    return ReadProbeReport(reportPath, maxBytes);
}

}  // namespace mk
