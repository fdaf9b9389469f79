#include "qt/qt_desktop.h"

#include <unistd.h>

#include <QApplication>
#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QTimer>
#include <QUrl>

#include "platform/shell_dialect.h"
#include "probe/probe_watch.h"
#include "qt/console_window.h"
#include "qt/document_opener.h"
#include "qt/file_dialog.h"
#include "qt/help_viewer.h"
#include "qt/keyboard_access.h"
#include "qt/qt_text.h"
#include "qt/text_editor_window.h"

namespace mk {

namespace {
constexpr int kProbeLookMs = 20;  // short: the probe is mostly over in moments
}  // namespace

std::string QtDesktop::ProgramFolder() {
    // The executable's path as bytes: Qt's own would change a folder name that is not UTF-8.
    std::string exe(4096, '\0');
    const ssize_t n = readlink("/proc/self/exe", exe.data(), exe.size());
    if (n > 0 && static_cast<std::size_t>(n) < exe.size()) {
        exe.resize(static_cast<std::size_t>(n));
        return exe.substr(0, exe.rfind('/') + 1);
    }
    return QFile::encodeName(QCoreApplication::applicationDirPath()).toStdString() + "/";
}

void QtDesktop::ShowMessage(const std::string& text, const std::string& title, MessageIcon icon) {
    QMessageBox box(icon == MessageIcon::Stop ? QMessageBox::Critical : QMessageBox::Information,
                    ToQ(title), ToQ(text), QMessageBox::Ok, m_form);
    box.setTextFormat(Qt::PlainText);
    FocusButtonsNotTheirBox(&box);
    // The icon tells a failure from a notice; a screen reader hears it as a word.
    if (auto* iconLabel = box.findChild<QLabel*>(QStringLiteral("qt_msgboxex_icon_label"))) {
        iconLabel->setAccessibleName(
            icon == MessageIcon::Stop
                ? QCoreApplication::translate("mk::QtDesktop", "Error")
                : QCoreApplication::translate("mk::QtDesktop", "Information"));
    }
    box.exec();
}

std::optional<std::string> QtDesktop::AskOpenFile(const FileDialogRequest& request) {
    return AskFile(m_form, request, FileDialogKind::Open, m_lastFolder);
}

std::optional<std::string> QtDesktop::AskSaveFile(const FileDialogRequest& request) {
    return AskFile(m_form, request, FileDialogKind::Save, m_lastFolder);
}

ProbeEnd QtDesktop::RunProbe(const std::string& commandLine) {
    ProbeWatch watch(ProgramFolder() + ShellDialect::Native().ProbeReport());
    if (!watch.Start(commandLine, Route::Inherit, Route::Inherit)) {
        return {};
    }
    // The form stays painted but takes no input until the probe is over.
    QApplication::setOverrideCursor(Qt::WaitCursor);
    if (!watch.Step()) {
        QEventLoop loop;
        QTimer timer;
        timer.setInterval(kProbeLookMs);
        QObject::connect(&timer, &QTimer::timeout, &loop, [&] {
            if (watch.Step()) {
                loop.quit();
            }
        });
        timer.start();
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
    QApplication::restoreOverrideCursor();
    return watch.End();
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
    return OpenDocumentSomehow(path, m_form, *this);
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
