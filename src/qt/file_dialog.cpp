#include "qt/file_dialog.h"

#include <sys/stat.h>

#include <QDir>
#include <QFileDialog>
#include <QMessageBox>

#include "qt/file_dialog_labels.h"
#include "qt/qt_text.h"
#include "rules/file_filter.h"

namespace mk {

namespace {

bool IsRegularFile(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// Qt lists folders by names it decodes as UTF-8, so a folder whose path holds other bytes cannot be
// opened by name; the dialog then starts in the nearest folder above it that it can open.
QString OpenableFolder(std::string folder) {
    while (!folder.empty()) {
        const QString path = QString::fromStdString(folder);
        if (path.toStdString() == folder && QDir(path).exists()) {
            return path;
        }
        const std::size_t slash = folder.find_last_of('/');
        if (slash == std::string::npos) {
            break;
        }
        folder.resize(slash == 0 ? 1 : slash);
    }
    return {};
}

void Configure(QFileDialog& dialog, const FileDialogRequest& request, FileDialogKind kind) {
    // An open dialog takes any name and the file is judged by its bytes afterwards: Qt's own check
    // reads a name that is not UTF-8 as another and would refuse it.
    dialog.setFileMode(QFileDialog::AnyFile);
    if (kind == FileDialogKind::Open) {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
    } else {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        if (!request.overwritePrompt) {
            dialog.setOption(QFileDialog::DontConfirmOverwrite);
        }
    }
    const QString filters = ToQ(QtFilterList(request.mfcFilter));
    if (!filters.isEmpty()) {
        const QStringList list = filters.split(QStringLiteral(";;"));
        dialog.setNameFilters(list);
        dialog.selectNameFilter(list.front());
    }
    if (!request.defaultExtension.empty()) {
        dialog.setDefaultSuffix(ToQ(request.defaultExtension));
    }
}

// Whether the dialog's choice may be taken; asks or warns as the dialog itself would.
bool Acceptable(QFileDialog& dialog, const FileDialogRequest& request, FileDialogKind kind,
                const QString& shown, const std::string& path) {
    if (kind == FileDialogKind::Open) {
        if (IsRegularFile(path) || !request.mustExist) {
            return true;
        }
        QMessageBox::warning(&dialog, dialog.windowTitle(),
                             QFileDialog::tr("%1\nFile not found.\nPlease verify the correct file "
                                             "name was given.")
                                 .arg(shown));
        return false;
    }
    // Qt asked before replacing a file it could name; a name it could not is asked here.
    if (!request.overwritePrompt || !IsRegularFile(path) || QFileInfo::exists(shown)) {
        return true;
    }
    return QMessageBox::warning(&dialog, dialog.windowTitle(),
                                QFileDialog::tr("%1 already exists.\nDo you want to replace it?")
                                    .arg(QFileInfo(shown).fileName()),
                                QMessageBox::Yes | QMessageBox::No,
                                QMessageBox::No) == QMessageBox::Yes;
}

}  // namespace

std::optional<std::string> AskFile(QWidget* parent, const FileDialogRequest& request,
                                   FileDialogKind kind, QString& lastFolder) {
    QFileDialog dialog(parent);
    Configure(dialog, request, kind);
    const QString start =
        request.startFolder.empty() ? lastFolder : OpenableFolder(request.startFolder);
    if (!start.isEmpty()) {
        dialog.setDirectory(start);
    }
    std::optional<std::string> chosen;
    TieFileDialogLabels(dialog);
    while (!chosen && dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
        const QString shown = dialog.selectedFiles().front();
        const std::string path = NativePath(shown);
        if (Acceptable(dialog, request, kind, shown, path)) {
            chosen = path;
        }
    }
    lastFolder = dialog.directory().absolutePath();
    return chosen;
}

}  // namespace mk
