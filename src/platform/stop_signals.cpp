#include "platform/stop_signals.h"

#include <unistd.h>

#include <csignal>

namespace mk {

namespace {

constexpr int kSignals[3] = {SIGINT, SIGTERM, SIGHUP};

volatile sig_atomic_t g_count = 0;
volatile sig_atomic_t g_first = 0;

extern "C" void OnSignal(int signal) {
    if (g_first == 0) {
        g_first = signal;
    }
    g_count = g_count + 1;
}

}  // namespace

StopSignals::StopSignals() {
    g_count = 0;
    g_first = 0;
    // No SA_RESTART, so a waiting poll() wakes up.
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    for (int i = 0; i < 3; ++i) {
        sigaction(kSignals[i], &action, &m_old[i]);
    }
}

StopSignals::~StopSignals() {
    for (int i = 0; i < 3; ++i) {
        sigaction(kSignals[i], &m_old[i], nullptr);
    }
}

int StopSignals::Count() const {
    return g_count;
}

int StopSignals::FirstSignal() const {
    return g_first;
}

void EndBySignal(int signal) {
    std::signal(signal, SIG_DFL);
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, signal);
    sigprocmask(SIG_UNBLOCK, &set, nullptr);
    raise(signal);
    _exit(128 + signal);
}

}  // namespace mk
