// A menu bar entry whose caption is a symbol ("?") tells screen readers a word instead. Qt names
// a menu bar entry by its visible text only, so the entry gets an accessible interface of its own.
#pragma once

#include <QString>

class QAction;

namespace mk {

// menuAction is the QMenu's menuAction() as placed in a QMenuBar.
void SetMenuBarItemName(QAction* menuAction, const QString& name);

}  // namespace mk
