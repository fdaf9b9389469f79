#include "cli/cli_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

namespace mk::cli {

namespace {

volatile sig_atomic_t g_stopSignal = 0;
volatile sig_atomic_t g_stopCount = 0;

extern "C" void OnStopSignal(int signal) {
    g_stopSignal = signal;
    g_stopCount = g_stopCount + 1;
}

// Our handlers for SIGINT and SIGTERM for as long as it lives; no SA_RESTART, so a waiting
// poll() wakes up.
class StopHandlers {
public:
    StopHandlers() {
        g_stopSignal = 0;
        g_stopCount = 0;
        struct sigaction action {};
        action.sa_handler = OnStopSignal;
        sigemptyset(&action.sa_mask);
        sigaction(SIGINT, &action, &m_oldInt);
        sigaction(SIGTERM, &action, &m_oldTerm);
    }
    ~StopHandlers() {
        sigaction(SIGINT, &m_oldInt, nullptr);
        sigaction(SIGTERM, &m_oldTerm, nullptr);
    }
    StopHandlers(const StopHandlers&) = delete;
    StopHandlers& operator=(const StopHandlers&) = delete;

private:
    struct sigaction m_oldInt {};
    struct sigaction m_oldTerm {};
};

[[noreturn]] void ExecShell(const std::string& line) {
    execl("/bin/sh", "sh", "-c", line.c_str(), static_cast<char*>(nullptr));
    _exit(127);
}

void StdinFromNull() {
    const int null = open("/dev/null", O_RDONLY);
    if (null >= 0) {
        dup2(null, STDIN_FILENO);
        close(null);
    }
}

int StatusOf(int status) {
    if (WIFEXITED(status)) {
        return WEXITSTATUS(status);
    }
    return WIFSIGNALED(status) ? 128 + WTERMSIG(status) : -1;
}

}  // namespace

int RunShellWaited(const std::string& line) {
    const pid_t pid = fork();
    if (pid < 0) {
        return -1;
    }
    if (pid == 0) {
        StdinFromNull();
        dup2(STDERR_FILENO, STDOUT_FILENO);
        ExecShell(line);
    }
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return StatusOf(status);
}

GroupRun RunInGroup(const std::string& line, const GroupRunOptions& options) {
    GroupRun run;
    StopHandlers handlers;
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) {
        return run;
    }
    const pid_t pid = fork();
    if (pid < 0) {
        close(fds[0]);
        close(fds[1]);
        return run;
    }
    if (pid == 0) {
        setpgid(0, 0);
        signal(SIGINT, SIG_DFL);
        signal(SIGTERM, SIG_DFL);
        StdinFromNull();
        dup2(fds[1], STDERR_FILENO);
        if (!options.keepStdout) {
            const int null = open("/dev/null", O_WRONLY);
            dup2(null, STDOUT_FILENO);
        }
        ExecShell(line);
    }
    setpgid(pid, pid);  // also here, so the group exists before any signal is sent to it
    close(fds[1]);
    run.started = true;

    using Clock = std::chrono::steady_clock;
    int sent = 0;  // stop signals sent so far: SIGINT, then SIGKILL
    Clock::time_point firstStop;
    auto stopIfAsked = [&] {
        if (g_stopSignal == 0) {
            return;
        }
        run.stopSignal = g_stopSignal;
        if (sent == 0) {
            kill(-pid, SIGINT);
            sent = 1;
            firstStop = Clock::now();
        } else if (sent == 1 &&
                   (g_stopCount > 1 ||
                    Clock::now() - firstStop > std::chrono::milliseconds(options.stopGraceMs))) {
            kill(-pid, SIGKILL);
            sent = 2;
        }
    };

    int status = 0;
    bool reading = true;
    bool ended = false;
    while (!ended) {
        stopIfAsked();
        if (reading) {
            pollfd p{fds[0], POLLIN, 0};
            const int ready = poll(&p, 1, 200);
            if (ready > 0) {
                char buffer[4096];
                const ssize_t n = read(fds[0], buffer, sizeof buffer);
                if (n > 0) {
                    if (options.onStderr) {
                        options.onStderr(std::string_view(buffer, static_cast<std::size_t>(n)));
                    }
                } else if (n == 0 || errno != EINTR) {
                    reading = false;  // every writer closed it
                }
            }
        } else {
            usleep(50 * 1000);
        }
        if (options.onTick) {
            options.onTick();
        }
        const pid_t done = waitpid(pid, &status, WNOHANG);
        ended = done == pid;
        if (ended && reading) {
            // Whatever is left in the pipe (a pipeline's other member may still hold it open).
            char buffer[4096];
            fcntl(fds[0], F_SETFL, O_NONBLOCK);
            for (ssize_t n; (n = read(fds[0], buffer, sizeof buffer)) > 0;) {
                if (options.onStderr) {
                    options.onStderr(std::string_view(buffer, static_cast<std::size_t>(n)));
                }
            }
        }
    }
    close(fds[0]);
    if (sent > 0) {
        // A member of the stopped group left behind (avs2yuv whose reader died) goes with it.
        kill(-pid, SIGKILL);
    }
    run.exitStatus = StatusOf(status);
    if (g_stopSignal != 0) {
        run.stopSignal = g_stopSignal;
    }
    return run;
}

}  // namespace mk::cli
