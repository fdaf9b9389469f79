#include "support/shell.h"

#include <signal.h>

#include <chrono>

#include "platform/process_runner.h"

namespace mk::test {

namespace {

ShellRun Collect(const std::string& line, const ShellOptions& options, int seconds) {
    ShellRun run;
    ShellProcess process;
    if (!process.Start(line, options)) {
        return run;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    const auto keep = [&](std::string_view chunk) { run.output.append(chunk); };
    Pump(process, {.onOut = keep, .onErr = keep, .onTick = [&] {
                       if (!run.timedOut && std::chrono::steady_clock::now() > deadline) {
                           run.timedOut = true;
                           process.Signal(SIGKILL);
                       }
                   }});
    if (!run.timedOut) {
        run.exitCode = process.ExitCode().value_or(-1);
    }
    return run;
}

}  // namespace

int RunSh(const std::string& line) {
    ShellOptions options;
    options.out = Route::Inherit;
    options.err = Route::Inherit;
    return RunShellWaited(line, options);
}

ShellRun RunShell(const std::string& line, int seconds, const std::vector<std::string>& env) {
    // The extra variables travel as positional parameters and are exported by the line itself.
    ShellOptions options;
    options.err = Route::OtherOne;  // into the same pipe as standard output
    std::string withEnv;
    for (std::size_t i = 0; i < env.size(); ++i) {
        withEnv += "export \"$" + std::to_string(i + 1) + "\"; ";
        options.args.push_back(env[i]);
    }
    withEnv += "shift " + std::to_string(env.size()) + "; ";
    return Collect(withEnv + line, options, seconds);
}

ShellRun RunProgram(const std::vector<std::string>& argv, int seconds) {
    ShellOptions options;
    options.err = Route::Null;
    options.args = argv;
    return Collect("exec \"$@\"", options, seconds);
}

std::string Quoted(std::string_view text) {
    std::string out = "'";
    for (char c : text) {
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return out + "'";
}

}  // namespace mk::test
