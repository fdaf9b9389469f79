#include "cli/cli_board.h"

#include <cmath>
#include <ostream>

#include "cli/cli_options.h"

namespace mk::cli {

namespace {

constexpr const char* kName = "morvakelin-cli";
constexpr auto kRedrawEvery = std::chrono::milliseconds(500);

std::string Percent(double fraction) {
    return std::to_string(static_cast<int>(std::floor(fraction * 100.0))) + "%";
}

}  // namespace

JobPool::Events Board::Events(const StopSignals& signals) {
    JobPool::Events events;
    events.onStart = [this](std::size_t i) { Started(i); };
    events.onEnd = [this](std::size_t i) { Ended(i); };
    events.onTick = [this] { Tick(); };
    events.stopRequests = [&signals] { return signals.Count(); };
    return events;
}

std::string Why(const JobState& state) {
    switch (state.verdict.result) {
        case RunResult::Good:
            return {};
        case RunResult::NotStarted:
            return "could not start /bin/sh";
        case RunResult::Stopped:
            return "stopped";
        case RunResult::NoOutput:
            return "no output file";
        case RunResult::EmptyOutput:
            return "the output file is empty";
        case RunResult::Failed:
            break;
    }
    const std::string reason = state.watch.Reason();  // the last thing it said is the most telling
    return (reason.empty() ? std::string() : reason + " ") + "(exit status " +
           std::to_string(state.end.status) + ")";
}

void WarnOfDamage(std::ostream& err, const DecodeErrors& damage, const std::string& lead,
                  const std::string& indent) {
    if (damage.Count() == 0) {
        return;
    }
    err << lead << "warning: ffmpeg met errors in the source; the output may be incomplete:\n";
    for (const std::string& line : damage.Kept()) {
        err << indent << line << "\n";
    }
    if (damage.Count() > damage.Kept().size()) {
        err << indent << "(" << damage.Count() - damage.Kept().size() << " more such lines)\n";
    }
}

std::string Board::TotalLine() {
    const double elapsed =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - m_start).count();
    const double fraction = m_pool.TotalFraction();
    std::string line = std::to_string(m_pool.Finished()) + " of " +
                       std::to_string(m_pool.Jobs().size()) + " done, " + Percent(fraction);
    if (const auto left = m_totalLeft.Update(fraction, 1.0, elapsed)) {
        line += ", time left " + FormatClock(*left);
    }
    return line;
}

void Board::Started(std::size_t index) {
    if (!m_io.errIsTerminal && !m_lone) {
        m_io.err << "started: " << m_pool.Jobs()[index].name << "\n" << std::flush;
    }
}

void Board::Ended(std::size_t index) {
    if (m_io.errIsTerminal || m_lone) {
        return;  // the summary says it; the live block shows the count
    }
    m_io.err << (m_pool.States()[index].verdict.result == RunResult::Good ? "done: " : "failed: ")
             << m_pool.Jobs()[index].name << "\n"
             << std::flush;
}

void Board::Tick() {
    if (m_lone) {
        ShowLone();
        return;
    }
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
        const auto percent = states[i].watch.Progress().Percent();
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

void Board::ShowLone() {
    if (m_verbose) {
        return;
    }
    const RunWatch& watch = m_pool.States().front().watch;
    const auto percent = watch.Progress().Percent();
    if (!percent) {
        if (!m_saidUnknown && watch.Progress().Position()) {
            Write("encoding (no duration known)");
            m_saidUnknown = true;
        }
        return;
    }
    std::string text = "encoding " + std::to_string(*percent) + "%";
    if (const auto left = watch.TimeLeft()) {
        text += ", time left " + FormatClock(*left);
    }
    if (m_io.errIsTerminal ? text == m_last : *percent == m_lastPercent) {
        return;
    }
    m_lastPercent = *percent;
    Write(text);
}

void Board::Write(const std::string& text) {
    if (m_io.errIsTerminal) {
        std::string padded = text;
        if (padded.size() < m_last.size()) {
            padded.append(m_last.size() - padded.size(), ' ');
        }
        m_io.err << "\r" << padded << std::flush;
    } else {
        m_io.err << text << "\n" << std::flush;
    }
    m_last = text;
}

void Board::Finish() {
    if (m_lone) {
        ShowLone();  // where ffmpeg got to, however quickly it ended
        if (m_io.errIsTerminal && !m_last.empty()) {
            m_io.err << "\n";
        }
    } else if (m_io.errIsTerminal) {
        m_lastDraw = {};
        Redraw();
    }
    m_io.err.flush();
}

int Board::ReportLone(int stopSignal) {
    const JobState& state = m_pool.States().front();
    const std::string& output = m_pool.Jobs().front().output;
    std::ostream& err = m_io.err;
    switch (state.verdict.result) {
        case RunResult::Good:
            err << "done: " << output;
            if (state.verdict.bytes) {
                err << " (" << *state.verdict.bytes << " bytes)";
            }
            err << "\n";
            WarnOfDamage(err, state.watch.Damage(), std::string(kName) + ": ", "  ");
            return kExitOk;
        case RunResult::Failed:
            for (const std::string& line : state.watch.LastLines()) {
                err << (m_verbose ? "" : "  " + line + "\n");  // unless all of it was shown
            }
            err << kName << ": the encode failed (exit status " << state.end.status << ")\n";
            break;
        case RunResult::Stopped:
            err << kName << ": stopped; ffmpeg was interrupted\n";
            break;
        default:
            err << kName << ": " << Why(state) << (state.end.started ? ": " + output : "") << "\n";
    }
    return stopSignal != 0 ? 128 + stopSignal : kExitFailed;
}

}  // namespace mk::cli
