// Keyboard ways into controls that Qt leaves to the mouse or to Space.
#pragma once

class QMenuBar;
class QWidget;

namespace mk {

// In every window of the program, Return and Enter press the push button that has the focus, as
// Space does. Installing it again changes nothing.
void PressFocusedButtonsOnReturn();

// Tab stays a character in the text; Ctrl+Tab and Ctrl+Shift+Tab move the focus out of it.
void LeaveTextOnCtrlTab(QWidget* text);

// Qt hands a button box the focus of its first button as a proxy, so screen readers hear a
// nameless panel get the focus instead of the button; once the dialog shows, the buttons take it.
void FocusButtonsNotTheirBox(QWidget* dialog);

// F10 opens the menu bar's first menu; arrows move on, Escape leaves the menu bar again.
void OpenMenuBarOnF10(QWidget* window, QMenuBar* bar);

}  // namespace mk
