#include "qt/file_dialog_labels.h"

#include <QComboBox>
#include <QFileDialog>
#include <QLabel>

namespace mk {

void TieFileDialogLabels(QFileDialog& dialog) {
    // The names are those of Qt's dialog form; a dialog built otherwise (a desktop's native one)
    // has none of them and is left alone.
    const std::pair<const char*, const char*> pairs[] = {{"lookInLabel", "lookInCombo"},
                                                         {"fileTypeLabel", "fileTypeCombo"}};
    for (const auto& [label, combo] : pairs) {
        auto* l = dialog.findChild<QLabel*>(QLatin1String(label));
        auto* c = dialog.findChild<QComboBox*>(QLatin1String(combo));
        if (l != nullptr && c != nullptr && l->buddy() == nullptr) {
            l->setBuddy(c);
        }
    }
}

}  // namespace mk
