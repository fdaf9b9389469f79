// Shell lines and programs that tests run, through the program's own process runner.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace mk::test {

struct ShellRun {
    int exitCode = -1;  // -1 when it did not exit by itself
    bool timedOut = false;
    std::string output;
};

// Runs `line` with /bin/sh -c, standard input from /dev/null, its output where ours goes. Returns
// its status: the exit code, 128 + N after signal N, -1 when no shell could start.
int RunSh(const std::string& line);

// Runs `line` with /bin/sh -c in a process group of its own, standard input from /dev/null,
// collecting its standard output and error together; the whole group is killed after `seconds`.
// `env` holds "NAME=value" entries set for it alone.
ShellRun RunShell(const std::string& line, int seconds = 120,
                  const std::vector<std::string>& env = {});

// Runs a program with exactly these arguments (no word splitting); standard output only.
ShellRun RunProgram(const std::vector<std::string>& argv, int seconds = 120);

// The text in single quotes for the shell; a quote in it closes, escapes and reopens them.
std::string Quoted(std::string_view text);

}  // namespace mk::test
