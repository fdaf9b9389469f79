// SIGINT, SIGTERM and SIGHUP (Ctrl-C, a polite kill, the terminal going away) caught while jobs
// run: counted, so that the jobs are stopped (each further signal takes them a step further)
// instead of this program dying and leaving them behind.
#pragma once

#include <signal.h>

namespace mk {

class StopSignals {
public:
    StopSignals();   // installs the handlers
    ~StopSignals();  // restores the previous ones
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    int Count() const;        // signals caught since construction
    int FirstSignal() const;  // the one that asked to stop, 0 when none

private:
    struct sigaction m_old[3];
};

// Ends this process as `signal` would have, had it not been caught (its status says so).
[[noreturn]] void EndBySignal(int signal);

}  // namespace mk
