#include "qt/document_opener.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QProcess>
#include <QStandardPaths>
#include <QWidget>

#include "platform/player_location.h"
#include "platform/process_runner.h"
#include "qt/help_viewer.h"
#include "qt/qt_text.h"

namespace mk {

namespace {

// xdg-open without a program for the type fails at once; a failure later comes from a program
// it started and ran in the foreground, which the user has seen and closed.
constexpr qint64 kQuickFailureMs = 10000;

bool IsPage(const std::string& path) {
    const QString name = ToQ(path).toLower();
    return name.endsWith(QStringLiteral(".htm")) || name.endsWith(QStringLiteral(".html"));
}

bool Play(const std::string& player, const std::string& path) {
    ShellOptions options;
    options.out = Route::Null;
    options.err = Route::Null;
    options.args = {player, path};
    // Started in the background of a shell that ends at once; its own process group keeps it
    // out of a Ctrl-C meant for this program.
    return RunShellWaited("\"$1\" \"$2\" </dev/null &", options) == 0;
}

}  // namespace

void OpenWithoutDesktop(const std::string& path, QWidget* parent, Desktop& desktop) {
    if (IsPage(path)) {
        HelpViewer::Show(path, 0, parent);  // a missing page shows nothing, as with the desktop
        return;
    }
    const std::string player = FindFfplay();
    if (!player.empty() && Play(player, path)) {
        return;
    }
    desktop.ShowMessage("No program here opens\n" + path +
                            "\n\nInstall ffplay (it comes with ffmpeg) or choose a default "
                            "program for this type of file on your desktop.",
                        "Cannot open file", MessageIcon::Stop);
}

bool OpenDocumentSomehow(const std::string& path, QWidget* parent, Desktop& desktop) {
    const QString xdgOpen = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (xdgOpen.isEmpty()) {
        OpenWithoutDesktop(path, parent, desktop);
        return true;
    }
    // Not parented and not waited for: a program xdg-open keeps in the foreground may outlive us.
    auto* process = new QProcess;
    process->setProgram(xdgOpen);
    process->setArguments({UrlFromBytes(path).toString(QUrl::FullyEncoded)});  // plain ASCII
    process->setStandardInputFile(QProcess::nullDevice());
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setStandardErrorFile(QProcess::nullDevice());
    QElapsedTimer clock;
    clock.start();
    QPointer<QWidget> owner(parent);
    const auto fallBack = [path, owner, &desktop, clock] {
        if (clock.elapsed() < kQuickFailureMs) {
            OpenWithoutDesktop(path, owner, desktop);
        }
    };
    QObject::connect(process, &QProcess::finished, process,
                     [process, fallBack](int code, QProcess::ExitStatus status) {
                         process->deleteLater();
                         if (status != QProcess::NormalExit || code != 0) {
                             fallBack();
                         }
                     });
    QObject::connect(process, &QProcess::errorOccurred, process,
                     [process, fallBack](QProcess::ProcessError error) {
                         if (error == QProcess::FailedToStart) {
                             process->deleteLater();
                             fallBack();
                         }
                     });
    process->start();
    return true;
}

}  // namespace mk
