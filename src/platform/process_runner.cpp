#include "platform/process_runner.h"

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <sstream>

extern char** environ;

namespace mk {

namespace {

constexpr int kMaxReadsPerCall = 64;  // of 16 KiB each

// A live process of group `group` in /proc: kill(-group, 0) alone also counts zombies, and in a
// container the reaper of orphans may be slow or absent.
bool LiveMemberIn(pid_t group) {
    DIR* proc = opendir("/proc");
    if (!proc) {
        return true;
    }
    bool alive = false;
    while (const dirent* entry = readdir(proc)) {
        if (entry->d_name[0] < '0' || entry->d_name[0] > '9') {
            continue;
        }
        std::ifstream stat(std::string("/proc/") + entry->d_name + "/stat");
        std::string line;
        if (!std::getline(stat, line) || line.rfind(')') == std::string::npos) {
            continue;
        }
        // "pid (name) state ppid pgrp ...": the name may hold anything, so read after its ')'.
        std::istringstream fields(line.substr(line.rfind(')') + 1));
        char state = 0;
        long long parent = 0, pgrp = 0;
        if (fields >> state >> parent >> pgrp && pgrp == group && state != 'Z' && state != 'X') {
            alive = true;
            break;
        }
    }
    closedir(proc);
    return alive;
}

// The child's side of one output stream, set up by posix_spawn's file actions.
void RouteStream(posix_spawn_file_actions_t& actions, Route route, int target, int pipeEnd) {
    switch (route) {
        case Route::Pipe:
            posix_spawn_file_actions_adddup2(&actions, pipeEnd, target);
            break;
        case Route::Null:
            posix_spawn_file_actions_addopen(&actions, target, "/dev/null", O_WRONLY, 0);
            break;
        case Route::OtherOne:
            posix_spawn_file_actions_adddup2(
                &actions, target == STDOUT_FILENO ? STDERR_FILENO : STDOUT_FILENO, target);
            break;
        case Route::Inherit:
            break;
    }
}

struct Pipe {
    int read = -1;
    int write = -1;
    bool Open() {
        int fds[2];
        if (pipe2(fds, O_CLOEXEC) != 0) {
            return false;
        }
        read = fds[0];
        write = fds[1];
        fcntl(read, F_SETFL, O_NONBLOCK);
        return true;
    }
    void CloseWrite() {
        if (write >= 0) {
            close(write);
            write = -1;
        }
    }
    void CloseAll() {
        CloseWrite();
        if (read >= 0) {
            close(read);
            read = -1;
        }
    }
};

pid_t Spawn(const std::string& line, const ShellOptions& options, const Pipe& out,
            const Pipe& err) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (!options.inheritStdin) {
        posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    }
    // stdout first: a stderr that joins it must find it in place.
    RouteStream(actions, options.out, STDOUT_FILENO, out.write);
    RouteStream(actions, options.err, STDERR_FILENO, err.write);

    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none;
    sigemptyset(&none);
    // Our own handlers (the CLI's stop signals) and ignored signals do not carry over.
    sigset_t defaults;
    sigemptyset(&defaults);
    for (const int s : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE}) {
        sigaddset(&defaults, s);
    }
    short flags = POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF;
    if (options.ownGroup) {
        flags |= POSIX_SPAWN_SETPGROUP;
        posix_spawnattr_setpgroup(&attributes, 0);
    }
    posix_spawnattr_setflags(&attributes, flags);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &defaults);

    std::vector<std::string> words{"sh", "-c", line};
    if (!options.args.empty()) {
        words.emplace_back("sh");  // $0
        words.insert(words.end(), options.args.begin(), options.args.end());
    }
    std::vector<char*> argv;
    for (std::string& w : words) {
        argv.push_back(w.data());
    }
    argv.push_back(nullptr);

    pid_t pid = 0;
    const int failed = posix_spawn(&pid, "/bin/sh", &actions, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    return failed == 0 ? pid : -1;
}

}  // namespace

ShellProcess::~ShellProcess() {
    if (m_pid > 0 && (!m_reaped || (m_step > 0 && m_ownGroup && !GroupGone()))) {
        Signal(SIGKILL);
        while (!m_reaped && waitpid(m_pid, &m_waitStatus, 0) < 0 && errno == EINTR) {
        }
    }
    CloseFds();
}

bool ShellProcess::Start(const std::string& line, const ShellOptions& options) {
    if (m_pid > 0) {
        return false;
    }
    Pipe out, err;
    if ((options.out == Route::Pipe && !out.Open()) ||
        (options.err == Route::Pipe && !err.Open())) {
        out.CloseAll();
        err.CloseAll();
        return false;
    }
    const pid_t pid = Spawn(line, options, out, err);
    out.CloseWrite();
    err.CloseWrite();
    if (pid <= 0) {
        out.CloseAll();
        err.CloseAll();
        return false;
    }
    m_pid = pid;
    m_ownGroup = options.ownGroup;
    m_outFd = out.read;
    m_errFd = err.read;
    return true;
}

void ShellProcess::ReadAvailable(int& fd, std::string& into) {
    // Bounded, so a command that writes faster than we read cannot keep the caller here for ever
    // (a window would freeze); what is left is read on the next call.
    for (int reads = 0; fd >= 0 && reads < kMaxReadsPerCall; ++reads) {
        char buffer[16384];
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n > 0) {
            into.append(buffer, static_cast<std::size_t>(n));
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else if (n < 0 && errno == EAGAIN) {
            return;
        } else {  // the end: every writer has closed it
            close(fd);
            fd = -1;
        }
    }
}

void ShellProcess::CloseFds() {
    for (int* fd : {&m_outFd, &m_errFd}) {
        if (*fd >= 0) {
            close(*fd);
            *fd = -1;
        }
    }
}

void ShellProcess::Poll() {
    if (m_pid <= 0) {
        return;
    }
    if (!m_reaped) {
        int status = 0;
        const pid_t done = waitpid(m_pid, &status, WNOHANG);
        if (done == m_pid || (done < 0 && errno == ECHILD)) {
            m_reaped = true;  // ECHILD: reaped elsewhere, its status unknown
            m_statusKnown = done == m_pid;
            m_waitStatus = status;
        }
    }
    const auto wait = m_step == 1 ? m_policy.termAfter : m_policy.killAfter;
    if (m_step > 0 && m_step < 3 && Clock::now() - m_stepTime >= wait && !GroupGone()) {
        Stop();
    }
}

void ShellProcess::Stop() {
    if (m_pid <= 0 || m_step >= 3 || GroupGone()) {
        return;
    }
    static constexpr int kSteps[] = {SIGINT, SIGTERM, SIGKILL};
    Signal(kSteps[m_step]);
    ++m_step;
    m_stepTime = Clock::now();
}

void ShellProcess::Signal(int signal) const {
    if (m_pid <= 0) {
        return;
    }
    if (m_ownGroup) {
        kill(-m_pid, signal);
    } else if (!m_reaped) {
        kill(m_pid, signal);
    }
}

std::optional<int> ShellProcess::ExitCode() const {
    if (!m_statusKnown || !WIFEXITED(m_waitStatus)) {
        return std::nullopt;
    }
    return WEXITSTATUS(m_waitStatus);
}

int ShellProcess::TermSignal() const {
    return m_statusKnown && WIFSIGNALED(m_waitStatus) ? WTERMSIG(m_waitStatus) : 0;
}

int ShellProcess::Status() const {
    if (const auto code = ExitCode()) {
        return *code;
    }
    return TermSignal() != 0 ? 128 + TermSignal() : -1;
}

bool ShellProcess::GroupGone() const {
    if (!m_reaped) {
        return false;
    }
    if (!m_ownGroup) {
        return true;
    }
    if (kill(-m_pid, 0) != 0 && errno == ESRCH) {
        return true;
    }
    return !LiveMemberIn(m_pid);
}

bool ShellProcess::Over() const {
    return m_step > 0 ? GroupGone() : m_reaped;
}

int RunShellWaited(const std::string& line, const ShellOptions& options) {
    ShellOptions waited = options;
    for (Route* route : {&waited.out, &waited.err}) {
        if (*route == Route::Pipe) {
            *route = Route::Inherit;  // nobody would read it
        }
    }
    ShellProcess process;
    if (!process.Start(line, waited)) {
        return -1;
    }
    Pump(process, {});
    return process.Status();
}

void Pump(ShellProcess& process, const PumpHandlers& handlers) {
    std::string chunk;
    auto drain = [&](bool out) {
        chunk.clear();
        out ? process.ReadOut(chunk) : process.ReadErr(chunk);
        const auto& handler = out ? handlers.onOut : handlers.onErr;
        if (!chunk.empty() && handler) {
            handler(chunk);
        }
    };
    while (true) {
        process.Poll();
        if (process.Over()) {
            break;
        }
        pollfd fds[2] = {{process.OutFd(), POLLIN, 0}, {process.ErrFd(), POLLIN, 0}};
        const bool reading = fds[0].fd >= 0 || fds[1].fd >= 0;
        // Without a pipe to wake us, look for the shell's end often; a signal wakes poll() too.
        if (poll(fds, 2, reading ? 200 : 20) > 0) {
            drain(true);
            drain(false);
        }
        if (handlers.onTick) {
            handlers.onTick();
        }
    }
    // Whatever is left (a job the command left in the background may still hold the pipe).
    drain(true);
    drain(false);
}

}  // namespace mk
