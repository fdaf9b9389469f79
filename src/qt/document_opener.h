// Opening a document without waiting for it: the desktop's program for its type first (xdg-open);
// when the desktop has none, our own way: a page in the help window, sound and video in ffplay;
// and when that fails too, a message that names the file.
#pragma once

#include <string>

#include "platform/desktop.h"

class QWidget;

namespace mk {

// True once the document is on its way; the fallback, if needed, follows when xdg-open has
// given up. `desktop` shows the message and must outlive the event loop.
bool OpenDocumentSomehow(const std::string& path, QWidget* parent, Desktop& desktop);

// The fallback alone: what opens the document when the desktop has no program for it.
void OpenWithoutDesktop(const std::string& path, QWidget* parent, Desktop& desktop);

}  // namespace mk
