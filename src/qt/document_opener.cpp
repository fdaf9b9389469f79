#include "qt/document_opener.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPointer>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>

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

void ShowCannotOpen(Desktop& desktop, const std::string& path, const std::string& why) {
    // The path goes in as its bytes, which need not be UTF-8.
    desktop.ShowMessage(
        FromQ(QCoreApplication::translate("mk::DocumentOpener", "No program here opens")) + "\n" +
            path + "\n\n" + why,
        FromQ(QCoreApplication::translate("mk::DocumentOpener", "Cannot open file")),
        MessageIcon::Stop);
}

// Polls a command that is not waited for until its shell ends, then hands over its status. The
// process lives as long as the watch; one still running when this program ends runs on.
void WhenEnded(std::shared_ptr<ShellProcess> process, std::function<void(int)> onEnd) {
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, timer, [timer, process, onEnd] {
        process->Poll();
        if (!process->ShellEnded()) {
            return;
        }
        timer->deleteLater();
        onEnd(process->Status());
    });
    timer->start(100);
}

// The player runs in a process group of its own (out of reach of a Ctrl-C meant for this
// program) and is not waited for. One that cannot play (no sound device, no display) ends within
// moments, and only then is its error worth a message.
constexpr const char* kPlayLine = "exec \"$1\" -nostats -loglevel error \"$2\" </dev/null 2>\"$3\"";
constexpr qint64 kPlayerSettleMs = 2000;

void Play(const std::string& player, const std::string& path, Desktop& desktop) {
    auto errors = std::make_shared<QTemporaryFile>();
    auto process = std::make_shared<ShellProcess>();
    ShellOptions options;
    options.out = Route::Null;
    options.err = Route::Null;
    options.endsWithUs = false;  // the user's to close
    if (errors->open()) {
        options.args = {player, path, QFile::encodeName(errors->fileName()).toStdString()};
    }
    if (options.args.empty() || !process->Start(kPlayLine, options)) {
        ShowCannotOpen(desktop, path,
                       player + FromQ(QCoreApplication::translate("mk::DocumentOpener",
                                                                  " could not be started.")));
        return;
    }
    QElapsedTimer clock;
    clock.start();
    WhenEnded(process, [errors, path, clock, &desktop](int status) {
        if (status != 0 && clock.elapsed() < kPlayerSettleMs) {
            const QString said = QString::fromUtf8(errors->readAll()).trimmed();
            ShowCannotOpen(desktop, path, "ffplay: " + FromQ(said.section(QLatin1Char('\n'), -1)));
        }
    });
}

}  // namespace

void OpenWithoutDesktop(const std::string& path, QWidget* parent, Desktop& desktop) {
    if (IsPage(path)) {
        HelpViewer::Show(path, 0, parent);  // a missing page shows nothing, as with the desktop
        return;
    }
    const std::string player = FindFfplay();
    if (player.empty()) {
        ShowCannotOpen(desktop, path,
                       FromQ(QCoreApplication::translate(
                           "mk::DocumentOpener",
                           "Install ffplay (it comes with ffmpeg) or choose a default program for "
                           "this type of file on your desktop.")));
        return;
    }
    Play(player, path, desktop);
}

bool OpenDocumentSomehow(const std::string& path, QWidget* parent, Desktop& desktop) {
    const QString xdgOpen = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (xdgOpen.isEmpty()) {
        OpenWithoutDesktop(path, parent, desktop);
        return true;
    }
    // Not waited for: a program xdg-open keeps in the foreground may outlive us.
    auto process = std::make_shared<ShellProcess>();
    ShellOptions options;
    options.out = Route::Null;
    options.err = Route::Null;
    options.endsWithUs = false;  // the user's to close
    options.args = {FromQ(xdgOpen), FromQ(UrlFromBytes(path).toString(QUrl::FullyEncoded))};
    QElapsedTimer clock;
    clock.start();
    QPointer<QWidget> owner(parent);
    const auto fallBack = [path, owner, &desktop, clock] {
        if (clock.elapsed() < kQuickFailureMs) {
            OpenWithoutDesktop(path, owner, desktop);
        }
    };
    if (!process->Start("exec \"$1\" \"$2\"", options)) {
        fallBack();
        return true;
    }
    WhenEnded(process, [fallBack](int status) {
        if (status != 0) {
            fallBack();
        }
    });
    return true;
}

}  // namespace mk
