#include "probe/probe_watch.h"

#include <sys/stat.h>

#include <csignal>

namespace mk {

namespace {

long long SizeOf(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? static_cast<long long>(st.st_size) : -1;
}

}  // namespace

std::string SilentProbeText(const std::string& source, std::chrono::milliseconds limit) {
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(limit).count();
    return "The probe of " + source + " gave no output for " + std::to_string(seconds) +
           " s and was stopped: the source does not end, or waits for data that does not come.";
}

ProbeWatch::ProbeWatch(std::string reportPath, std::chrono::milliseconds quietLimit)
    : m_reportPath(std::move(reportPath)), m_limit(quietLimit) {}

bool ProbeWatch::Start(const std::string& line, Route out, Route err) {
    ShellOptions options;
    options.out = out;
    options.err = err;
    options.ownGroup = true;
    m_lastSize = SizeOf(m_reportPath);
    m_lastOutput = ShellProcess::Clock::now();
    return m_process.Start(line, options);
}

bool ProbeWatch::Step() {
    m_process.Poll();
    if (m_process.Over()) {
        return true;
    }
    const auto now = ShellProcess::Clock::now();
    if (const long long size = SizeOf(m_reportPath); size != m_lastSize) {
        m_lastSize = size;
        m_lastOutput = now;
    }
    if (!m_process.Stopping() && now - m_lastOutput >= m_limit) {
        m_end.silent = true;
        m_process.Stop();
    }
    return false;
}

void ProbeWatch::Stop(int signal) {
    if (m_end.stopSignal == 0) {
        m_end.stopSignal = signal != 0 ? signal : SIGINT;
    }
    m_process.Stop();
}

ProbeEnd ProbeWatch::End() const {
    ProbeEnd end = m_end;
    end.status = m_process.Status();
    return end;
}

}  // namespace mk
