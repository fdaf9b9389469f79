// Waiting on the event loop and looking up the live processes of a process group, for tests of
// the console window and its Stop.
#pragma once

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <chrono>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <thread>

// Waits, handling events, until `done` holds or the deadline passes.
template <typename F>
bool WaitFor(F done, int deadlineMs = 30000) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > deadlineMs) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

// Live (not zombie) processes whose process group is `group`, from /proc.
inline std::set<int> LiveMembers(qint64 group) {
    std::set<int> pids;
    const QDir proc(QStringLiteral("/proc"));
    for (const QString& entry : proc.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        bool number = false;
        const int pid = entry.toInt(&number);
        if (!number) {
            continue;
        }
        std::ifstream stat("/proc/" + entry.toStdString() + "/stat");
        std::string line;
        if (!std::getline(stat, line) || line.rfind(')') == std::string::npos) {
            continue;
        }
        // pid (comm) state ppid pgrp ...; comm may hold blanks, so read after the last ')'.
        std::istringstream rest(line.substr(line.rfind(')') + 1));
        char state = 0;
        long ppid = 0, pgrp = 0;
        rest >> state >> ppid >> pgrp;
        if (pgrp == group && state != 'Z' && state != 'X') {
            pids.insert(pid);
        }
    }
    return pids;
}
