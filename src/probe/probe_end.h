// How a probe command ended, as the one who ran it saw it.
#pragma once

namespace mk {

struct ProbeEnd {
    ProbeEnd() = default;
    // A runner that only waits gives the shell's status.
    ProbeEnd(int shellStatus) : status(shellStatus) {}  // NOLINT: implicit on purpose

    int status = -1;      // of the shell: exit code, 128 + signal, -1 when it did not start
    bool silent = false;  // stopped by us: it gave no output for the probe's quiet limit
    int stopSignal = 0;   // stopped at the user's request: the signal that asked (or SIGINT)
};

}  // namespace mk
