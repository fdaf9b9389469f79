// Times one command line run in the console window (shown offscreen, closing itself when the
// command ends) or, with --shell, the same line in a plain /bin/sh with its output to a file.
// Prints: wall ms, exit status, CPU ms of the command's processes, CPU ms of this program during
// the run (the console window's own cost). CPU times stay meaningful on a busy machine, where
// wall times are mostly noise.
#include <QApplication>
#include <QElapsedTimer>

#include <sys/resource.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "qt/console_window.h"

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    const bool shell = argc == 4 && std::strcmp(argv[1], "--shell") == 0;
    if (!(argc == 2 || shell)) {
        std::fprintf(stderr, "usage: console_bench COMMAND | console_bench --shell COMMAND LOG\n");
        return 2;
    }
    QApplication app(argc, argv);
    const auto cpuMs = [](int who) {
        rusage usage{};
        getrusage(who, &usage);
        return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000LL +
               (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000;
    };
    const long long selfBefore = cpuMs(RUSAGE_SELF);
    QElapsedTimer clock;
    int status = 0;
    if (shell) {
        const std::string line = std::string("(") + argv[2] + ") >'" + argv[3] + "' 2>&1";
        clock.start();
        status = std::system(line.c_str());
        status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    } else {
        mk::ConsoleOptions options;
        options.closeWhenDone = true;
        clock.start();
        status = mk::ConsoleWindow::Run(argv[1], options, nullptr).exitStatus;
    }
    const long long wall = clock.elapsed();
    std::printf("%lld %d %lld %lld\n", wall, status, cpuMs(RUSAGE_CHILDREN),
                cpuMs(RUSAGE_SELF) - selfBefore);
    return 0;
}
