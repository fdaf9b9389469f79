#include "common/process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>

extern char** environ;

namespace mk::toolkit {

namespace {

std::vector<char*> Argv(const std::string& program, const std::vector<std::string>& args) {
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& a : args) {
        argv.push_back(const_cast<char*>(a.c_str()));
    }
    argv.push_back(nullptr);
    return argv;
}

}  // namespace

CapturedRun RunAndCapture(const std::string& program, const std::vector<std::string>& args,
                          Capture which) {
    CapturedRun run;
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) {
        run.error = std::strerror(errno);
        return run;
    }
    const int target = which == Capture::Stdout ? STDOUT_FILENO : STDERR_FILENO;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], target);
    std::vector<char*> argv = Argv(program, args);
    pid_t pid = 0;
    const int rc = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    if (rc != 0) {
        close(fds[0]);
        run.error = std::strerror(rc);
        return run;
    }
    run.started = true;
    char buf[65536];
    while (true) {
        const ssize_t n = read(fds[0], buf, sizeof buf);
        if (n > 0) {
            run.output.append(buf, static_cast<size_t>(n));
        } else if (n == 0 || errno != EINTR) {
            break;
        }
    }
    close(fds[0]);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return run;
}

bool BackgroundCapture::Start(const std::string& program, const std::vector<std::string>& args,
                              int input, std::string& error) {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) {
        error = std::strerror(errno);
        return false;
    }
    std::vector<char*> argv = Argv(program, args);
    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid == 0) {
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (getppid() != parent) {
            _exit(128 + SIGKILL);
        }
        dup2(fds[1], STDERR_FILENO);
        // dup2 onto itself would leave close-on-exec set.
        if (input == 3) {
            fcntl(3, F_SETFD, 0);
        } else if (input >= 0) {
            dup2(input, 3);
        }
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    close(fds[1]);
    if (pid < 0) {
        error = std::strerror(errno);
        close(fds[0]);
        return false;
    }
    m_pid = pid;
    m_fd = fds[0];
    return true;
}

CapturedRun BackgroundCapture::Finish() {
    CapturedRun run;
    if (m_pid < 0) {
        return run;
    }
    run.started = true;
    char buf[65536];
    while (true) {
        const ssize_t n = read(m_fd, buf, sizeof buf);
        if (n > 0) {
            run.output.append(buf, static_cast<size_t>(n));
        } else if (n == 0 || errno != EINTR) {
            break;
        }
    }
    close(m_fd);
    int status = 0;
    while (waitpid(m_pid, &status, 0) < 0 && errno == EINTR) {
    }
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    m_pid = m_fd = -1;
    return run;
}

void BackgroundCapture::Kill() {
    if (m_pid < 0) {
        return;
    }
    kill(m_pid, SIGKILL);
    Finish();
}

BackgroundCapture::~BackgroundCapture() {
    Kill();
}

namespace {

volatile sig_atomic_t g_child = 0;
volatile sig_atomic_t g_stop = 0;

void PassOn(int signal) {
    if (g_stop == 0) {
        g_stop = signal;
    }
    if (g_child > 0) {
        kill(static_cast<pid_t>(g_child), signal);
    }
}

}  // namespace

void CatchStopSignals() {
    struct sigaction passOn = {};
    passOn.sa_handler = PassOn;
    sigemptyset(&passOn.sa_mask);
    passOn.sa_flags = SA_RESTART;
    for (int s : {SIGINT, SIGTERM, SIGHUP}) {
        sigaction(s, &passOn, nullptr);
    }
}

int StopSignal() {
    return g_stop;
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

RelayedRun RunRelayingStderr(const std::string& program, const std::vector<std::string>& args,
                             const std::function<void(std::string_view)>& watch) {
    RelayedRun run;
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) {
        run.error = std::strerror(errno);
        return run;
    }
    std::vector<char*> argv = Argv(program, args);
    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid < 0) {
        run.error = std::strerror(errno);
        close(fds[0]);
        close(fds[1]);
        return run;
    }
    if (pid == 0) {
        // The encoder finishes its file and ends when we are gone, rather than running on.
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() != parent) {
            _exit(128 + SIGTERM);
        }
        dup2(fds[1], STDERR_FILENO);
        execv(program.c_str(), argv.data());
        const std::string why = "cannot run " + program + ": " + std::strerror(errno) + "\n";
        (void)!write(fds[1], why.data(), why.size());
        _exit(127);
    }
    close(fds[1]);
    run.started = true;
    CatchStopSignals();
    g_child = pid;
    // A stop that came before the child was known to the handler.
    if (g_stop != 0) {
        kill(pid, g_stop);
    }
    // A console that went away must not stop the relay: the child would block on a full pipe.
    signal(SIGPIPE, SIG_IGN);

    char buf[65536];
    bool relay = true;
    while (true) {
        const ssize_t n = read(fds[0], buf, sizeof buf);
        if (n > 0) {
            watch(std::string_view(buf, static_cast<size_t>(n)));
            for (ssize_t done = 0; relay && done < n;) {
                const ssize_t w = write(STDERR_FILENO, buf + done, static_cast<size_t>(n - done));
                if (w > 0) {
                    done += w;
                } else if (errno != EINTR) {
                    relay = false;
                }
            }
        } else if (n == 0 || errno != EINTR) {
            break;
        }
    }
    close(fds[0]);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    g_child = 0;
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return run;
}

std::string ExecReplace(const std::string& program, const std::vector<std::string>& args) {
    std::vector<char*> argv = Argv(program, args);
    execv(program.c_str(), argv.data());
    return std::string("cannot run ") + program + ": " + std::strerror(errno);
}

}  // namespace mk::toolkit
