#include "cli/cli_process.h"

#include <poll.h>

#include "platform/process_runner.h"
#include "platform/stop_signals.h"
#include "probe/probe_watch.h"

namespace mk::cli {

namespace {
constexpr int kProbeLookMs = 50;
}  // namespace

ProbeEnd RunProbeWatched(const std::string& line, const std::string& reportPath) {
    StopSignals signals;
    ProbeWatch watch(reportPath);
    if (!watch.Start(line, Route::OtherOne, Route::Inherit)) {
        return {};
    }
    for (int handled = 0; !watch.Step();) {
        while (handled < signals.Count()) {
            ++handled;
            watch.Stop(signals.FirstSignal());
        }
        ::poll(nullptr, 0, kProbeLookMs);  // a signal ends the wait early
    }
    return watch.End();
}

ProbeRunner CliProbe(const std::string& reportPath, int* stopSignal) {
    return [reportPath, stopSignal](const std::string& line) {
        const ProbeEnd end = RunProbeWatched(line, reportPath);
        if (stopSignal) {
            *stopSignal = end.stopSignal;
        }
        return end;
    };
}

}  // namespace mk::cli
