// Qt's own file dialog leaves its "Look in" and "Files of type" boxes without their labels, so a
// screen reader announces only the folder or the filter they hold; this ties them together.
#pragma once

class QFileDialog;

namespace mk {

void TieFileDialogLabels(QFileDialog& dialog);

}  // namespace mk
