// Running the installed ffmpeg: with one output stream captured, or in place of this process.
#pragma once

#include <string>
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

// Replaces this process with `program`. Returns only on failure, with the reason.
std::string ExecReplace(const std::string& program, const std::vector<std::string>& args);

}  // namespace mk::toolkit
