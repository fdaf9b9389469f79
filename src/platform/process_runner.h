// The one way this program and its tools start another: a command line run with /bin/sh -c (or a
// program run directly), as a rule in a process group of its own, its output read through pipes,
// stopped as a whole, known to be over only when every process of it has ended, and ended when
// this program dies.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mk {

// Where one of the command's output streams goes.
enum class Route {
    Pipe,      // into a pipe this side reads (OutFd / ErrFd)
    Inherit,   // wherever ours goes
    Null,      // /dev/null
    OtherOne,  // stdout onto our stderr; stderr into the same place as the command's stdout
};

struct ShellOptions {
    bool inheritStdin = false;  // else /dev/null: nothing the command runs waits for input
    Route out = Route::Pipe;
    Route err = Route::Pipe;
    // A process group of its own, so that a stop reaches every process of a pipeline or batch.
    // Off for a command that must stay in the terminal's foreground group (a terminal editor).
    bool ownGroup = true;
    std::vector<std::string> args;  // $1, $2 ... of the line
    // Nothing of the command outlives this program: when it dies, however, the first process gets
    // SIGTERM and the lifeline it was handed closes (see LifelineCut). Off for what the user
    // keeps on its own (a document opened on the desktop, a player).
    bool endsWithUs = true;
    int fd3 = -1;  // handed to the command as its descriptor 3 when not -1
};

// True once the program that started this one through ShellProcess has died (its lifeline,
// named by MORVAKELIN_LIFELINE, has closed). False when this process was started otherwise.
// The lifeline reaches through any shell or wrapper in between, where a death signal does not.
bool LifelineCut();

// How a stop proceeds: SIGINT to the whole group first (ffmpeg then closes its output properly
// and our ffmpeg removes what it leaves incomplete), SIGTERM when something is still there after
// `termAfter`, SIGKILL `killAfter` later. Asking again moves to the next step at once.
struct StopPolicy {
    std::chrono::milliseconds termAfter{2000};
    std::chrono::milliseconds killAfter{2000};
};

class ShellProcess {
public:
    using Clock = std::chrono::steady_clock;

    explicit ShellProcess(StopPolicy policy = {}) : m_policy(policy) {}
    // Never leaves a command behind: a group still running (or being stopped) is killed.
    ~ShellProcess();
    ShellProcess(const ShellProcess&) = delete;
    ShellProcess& operator=(const ShellProcess&) = delete;

    // False when /bin/sh could not be started (nothing runs then).
    bool Start(const std::string& line, const ShellOptions& options = {});
    // Runs the program argv[0] (a path) with `argv` itself, without a shell; false with the
    // reason in StartError() when it could not be run. `options.args` is not used.
    bool StartProgram(const std::vector<std::string>& argv, const ShellOptions& options = {});
    const std::string& StartError() const { return m_startError; }
    bool Started() const { return m_pid > 0; }
    // The shell's process id, which is also the command's process group when it has its own.
    pid_t Pid() const { return m_pid; }

    // The read ends of piped streams, non-blocking, for poll() or a QSocketNotifier; -1 when the
    // stream is not piped or has ended.
    int OutFd() const { return m_outFd; }
    int ErrFd() const { return m_errFd; }
    // Appends what can be read now from that fd without blocking (up to 1 MiB a call); closes
    // it at its end.
    void ReadOut(std::string& into) { ReadAvailable(m_outFd, into); }
    void ReadErr(std::string& into) { ReadAvailable(m_errFd, into); }

    // Without blocking: reaps the shell once it has ended and moves a stop along its steps.
    void Poll();
    // Asks the command to stop (see StopPolicy); a further call takes the next step at once.
    void Stop();
    bool Stopping() const { return m_step > 0; }
    // Sends `signal` to the whole group (to the shell alone without a group of its own).
    void Signal(int signal) const;

    bool ShellEnded() const { return m_reaped; }
    // The shell's exit code, when it exited by itself.
    std::optional<int> ExitCode() const;
    // The signal that ended the shell, 0 if none.
    int TermSignal() const;
    // As the shell reports a command's status: the exit code, or 128 + the signal; -1 before.
    int Status() const;

    // The shell has been reaped and no process of its group is left (zombies waiting for a
    // reaper other than us do not count).
    bool GroupGone() const;
    // Over as far as the caller is concerned: a command that ends by itself is over when its
    // shell ends (a job it left in the background is its own business); a stopped one only when
    // its whole group is gone.
    bool Over() const;

private:
    bool Launch(const std::vector<std::string>& argv, const ShellOptions& options);
    void ReadAvailable(int& fd, std::string& into);
    void CloseFds();

    StopPolicy m_policy;
    pid_t m_pid = 0;
    bool m_ownGroup = true;
    int m_outFd = -1;
    int m_errFd = -1;
    bool m_reaped = false;
    bool m_statusKnown = false;
    int m_waitStatus = 0;
    int m_step = 0;  // stop signals sent: 1 SIGINT, 2 SIGTERM, 3 SIGKILL
    Clock::time_point m_stepTime;
    std::string m_startError;
};

// Runs `line` and waits for it (no pipes are read: routes other than Pipe); returns Status(), or
// -1 when the shell could not be started.
int RunShellWaited(const std::string& line, const ShellOptions& options);

// Blocking loop for a front end without an event loop: hands each chunk of the piped streams to
// its handler as it arrives and calls `onTick` a few times a second (a place to call Stop()),
// until the command is Over(). Whatever is still in the pipes at the end is read first.
struct PumpHandlers {
    std::function<void(std::string_view)> onOut;
    std::function<void(std::string_view)> onErr;
    std::function<void()> onTick;
};
void Pump(ShellProcess& process, const PumpHandlers& handlers);

// A program run directly and waited for, its standard output or error captured (the other
// stream and the input inherited).
struct CapturedRun {
    bool started = false;
    int status = -1;     // as Status(): the exit code, or 128 + the signal
    std::string output;  // what it wrote to the captured stream
    std::string error;   // why it could not start
};
enum class Capture { Stdout, Stderr };
CapturedRun RunCaptured(const std::vector<std::string>& argv, Capture which);

// Replaces this process with the program argv[0]. Returns only on failure, with the reason.
std::string ReplaceProcess(const std::vector<std::string>& argv);

}  // namespace mk
