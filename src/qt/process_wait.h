// Waiting for a started command on the Qt event loop, so the windows stay painted meanwhile.
#pragma once

#include <QEventLoop>

#include "platform/process_runner.h"

namespace mk {

// Returns once `process` is over; `flags` say which events are handled meanwhile.
void WaitWithEvents(ShellProcess& process,
                    QEventLoop::ProcessEventsFlags flags = QEventLoop::AllEvents);

}  // namespace mk
