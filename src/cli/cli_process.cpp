#include "cli/cli_process.h"

#include <poll.h>

#include "cli/stop_signals.h"
#include "platform/process_runner.h"
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

GroupRun RunInGroup(const std::string& line, const GroupRunOptions& options) {
    GroupRun run;
    StopSignals signals;
    ShellOptions shell;
    shell.out = options.keepStdout ? Route::Inherit : Route::Null;
    shell.inheritStdin = options.readsStdin;
    shell.err = Route::Pipe;
    ShellProcess process(options.stopPolicy);
    if (!process.Start(line, shell)) {
        return run;
    }
    run.started = true;

    // Each stop signal takes the next step of the stop; the first one is what we report.
    int handled = 0;
    PumpHandlers pump;
    pump.onErr = options.onStderr;
    pump.onTick = [&] {
        while (handled < signals.Count()) {
            ++handled;
            process.Stop();
        }
        if (options.onTick) {
            options.onTick();
        }
    };
    Pump(process, pump);
    run.exitStatus = process.Status();
    run.stopSignal = signals.FirstSignal();
    return run;
}

}  // namespace mk::cli
