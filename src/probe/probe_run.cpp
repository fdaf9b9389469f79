#include "probe/probe_run.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/folder_lock.h"
#include "probe/probe_command.h"
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
                      const std::function<int(const std::string&)>& run) {
    const std::string path = folder + d.ProbeReport();
    const FolderLock lock(path);
    ProbeOutcome outcome;
    // The file steps are this machine's (POSIX); the Windows dialect only composes texts here.
    if (!d.IsWindows()) {
        outcome.problem = FreshReport(path);
    }
    if (!outcome.problem.empty()) {
        return outcome;
    }
    run(ProbeCommand(d, folder, source));
    outcome.report = ReadProbeReport(path);
    return outcome;
}

std::optional<std::string> ReadProbeReportLocked(const std::string& reportPath,
                                                 std::size_t maxBytes) {
    const FolderLock lock(reportPath);
    return ReadProbeReport(reportPath, maxBytes);
}

}  // namespace mk
