#include "common/process.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

extern char** environ;

namespace mk::toolkit {

namespace {

std::vector<char*> Argv(const std::string& program, const std::vector<std::string>& args) {
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
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

std::string ExecReplace(const std::string& program, const std::vector<std::string>& args) {
    std::vector<char*> argv = Argv(program, args);
    execv(program.c_str(), argv.data());
    return std::string("cannot run ") + program + ": " + std::strerror(errno);
}

}  // namespace mk::toolkit
