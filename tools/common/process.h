// Running the installed ffmpeg: with one output stream captured, or in place of this process.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace mk::toolkit {

struct CapturedRun {
    bool started = false;
    int exitCode = -1;   // the child's exit status, 128 + signal when it was killed
    std::string output;  // what it wrote to the captured stream
    std::string error;   // why it could not start
};

enum class Capture { Stdout, Stderr };

// Runs `program` with `args` (argv[0] is `program`) and waits; the other streams are inherited.
CapturedRun RunAndCapture(const std::string& program, const std::vector<std::string>& args,
                          Capture which);

// A run started now whose standard error is read once it has ended: a reader that starts while
// what it reads is still being made. It is killed should this process die.
class BackgroundCapture {
public:
    BackgroundCapture() = default;
    ~BackgroundCapture();
    BackgroundCapture(const BackgroundCapture&) = delete;
    BackgroundCapture& operator=(const BackgroundCapture&) = delete;

    // Starts `program` with `args`, `input` (when not -1) as its descriptor 3; false with the
    // reason in `error`.
    bool Start(const std::string& program, const std::vector<std::string>& args, int input,
               std::string& error);
    // Reads its standard error to the end and waits for it.
    CapturedRun Finish();
    // Ends it at once, if it still runs.
    void Kill();

private:
    int m_pid = -1;
    int m_fd = -1;
};

struct RelayedRun {
    bool started = false;
    int exitCode = -1;  // the child's exit status, 128 + signal when it was killed
    std::string error;  // why it could not start
};

// From here on SIGINT, SIGTERM and SIGHUP no longer end this process: the first one is kept for
// StopSignal(), and each is passed on to the child of RunRelayingStderr while it runs. The
// caller cleans up and then ends with EndBySignal(StopSignal()).
void CatchStopSignals();
int StopSignal();  // the first stop signal caught; 0 when none came
[[noreturn]] void EndBySignal(int signal);

// Runs `program` with `args` and waits, copying what it writes to standard error through to ours
// as it comes and showing each piece to `watch` too. Catches the stop signals (see above) and
// passes them on; the child gets SIGTERM should this process die first.
RelayedRun RunRelayingStderr(const std::string& program, const std::vector<std::string>& args,
                             const std::function<void(std::string_view)>& watch);

// Replaces this process with `program`. Returns only on failure, with the reason.
std::string ExecReplace(const std::string& program, const std::vector<std::string>& args);

}  // namespace mk::toolkit
