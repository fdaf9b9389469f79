// The console window with real commands: output, exit status, progress, and Stop reaching every
// process of the command.
#include <QAccessible>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <thread>

#include "qt/console_window.h"
#include "support/process_watch.h"
#include "support/shell.h"

namespace mk {
namespace {

TEST(ConsoleWindow, EchoOutputAndExitStatus) {
    ConsoleOptions options;
    options.closeWhenDone = true;
    const struct {
        std::string command;
        int status;
    } cases[] = {{"echo hello; echo oops >&2", 0},
                 {"echo bye; exit 3", 3},
                 {"cat; exit 4", 4}};  // nothing to read: a command never waits for input
    for (const auto& c : cases) {
        ConsoleWindow window(c.command, options);
        window.Start();
        ASSERT_TRUE(WaitFor([&] { return !window.IsRunning(); })) << c.command;
        EXPECT_EQ(window.Result().exitStatus, c.status);
        EXPECT_FALSE(window.Result().stopped);
        EXPECT_TRUE(window.StatusText().contains(QString::number(c.status)))
            << window.StatusText().toStdString();
    }
    ConsoleWindow window("echo hello; echo oops >&2", options);
    window.Start();
    ASSERT_TRUE(WaitFor([&] { return !window.IsRunning(); }));
    EXPECT_EQ(window.OutputText(), QStringLiteral("hello\noops\n"));
}

TEST(ConsoleWindow, ViewFollowsTheOutputToItsEnd) {
    ConsoleWindow window("seq 1 2000; printf '%0300d\\n' 7", ConsoleOptions{});
    window.show();
    window.Start();
    ASSERT_TRUE(WaitFor([&] { return !window.IsRunning(); }));
    QCoreApplication::processEvents();
    const auto* view = window.findChild<QPlainTextEdit*>();
    ASSERT_NE(view, nullptr);
    EXPECT_GT(view->verticalScrollBar()->maximum(), 0);
    EXPECT_EQ(view->verticalScrollBar()->value(), view->verticalScrollBar()->maximum());
    EXPECT_TRUE(window.OutputText().startsWith(QStringLiteral("1\n2\n")));
}

TEST(ConsoleWindow, RunReturnsWhenClosedAfterTheCommand) {
    ConsoleOptions options;
    options.closeWhenDone = true;
    const ConsoleResult result = ConsoleWindow::Run("exit 7", options, nullptr);
    EXPECT_EQ(result.exitStatus, 7);
    EXPECT_FALSE(result.stopped);
}

TEST(ConsoleWindow, StaysOpenAfterTheCommandUntilClosed) {
    ConsoleWindow window("true", ConsoleOptions{});
    window.show();
    window.Start();
    ASSERT_TRUE(WaitFor([&] { return !window.IsRunning(); }));
    QCoreApplication::processEvents();
    EXPECT_TRUE(window.isVisible());
    window.close();
    EXPECT_FALSE(window.isVisible());
}

TEST(ConsoleWindow, EncodeShowsProgressAndOneStatusLine) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string clip = dir.filePath(QStringLiteral("clip.mkv")).toStdString();
    ASSERT_EQ(test::RunSh("ffmpeg -nostdin -v error -f lavfi -i testsrc=d=2:s=160x120:r=25 "
                          "-c:v ffv1 -y " +
                          test::Quoted(clip)),
              0);
    // -re paces the encode at real time, so ffmpeg rewrites its status line several times.
    const std::string command = "ffmpeg -nostdin -hide_banner -re -stats_period 0.2 -i '" + clip +
                                "' -c:v mpeg2video -y '" +
                                dir.filePath(QStringLiteral("out.mpg")).toStdString() + "'";
    ConsoleOptions options;
    options.closeWhenDone = true;
    ConsoleWindow window(command, options);
    window.Start();
    ASSERT_TRUE(WaitFor([&] { return !window.IsRunning(); }));
    EXPECT_EQ(window.Result().exitStatus, 0) << window.OutputText().toStdString();
    EXPECT_EQ(window.Progress().Duration(), 2.0);
    EXPECT_EQ(window.ProgressBar()->value(), 100);

    int statusLines = 0;
    for (const QString& line : window.OutputText().split(QLatin1Char('\n'))) {
        statusLines += line.startsWith(QStringLiteral("frame=")) ? 1 : 0;
    }
    EXPECT_EQ(statusLines, 1) << window.OutputText().toStdString();
}

TEST(ConsoleWindow, BatchStaysIndeterminate) {
    ConsoleOptions options;
    options.batch = true;
    ConsoleWindow window(
        "echo '  Duration: 00:00:10.00, start: 0'; echo 'frame=1 time=00:00:05.00 x'; sleep 100",
        options);
    window.Start();
    ASSERT_TRUE(WaitFor([&] { return window.OutputText().contains(QStringLiteral("frame=")); }));
    EXPECT_FALSE(window.ProgressBar()->text().contains(QLatin1Char('%')))
        << window.ProgressBar()->text().toStdString();
    window.Stop();
    ASSERT_TRUE(WaitFor([&] { return !window.IsRunning(); }));
}

TEST(ConsoleWindow, StopEndsEveryProcessOfTheCommand) {
    const struct {
        const char* command;
        std::size_t processes;  // at least this many, once everything has started
    } cases[] = {
        {"sleep 100 | sleep 100", 3},
        {"sh -c 'sleep 100; echo never'; echo never", 3},
        // Deaf to SIGTERM (and so is its sleep): only the later SIGKILL ends it.
        {"sh -c 'trap \"\" TERM; sleep 100; echo never'", 2},
    };
    for (const auto& c : cases) {
        ConsoleOptions options;
        options.stopPolicy = {std::chrono::milliseconds(300), std::chrono::milliseconds(300)};
        ConsoleWindow window(c.command, options);
        window.Start();
        const qint64 group = window.ProcessGroup();
        ASSERT_GT(group, 0);
        ASSERT_TRUE(WaitFor([&] { return LiveMembers(group).size() >= c.processes; })) << c.command;

        window.StopButton()->click();
        ASSERT_TRUE(WaitFor([&] { return !window.IsRunning(); })) << c.command;
        EXPECT_TRUE(window.Result().stopped);
        EXPECT_EQ(window.Result().exitStatus, -1);
        EXPECT_TRUE(window.StatusText().contains(QStringLiteral("Stopped")));
        EXPECT_TRUE(WaitFor([&] { return LiveMembers(group).empty(); }, 10000)) << c.command;
        EXPECT_FALSE(window.OutputText().contains(QStringLiteral("never")));
    }
}

TEST(ConsoleWindow, ClosingWhileRunningAsksFirst) {
    ConsoleWindow window("sleep 100", ConsoleOptions{});
    window.show();
    window.Start();
    int asked = 0;
    window.SetConfirmStop([&] {
        ++asked;
        return false;
    });
    window.close();
    QCoreApplication::processEvents();
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(window.isVisible());
    EXPECT_TRUE(window.IsRunning());

    window.SetConfirmStop([&] {
        ++asked;
        return true;
    });
    window.close();
    const qint64 group = window.ProcessGroup();
    ASSERT_TRUE(WaitFor([&] { return !window.isVisible(); }));
    EXPECT_EQ(asked, 2);
    EXPECT_TRUE(window.Result().stopped);
    EXPECT_TRUE(WaitFor([&] { return LiveMembers(group).empty(); }, 10000));
}

TEST(ConsoleWindow, MissingProgramIsAnEndedCommandNotAHang) {
    ConsoleOptions options;
    options.closeWhenDone = true;
    const ConsoleResult result = ConsoleWindow::Run("/nonexistent/ffmpeg -i x", options, nullptr);
    EXPECT_EQ(result.exitStatus, 127);
}

// What the window says when the run is over: one story (the bar no longer claims to run), the end
// in the status label's accessible name, the focus on Close, a name for every control.
TEST(ConsoleWindow, EndTellsOneStoryAndMovesFocusToClose) {
    const struct {
        const char* command;
        const char* status;
        const char* bar;
    } cases[] = {
        {"echo '  Duration: 00:00:10.00, start: 0'; echo 'frame=1 time=00:00:05.00 x'; exit 1",
         "Failed", "50%"},
        {"exit 1", "Failed", ""},
        {"true", "Finished", "100%"},
    };
    for (const auto& c : cases) {
        ConsoleWindow window(c.command, ConsoleOptions{});
        window.show();
        window.Start();
        ASSERT_TRUE(WaitFor([&] { return !window.IsRunning(); })) << c.command;
        EXPECT_EQ(window.ProgressBar()->text(), QString::fromLatin1(c.bar)) << c.command;
        bool named = false;
        for (const QLabel* label : window.findChildren<QLabel*>()) {
            named |= label->text().startsWith(QLatin1String(c.status)) &&
                     label->accessibleName().contains(label->text());
        }
        EXPECT_TRUE(named) << c.command;
        const auto* close = window.findChildren<QPushButton*>().back();
        EXPECT_EQ(close->text(), QStringLiteral("Close"));
        EXPECT_EQ(window.focusWidget(), close) << c.command;
    }
    ConsoleWindow window("true", ConsoleOptions{});
    for (QWidget* w : window.findChildren<QWidget*>()) {
        if (w->focusPolicy() != Qt::NoFocus || qobject_cast<QProgressBar*>(w)) {
            QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
            EXPECT_FALSE(a->text(QAccessible::Name).isEmpty()) << w->metaObject()->className();
        }
    }
}

// The time left appears beside the bar without taking width from it.
TEST(ConsoleWindow, BarKeepsItsWidthWhenTheTimeLeftAppears) {
    ConsoleWindow window(
        "echo '  Duration: 00:01:40.00, start: 0'; echo 'frame=1 time=00:00:01.00 x'; sleep 2.5;"
        "echo 'frame=2 time=00:00:10.00 x'; sleep 100",
        ConsoleOptions{});
    window.show();
    window.Start();
    ASSERT_TRUE(WaitFor([&] { return window.ProgressBar()->text() == QStringLiteral("1%"); }));
    const int width = window.ProgressBar()->width();
    auto timeLeftShown = [&] {
        for (const QLabel* label : window.findChildren<QLabel*>()) {
            if (label->text().startsWith(QStringLiteral("Time left"))) {
                return true;
            }
        }
        return false;
    };
    ASSERT_TRUE(WaitFor(timeLeftShown, 10000));
    QCoreApplication::processEvents();
    EXPECT_EQ(window.ProgressBar()->width(), width);
    window.Stop();
    ASSERT_TRUE(WaitFor([&] { return !window.IsRunning(); }));
}

// Close clicked while a short run finishes: the run ends behind the question. Answering Yes
// then closes the window at once, and the window's own question is withdrawn when the run ends.
TEST(ConsoleWindow, CloseAskedWhileTheRunEndsClosesTheWindow) {
    for (const bool ownQuestion : {false, true}) {
        ConsoleWindow window("sleep 0.5", ConsoleOptions{});
        if (!ownQuestion) {
            window.SetConfirmStop([&] {
                WaitFor([&] { return !window.IsRunning(); });
                return true;
            });
        }
        bool answeredNo = false;  // the question left standing: a hang turned into a failure
        QTimer::singleShot(10000, &window, [&] {
            for (QMessageBox* box : window.findChildren<QMessageBox*>()) {
                answeredNo = true;
                box->done(QMessageBox::No);
            }
        });
        window.show();
        window.Start();
        QTest::mouseClick(window.findChildren<QPushButton*>().back(), Qt::LeftButton);
        EXPECT_TRUE(WaitFor([&] { return !window.isVisible(); }, 3000)) << ownQuestion;
        EXPECT_FALSE(answeredNo);
        EXPECT_FALSE(window.Result().stopped);
        EXPECT_EQ(window.Result().exitStatus, 0);
    }
}

}  // namespace
}  // namespace mk
