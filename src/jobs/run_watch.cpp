#include "jobs/run_watch.h"

#include <sys/stat.h>

namespace mk {

namespace {

constexpr std::size_t kLastLines = 8;    // enough to say why a run failed
constexpr std::size_t kLineLimit = 400;  // ffmpeg's build configuration alone is 2000 characters
constexpr std::size_t kPendingLines = 256;

bool IsStatusLine(const std::string& line) {
    return line.starts_with("frame=") || line.starts_with("size=") ||
           line.find("time=") != std::string::npos;
}

}  // namespace

RunWatch::RunWatch(bool batch, std::size_t viewLines)
    : m_progress(batch),
      m_text(viewLines > 0 ? viewLines : kPendingLines),
      m_viewLines(viewLines),
      m_damage(kLastLines, kLineLimit) {}

double RunWatch::Elapsed() const {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - m_start).count();
}

void RunWatch::Feed(std::string_view chunk) {
    m_progress.Feed(chunk);
    m_left = m_progress.SecondsLeft(Elapsed());
    m_text.Feed(chunk);
    TakeEnded();
}

void RunWatch::Finish() {
    m_text.Finish();
    TakeEnded();
}

void RunWatch::TakeEnded() {
    for (std::string& line : m_text.TakeFinishedLines()) {
        m_damage.Take(line);
        m_last.push_back(ShortenMiddle(line, kLineLimit));
        if (m_last.size() > kLastLines) {
            m_last.pop_front();
        }
        if (m_viewLines > 0) {
            m_view.push_back(std::move(line));
            if (m_view.size() > m_viewLines) {
                m_view.pop_front();
            }
        }
    }
}

std::vector<std::string> RunWatch::TakeLines() {
    std::vector<std::string> lines(std::make_move_iterator(m_view.begin()),
                                   std::make_move_iterator(m_view.end()));
    m_view.clear();
    return lines;
}

std::string RunWatch::Reason() const {
    for (auto it = m_last.rbegin(); it != m_last.rend(); ++it) {
        if (!it->empty() && !IsStatusLine(*it)) {
            return *it;
        }
    }
    return {};
}

Verdict JudgeRun(const RunEnd& end, const std::string& output) {
    if (!end.started) {
        return {RunResult::NotStarted, {}};
    }
    if (end.stopped) {
        return {RunResult::Stopped, {}};
    }
    if (end.status != 0) {
        return {RunResult::Failed, {}};
    }
    // A stream (standard output, a device, a pipe) has no size to measure. /dev/stdout may lead
    // to a regular file, but to the one our standard output had open, not to what is there now.
    const bool stream = output.empty() || output == "-" || output.starts_with("pipe:") ||
                        output.starts_with("/dev/") || output.starts_with("/proc/");
    struct stat st {};
    if (stream) {
        return {RunResult::Good, {}};
    }
    if (stat(output.c_str(), &st) != 0) {
        return {RunResult::NoOutput, {}};
    }
    if (!S_ISREG(st.st_mode)) {
        return {RunResult::Good, {}};
    }
    if (st.st_size == 0) {
        return {RunResult::EmptyOutput, {}};
    }
    return {RunResult::Good, static_cast<std::uint64_t>(st.st_size)};
}

}  // namespace mk
