// Work that waits until a window is on the screen.
#pragma once

#include <functional>

class QWidget;

namespace mk {

// Runs `run` once, when the window is first exposed: the window manager has mapped it, framed it
// and the window is visible. Nothing runs for a window that is never shown.
void OnFirstExpose(QWidget& window, std::function<void()> run);

}  // namespace mk
