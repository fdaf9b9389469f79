// morvakelin-cli over several sources, and over the batch file's lines: each job prepared as a lone
// run would be, then run N at a time with progress and a summary.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "cli/cli_app.h"
#include "cli/cli_options.h"
#include "jobs/job_pool.h"

namespace mk::cli {

// One job as the summary names it, or why it cannot run.
struct Planned {
    JobSpec job;
    std::optional<std::string> refusal;
    std::string unfit;  // a stream the output's container cannot take: nothing may run
};

// Runs the jobs that can run, N at a time (`lone`: the one job as a lone run, with its progress
// line), and says how each went; returns the exit status.
int RunPlanned(const std::vector<Planned>& planned, const CliOptions& o, CliIo& io, bool lone);

// SOURCE... with --output-dir: one output per source, named after it with the extension Save File
// proposes for the target. Exit 0 when every output is good, 1 when any failed, 2 for bad options
// (a missing source, two sources with one output name), 128+N when stopped by signal N.
int RunSources(const CliOptions& o, const std::string& programFolder, CliIo& io);

// --run-batch: the batch file's command lines (comments and blanks skipped), N at a time.
int RunBatch(const CliOptions& o, const std::string& programFolder, CliIo& io);

}  // namespace mk::cli
