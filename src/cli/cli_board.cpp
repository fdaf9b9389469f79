#include "cli/cli_board.h"

#include <cmath>
#include <cstdio>

#include "platform/file_checks.h"

namespace mk::cli {

namespace {

constexpr auto kRedrawEvery = std::chrono::milliseconds(500);
constexpr double kMinSeconds = 3.0;    // no estimate before this much wall time ...
constexpr double kMinFraction = 0.03;  // ... and this much of the work
constexpr double kSmoothing = 0.2;     // weight of a new estimate

bool IsStatusLine(const std::string& line) {
    return line.starts_with("frame=") || line.starts_with("size=") ||
           line.find("time=") != std::string::npos;
}

std::string Percent(double fraction) {
    return std::to_string(static_cast<int>(std::floor(fraction * 100.0))) + "%";
}

}  // namespace

JobOutcome Judge(const JobState& state, const std::string& output) {
    if (!state.started) {
        return {false, "could not start /bin/sh"};
    }
    if (state.stopped) {
        return {false, "stopped"};
    }
    std::string reason;
    for (const std::string& line : state.lastLines) {
        if (!line.empty() && !IsStatusLine(line)) {
            reason = line;  // the last thing it said is the most telling
        }
    }
    if (state.status != 0) {
        return {false, (reason.empty() ? std::string() : reason + " ") + "(exit status " +
                           std::to_string(state.status) + ")"};
    }
    if (!output.empty()) {
        const auto length = FileLength(output);
        if (!length || *length == 0) {
            return {false, length ? "the output file is empty" : "no output file"};
        }
    }
    return {true, {}};
}

std::optional<double> SteadyTimeLeft(double elapsed, double fraction,
                                     std::optional<double>& smoothed) {
    if (elapsed < kMinSeconds || fraction < kMinFraction || fraction >= 1.0) {
        return smoothed;
    }
    const double raw = elapsed * (1.0 - fraction) / fraction;
    // The estimate counts down by itself between two readings.
    smoothed = smoothed ? (1.0 - kSmoothing) * *smoothed + kSmoothing * raw : raw;
    return smoothed;
}

std::string Board::TotalLine() {
    const double elapsed =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - m_start).count();
    const double fraction = m_pool.TotalFraction();
    std::string line = std::to_string(m_pool.Finished()) + " of " +
                       std::to_string(m_pool.Jobs().size()) + " done, " + Percent(fraction);
    if (const auto left = SteadyTimeLeft(elapsed, fraction, m_smoothedLeft)) {
        line += ", time left " + FormatClock(*left);
    }
    return line;
}

void Board::Started(std::size_t index) {
    if (!m_io.errIsTerminal) {
        m_io.err << "started: " << m_pool.Jobs()[index].name << "\n" << std::flush;
    }
}

void Board::Ended(std::size_t index, const JobOutcome& outcome) {
    if (m_io.errIsTerminal) {
        return;  // the summary says it; the live block shows the count
    }
    m_io.err << (outcome.good ? "done: " : "failed: ") << m_pool.Jobs()[index].name << "\n"
             << std::flush;
}

void Board::Tick() {
    if (!m_io.errIsTerminal) {
        return;
    }
    const auto now = std::chrono::steady_clock::now();
    if (now - m_lastDraw < kRedrawEvery) {
        return;
    }
    m_lastDraw = now;
    Redraw();
}

void Board::Redraw() {
    std::string block;
    if (m_drawnLines > 0) {
        block += "\x1b[" + std::to_string(m_drawnLines) + "A";  // back to the block's first line
    }
    std::size_t lines = 0;
    const auto& states = m_pool.States();
    for (std::size_t i = 0; i < states.size(); ++i) {
        if (states[i].phase != JobPhase::Running) {
            continue;
        }
        const auto percent = states[i].progress.Percent();
        block += "\r\x1b[K  " + m_pool.Jobs()[i].name + "  " +
                 (percent ? std::to_string(*percent) + "%" : std::string("...")) + "\n";
        ++lines;
    }
    block += "\r\x1b[K" + TotalLine() + "\n";
    ++lines;
    for (std::size_t i = lines; i < m_drawnLines; ++i) {
        block += "\r\x1b[K\n";  // lines of jobs that ended since
    }
    if (m_drawnLines > lines) {
        block += "\x1b[" + std::to_string(m_drawnLines - lines) + "A";
    }
    m_drawnLines = lines;
    m_io.err << block << std::flush;
}

void Board::Finish() {
    if (m_io.errIsTerminal) {
        m_lastDraw = {};
        Redraw();
    }
}

}  // namespace mk::cli
