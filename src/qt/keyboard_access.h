// Keyboard ways into controls that Qt leaves to the mouse or to Space.
#pragma once

class QAbstractButton;
class QMenuBar;
class QWidget;

namespace mk {

// Return and Enter press the button while it has the focus, as Space does.
void PressOnReturn(QAbstractButton* button);

// F10 opens the menu bar's first menu; arrows move on, Escape leaves the menu bar again.
void OpenMenuBarOnF10(QWidget* window, QMenuBar* bar);

}  // namespace mk
