#include "qt/qt_desktop.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>
#include <QUrl>

#include "qt/console_window.h"
#include "qt/help_viewer.h"
#include "qt/process_wait.h"
#include "qt/qt_text.h"
#include "qt/text_editor_window.h"
#include "rules/file_filter.h"

namespace mk {

namespace {

std::optional<std::string> RunFileDialog(QWidget* parent, const FileDialogRequest& request,
                                         QFileDialog::AcceptMode mode) {
    QFileDialog dialog(parent);
    dialog.setAcceptMode(mode);
    if (mode == QFileDialog::AcceptOpen) {
        dialog.setFileMode(request.mustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    } else {
        dialog.setFileMode(QFileDialog::AnyFile);
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
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return FromQ(dialog.selectedFiles().front());
}

}  // namespace

std::string QtDesktop::ProgramFolder() {
    return FromQ(QCoreApplication::applicationDirPath()) + "/";
}

void QtDesktop::ShowMessage(const std::string& text, const std::string& title, MessageIcon icon) {
    QMessageBox box(icon == MessageIcon::Stop ? QMessageBox::Critical : QMessageBox::Information,
                    ToQ(title), ToQ(text), QMessageBox::Ok, m_form);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

std::optional<std::string> QtDesktop::AskOpenFile(const FileDialogRequest& request) {
    return RunFileDialog(m_form, request, QFileDialog::AcceptOpen);
}

std::optional<std::string> QtDesktop::AskSaveFile(const FileDialogRequest& request) {
    return RunFileDialog(m_form, request, QFileDialog::AcceptSave);
}

int QtDesktop::RunShell(const std::string& commandLine) {
    ShellOptions options;
    options.out = Route::Inherit;
    options.err = Route::Inherit;
    options.ownGroup = false;  // a Ctrl-C that ends the program ends this short wait with it
    ShellProcess process;
    if (!process.Start(commandLine, options)) {
        return -1;
    }
    // The form stays painted but takes no input until the command has ended.
    QApplication::setOverrideCursor(Qt::WaitCursor);
    WaitWithEvents(process, QEventLoop::ExcludeUserInputEvents);
    QApplication::restoreOverrideCursor();
    return process.ExitCode().value_or(-1);
}

ConsoleResult QtDesktop::RunConsole(const std::string& commandLine, bool batch) {
    ConsoleOptions options;
    options.batch = batch;
    return ConsoleWindow::Run(commandLine, options, m_form);
}

void QtDesktop::EditFile(const std::string& path) {
    TextEditorWindow::Edit(path, m_form);
}

bool QtDesktop::ShowHelp(const std::string& path, int context) {
    return HelpViewer::Show(path, context, m_form);
}

bool QtDesktop::OpenDocument(const std::string& path) {
    return QDesktopServices::openUrl(QUrl::fromLocalFile(ToQ(path)));
}

void QtDesktop::MinimizeForm() {
    if (m_form) {
        m_form->showMinimized();
    }
}

void QtDesktop::RestoreForm() {
    if (m_form) {
        m_form->showNormal();
        m_form->activateWindow();
    }
}

}  // namespace mk
