// What morvakelin-cli shows while several encodes run: on a terminal one line per running job and
// a total line, redrawn in place; otherwise one line per start and end. Then the summary.
#pragma once

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "cli/cli_app.h"
#include "jobs/job_pool.h"

namespace mk::cli {

// What became of one job, as the summary says it.
struct JobOutcome {
    bool good = false;
    std::string reason;  // for a failure: why, in a line or a few
};

// A job is good when it ended by itself with status 0 and left a non-empty `output` (when named).
JobOutcome Judge(const JobState& state, const std::string& output);

class Board {
public:
    Board(CliIo& io, const JobPool& pool) : m_io(io), m_pool(pool) {}

    void Started(std::size_t index);
    void Ended(std::size_t index, const JobOutcome& outcome);
    void Tick();
    void Finish();  // ends the live block on a terminal

private:
    void Redraw();
    std::string TotalLine();

    CliIo& m_io;
    const JobPool& m_pool;
    std::chrono::steady_clock::time_point m_start = std::chrono::steady_clock::now();
    std::chrono::steady_clock::time_point m_lastDraw{};
    std::size_t m_drawnLines = 0;
    std::optional<double> m_smoothedLeft;
};

// The time left of all the work: nothing until it means something (a few seconds and a few
// percent in), then smoothed so that it does not jump.
std::optional<double> SteadyTimeLeft(double elapsed, double fraction,
                                     std::optional<double>& smoothed);

}  // namespace mk::cli
