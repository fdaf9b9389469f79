// What morvakelin-cli shows while its encodes run and says of them at the end. A lone run shows
// one progress line (rewritten in place on a terminal, else one per percent) and its result;
// several jobs show on a terminal one line per running job and a total line, redrawn in place,
// otherwise one line per start and end; then a summary.
#pragma once

#include <chrono>
#include <cstddef>
#include <string>

#include "cli/cli_app.h"
#include "jobs/job_pool.h"
#include "platform/stop_signals.h"

namespace mk::cli {

// Why a job that ended is no good, in a line; "" for a good one.
std::string Why(const JobState& state);

// The warning for a good run whose source was damaged (the output may be short): `lead` begins
// its first line, `indent` each of ffmpeg's lines.
void WarnOfDamage(std::ostream& err, const DecodeErrors& damage, const std::string& lead,
                  const std::string& indent);

class Board {
public:
    // `verbose`: a lone run shows ffmpeg's own output instead of its progress line.
    Board(CliIo& io, const JobPool& pool, bool lone, bool verbose)
        : m_io(io), m_pool(pool), m_lone(lone), m_verbose(verbose) {}

    void Started(std::size_t index);
    void Ended(std::size_t index);
    void Tick();
    void Finish();  // ends the live block or progress line on a terminal

    // The pool's start, end and tick shown on this board; a stop caught by `signals` stops it.
    JobPool::Events Events(const StopSignals& signals);

    // A lone run's result in a few lines (ffmpeg's last lines for a failure, unless it showed
    // them already); returns its exit status.
    int ReportLone(int stopSignal);

private:
    void Redraw();
    void ShowLone();
    void Write(const std::string& text);
    std::string TotalLine();

    CliIo& m_io;
    const JobPool& m_pool;
    bool m_lone;
    bool m_verbose;
    std::chrono::steady_clock::time_point m_start = std::chrono::steady_clock::now();
    std::chrono::steady_clock::time_point m_lastDraw{};
    std::size_t m_drawnLines = 0;
    TimeLeftEstimate m_totalLeft;
    std::string m_last;  // the lone progress line last written
    int m_lastPercent = -1;
    bool m_saidUnknown = false;
};

}  // namespace mk::cli
