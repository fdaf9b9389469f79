// morvakelin-cli over several sources, and over the batch file's lines: each job prepared as a lone
// run would be, then run N at a time with progress and a summary.
#pragma once

#include <string>

#include "cli/cli_app.h"
#include "cli/cli_options.h"

namespace mk::cli {

// SOURCE... with --output-dir: one output per source, named after it with the extension Save File
// proposes for the target. Exit 0 when every output is good, 1 when any failed, 2 for bad options
// (a missing source, two sources with one output name), 128+N when stopped by signal N.
int RunSources(const CliOptions& o, const std::string& programFolder, CliIo& io);

// --run-batch: the batch file's command lines (comments and blanks skipped), N at a time.
int RunBatch(const CliOptions& o, const std::string& programFolder, CliIo& io);

}  // namespace mk::cli
