// The open and save dialogs of the Qt desktop.
#pragma once

#include <QString>
#include <optional>
#include <string>

#include "platform/desktop.h"

class QWidget;

namespace mk {

enum class FileDialogKind { Open, Save };

// Shows the dialog the request describes and returns the chosen path as its bytes, names that are
// not UTF-8 included. `lastFolder` is where a dialog opens without a start folder; it is set to
// the folder the dialog was closed in, chosen or cancelled.
std::optional<std::string> AskFile(QWidget* parent, const FileDialogRequest& request,
                                   FileDialogKind kind, QString& lastFolder);

}  // namespace mk
