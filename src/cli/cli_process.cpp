#include "cli/cli_process.h"

#include <signal.h>

#include "platform/process_runner.h"

namespace mk::cli {

namespace {

volatile sig_atomic_t g_stopSignal = 0;
volatile sig_atomic_t g_stopCount = 0;

extern "C" void OnStopSignal(int signal) {
    if (g_stopSignal == 0) {
        g_stopSignal = signal;
    }
    g_stopCount = g_stopCount + 1;
}

// The signals that end a run: Ctrl-C, a polite kill, and the terminal going away.
constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};

// Our handlers for the stop signals for as long as it lives; no SA_RESTART, so a waiting poll()
// wakes up.
class StopHandlers {
public:
    StopHandlers() {
        g_stopSignal = 0;
        g_stopCount = 0;
        struct sigaction action {};
        action.sa_handler = OnStopSignal;
        sigemptyset(&action.sa_mask);
        for (std::size_t i = 0; i < std::size(kStopSignals); ++i) {
            sigaction(kStopSignals[i], &action, &m_old[i]);
        }
    }
    ~StopHandlers() {
        for (std::size_t i = 0; i < std::size(kStopSignals); ++i) {
            sigaction(kStopSignals[i], &m_old[i], nullptr);
        }
    }
    StopHandlers(const StopHandlers&) = delete;
    StopHandlers& operator=(const StopHandlers&) = delete;

private:
    struct sigaction m_old[std::size(kStopSignals)]{};
};

}  // namespace

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
    StopHandlers handlers;
    ShellOptions shell;
    shell.out = options.keepStdout ? Route::Inherit : Route::Null;
    shell.err = Route::Pipe;
    ShellProcess process(options.stopPolicy);
    if (!process.Start(line, shell)) {
        return run;
    }
    run.started = true;

    // Each stop signal takes the next step of the stop; the first one is what we report.
    sig_atomic_t handled = 0;
    PumpHandlers pump;
    pump.onErr = options.onStderr;
    pump.onTick = [&] {
        while (handled < g_stopCount) {
            ++handled;
            process.Stop();
        }
        if (options.onTick) {
            options.onTick();
        }
    };
    Pump(process, pump);
    run.exitStatus = process.Status();
    run.stopSignal = g_stopSignal;
    return run;
}

}  // namespace mk::cli
