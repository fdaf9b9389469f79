#include "qt/process_wait.h"

#include <QTimer>

namespace mk {

namespace {
// How often the command is looked at; short, since the wait is mostly for the quick probe.
constexpr int kPollMs = 10;
}  // namespace

void WaitWithEvents(ShellProcess& process, QEventLoop::ProcessEventsFlags flags) {
    process.Poll();
    if (process.Over()) {
        return;
    }
    QEventLoop loop;
    QTimer timer;
    timer.setInterval(kPollMs);
    QObject::connect(&timer, &QTimer::timeout, &loop, [&] {
        process.Poll();
        if (process.Over()) {
            loop.quit();
        }
    });
    timer.start();
    loop.exec(flags);
}

}  // namespace mk
