#include "cli/cli_process.h"

#include "platform/process_runner.h"
#include "platform/stop_signals.h"

namespace mk::cli {

int RunShellWaited(const std::string& line) {
    ShellOptions options;
    options.out = Route::OtherOne;  // nothing of it mixes with what the program prints
    options.err = Route::Inherit;
    // In our own group: a Ctrl-C or hang-up that ends this program ends the probe with it.
    options.ownGroup = false;
    return mk::RunShellWaited(line, options);
}

GroupRun RunInGroup(const std::string& line, const GroupRunOptions& options) {
    GroupRun run;
    StopSignals signals;
    ShellOptions shell;
    shell.out = options.keepStdout ? Route::Inherit : Route::Null;
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
