#include "platform/process_runner.h"

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
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

struct Pipe {
    int read = -1;
    int write = -1;
    bool Open(bool nonBlocking = true) {
        int fds[2];
        if (pipe2(fds, O_CLOEXEC) != 0) {
            return false;
        }
        read = fds[0];
        write = fds[1];
        if (nonBlocking) {
            fcntl(read, F_SETFL, O_NONBLOCK);
        }
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

constexpr char kLifelineVariable[] = "MORVAKELIN_LIFELINE=";
constexpr int kLifelineFloor = 64;  // above the descriptors a command line names

// The read end of this process's lifeline. Its write end is held by this process alone
// (close-on-exec), so it closes when this process dies, however it dies.
int OwnLifeline() {
    static const int readEnd = [] {
        Pipe lifeline;
        if (!lifeline.Open(false)) {
            return -1;
        }
        const int high = fcntl(lifeline.read, F_DUPFD_CLOEXEC, kLifelineFloor);
        close(lifeline.read);
        return high;  // the write end stays open as long as this process lives
    }();
    return readEnd;
}

// What the child does between fork() and exec, prepared beforehand: only async-signal-safe
// calls are made there.
struct ChildPlan {
    const char* path = nullptr;
    std::vector<char*> argv;
    std::vector<char*> envp;
    ShellOptions options;
    int outPipe = -1, errPipe = -1;
    int lifeline = -1;
    int report = -1;  // where the reason of a failed exec goes
    pid_t parent = 0;
};

// `from` becomes descriptor `to` and stays open across exec.
void Hand(int from, int to) {
    if (from == to) {
        fcntl(to, F_SETFD, 0);
    } else {
        dup2(from, to);
    }
}

void RouteStream(Route route, int target, int pipeEnd) {
    switch (route) {
        case Route::Pipe:
            Hand(pipeEnd, target);
            break;
        case Route::Null: {
            const int null = open("/dev/null", O_WRONLY | O_CLOEXEC);
            Hand(null, target);
            break;
        }
        case Route::OtherOne:
            Hand(target == STDOUT_FILENO ? STDERR_FILENO : STDOUT_FILENO, target);
            break;
        case Route::Inherit:
            break;
    }
}

[[noreturn]] void BecomeCommand(const ChildPlan& plan) {
    const ShellOptions& o = plan.options;
    if (o.ownGroup) {
        setpgid(0, 0);
    }
    if (o.endsWithUs) {
        // Follows the thread that forked: every start happens on a thread that lives as long as
        // the program (the main one).
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() != plan.parent) {
            _exit(128 + SIGTERM);
        }
        Hand(plan.lifeline, plan.lifeline);
    }
    // Our own handlers (the CLI's stop signals) and ignored signals do not carry over.
    struct sigaction byDefault {};
    byDefault.sa_handler = SIG_DFL;
    for (const int s : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE}) {
        sigaction(s, &byDefault, nullptr);
    }
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    if (!o.inheritStdin) {
        Hand(open("/dev/null", O_RDONLY | O_CLOEXEC), STDIN_FILENO);
    }
    // stdout first: a stderr that joins it must find it in place.
    RouteStream(o.out, STDOUT_FILENO, plan.outPipe);
    RouteStream(o.err, STDERR_FILENO, plan.errPipe);
    if (o.fd3 >= 0) {
        Hand(o.fd3, 3);
    }
    execve(plan.path, plan.argv.data(), plan.envp.data());
    const int why = errno;
    (void)!write(plan.report, &why, sizeof why);
    _exit(127);
}

// This environment with the lifeline named (or none, when the command need not end with us).
std::vector<std::string> ChildEnvironment(int lifeline) {
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
        if (std::string_view(*e).substr(0, sizeof kLifelineVariable - 1) != kLifelineVariable) {
            env.emplace_back(*e);
        }
    }
    if (lifeline >= 0) {
        env.push_back(kLifelineVariable + std::to_string(lifeline));
    }
    return env;
}

std::vector<char*> Pointers(std::vector<std::string>& words) {
    std::vector<char*> pointers;
    for (std::string& w : words) {
        pointers.push_back(w.data());
    }
    pointers.push_back(nullptr);
    return pointers;
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
    std::vector<std::string> words{"/bin/sh", "-c", line};
    if (!options.args.empty()) {
        words.emplace_back("sh");  // $0
        words.insert(words.end(), options.args.begin(), options.args.end());
    }
    return Launch(words, options);
}

bool ShellProcess::StartProgram(const std::vector<std::string>& argv, const ShellOptions& options) {
    return !argv.empty() && Launch(argv, options);
}

bool ShellProcess::Launch(const std::vector<std::string>& argv, const ShellOptions& options) {
    if (m_pid > 0) {
        return false;
    }
    Pipe out, err, report;
    if ((options.out == Route::Pipe && !out.Open()) ||
        (options.err == Route::Pipe && !err.Open()) || !report.Open(false)) {
        m_startError = std::strerror(errno);
        out.CloseAll();
        err.CloseAll();
        report.CloseAll();
        return false;
    }
    std::vector<std::string> words = argv;
    ChildPlan plan;
    plan.options = options;
    plan.lifeline = options.endsWithUs ? OwnLifeline() : -1;
    plan.options.endsWithUs = plan.lifeline >= 0;
    std::vector<std::string> env = ChildEnvironment(plan.lifeline);
    plan.path = words[0].c_str();
    plan.argv = Pointers(words);
    plan.envp = Pointers(env);
    plan.outPipe = out.write;
    plan.errPipe = err.write;
    plan.report = report.write;
    plan.parent = getpid();
    const pid_t pid = fork();
    if (pid == 0) {
        BecomeCommand(plan);
    }
    if (pid > 0 && options.ownGroup) {
        setpgid(pid, pid);  // as the child does: a stop sent at once must reach the group
    }
    out.CloseWrite();
    err.CloseWrite();
    report.CloseWrite();
    int why = 0;
    ssize_t got = 0;
    while (pid > 0 && (got = read(report.read, &why, sizeof why)) < 0 && errno == EINTR) {
    }
    report.CloseAll();
    if (pid <= 0 || got > 0) {
        m_startError = std::strerror(pid <= 0 ? errno : why);
        if (pid > 0) {
            while (waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
            }
        }
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

bool LifelineCut() {
    static const int fd = [] {
        const char* named = std::getenv("MORVAKELIN_LIFELINE");
        char* end = nullptr;
        const long n = named ? std::strtol(named, &end, 10) : -1;
        struct stat st;
        if (n < 3 || *end != '\0' || fstat(static_cast<int>(n), &st) != 0 ||
            !S_ISFIFO(st.st_mode)) {
            return -1;
        }
        fcntl(static_cast<int>(n), F_SETFD, FD_CLOEXEC);  // our own children get ours
        return static_cast<int>(n);
    }();
    // Nothing is ever written to it: it only ever reports its end.
    pollfd end = {fd, POLLIN, 0};
    return fd >= 0 && poll(&end, 1, 0) > 0 && (end.revents & (POLLHUP | POLLERR)) != 0;
}

CapturedRun RunCaptured(const std::vector<std::string>& argv, Capture which) {
    CapturedRun run;
    ShellOptions options;
    options.inheritStdin = true;
    options.ownGroup = false;
    options.out = which == Capture::Stdout ? Route::Pipe : Route::Inherit;
    options.err = which == Capture::Stderr ? Route::Pipe : Route::Inherit;
    ShellProcess process;
    if (!process.StartProgram(argv, options)) {
        run.error = process.StartError();
        return run;
    }
    run.started = true;
    PumpHandlers handlers;
    (which == Capture::Stdout ? handlers.onOut : handlers.onErr) = [&](std::string_view chunk) {
        run.output.append(chunk);
    };
    // A tool whose starter died waits no longer.
    handlers.onTick = [&] {
        if (LifelineCut() && !process.Stopping()) {
            process.Stop();
        }
    };
    Pump(process, handlers);
    run.status = process.Status();
    return run;
}

std::string ReplaceProcess(const std::vector<std::string>& argv) {
    std::vector<std::string> words = argv;
    std::vector<char*> pointers = Pointers(words);
    execv(pointers[0], pointers.data());
    return "cannot run " + argv[0] + ": " + std::strerror(errno);
}

}  // namespace mk
