#include "qt/console_window.h"

#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QVBoxLayout>

#include <dirent.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <fstream>
#include <sstream>

namespace mk {

namespace {
// How many lines the view keeps; older ones scroll away for good.
constexpr int kMaxLines = 5000;
// The view is brought up to date at most this often, however fast the command writes.
constexpr int kFlushMs = 100;
// How often a stopped command's process group is checked for stragglers.
constexpr int kPollMs = 50;
}  // namespace

ConsoleWindow::ConsoleWindow(const std::string& commandLine, const ConsoleOptions& options,
                             QWidget* parent)
    : QDialog(parent),
      m_commandLine(commandLine),
      m_options(options),
      m_text(kMaxLines),
      m_progress(options.batch) {
    setWindowTitle(tr("Morvakelin console"));
    setSizeGripEnabled(true);
    resize(860, 520);

    m_command = new QLabel(QString::fromStdString(commandLine), this);
    m_command->setWordWrap(true);
    m_command->setTextFormat(Qt::PlainText);
    m_command->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    m_command->setFrameShape(QFrame::StyledPanel);

    m_output = new QPlainTextEdit(this);
    m_output->setReadOnly(true);
    m_output->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    m_output->setMaximumBlockCount(kMaxLines);
    m_output->setUndoRedoEnabled(false);
    m_output->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_output->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));

    m_bar = new QProgressBar(this);
    m_bar->setRange(0, 100);
    m_bar->setValue(0);
    m_bar->setFormat(QString());
    m_timeLeft = new QLabel(this);
    m_status = new QLabel(this);
    m_status->setTextInteractionFlags(Qt::TextSelectableByMouse);

    m_stopButton = new QPushButton(tr("Stop"), this);
    m_stopButton->setEnabled(false);
    m_closeButton = new QPushButton(tr("Close"), this);
    m_closeButton->setAutoDefault(false);
    m_stopButton->setAutoDefault(false);

    auto* progressRow = new QHBoxLayout;
    progressRow->addWidget(m_bar, 1);
    progressRow->addWidget(m_timeLeft);
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addWidget(m_status, 1);
    buttonRow->addWidget(m_stopButton);
    buttonRow->addWidget(m_closeButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_command);
    layout->addWidget(m_output, 1);
    layout->addLayout(progressRow);
    layout->addLayout(buttonRow);

    // Follow the output while the view is at its end; a user who scrolls up reads in peace. The
    // range also grows later than the text (layout is lazy), so follow that too.
    QScrollBar* scroll = m_output->verticalScrollBar();
    connect(scroll, &QScrollBar::valueChanged, this,
            [this, scroll](int value) { m_follow = value >= scroll->maximum(); });
    connect(scroll, &QScrollBar::rangeChanged, this, [this, scroll](int, int maximum) {
        if (m_follow) {
            scroll->setValue(maximum);
        }
    });

    connect(m_stopButton, &QPushButton::clicked, this, &ConsoleWindow::Stop);
    connect(m_closeButton, &QPushButton::clicked, this, &ConsoleWindow::reject);

    m_process.setProgram(QStringLiteral("/bin/sh"));
    m_process.setArguments({QStringLiteral("-c"), QString::fromStdString(commandLine)});
    m_process.setProcessChannelMode(QProcess::MergedChannels);
    m_process.setStandardInputFile(QProcess::nullDevice());
    // Its own session and process group, so Stop reaches every process of a pipeline or batch.
    m_process.setChildProcessModifier([] { ::setsid(); });
    connect(&m_process, &QProcess::readyReadStandardOutput, this, &ConsoleWindow::ReadOutput);
    connect(&m_process, &QProcess::finished, this, &ConsoleWindow::OnShellFinished);
    connect(&m_process, &QProcess::errorOccurred, this, &ConsoleWindow::OnError);

    m_flushTimer.setInterval(kFlushMs);
    connect(&m_flushTimer, &QTimer::timeout, this, &ConsoleWindow::Flush);
    m_killTimer.setSingleShot(true);
    connect(&m_killTimer, &QTimer::timeout, this, [this] {
        m_killed = true;
        SignalGroup(SIGKILL);
    });
    m_pollTimer.setInterval(kPollMs);
    connect(&m_pollTimer, &QTimer::timeout, this, &ConsoleWindow::PollStoppedGroup);
}

ConsoleWindow::~ConsoleWindow() {
    // Never leave a command running behind a window that is gone.
    if (m_process.state() != QProcess::NotRunning || (m_result.stopped && GroupAlive())) {
        m_process.disconnect(this);
        SignalGroup(SIGKILL);
        m_process.waitForFinished(1000);
    }
}

ConsoleResult ConsoleWindow::Run(const std::string& commandLine, const ConsoleOptions& options,
                                 QWidget* parent) {
    ConsoleWindow window(commandLine, options, parent);
    // Started from the dialog's own event loop, so even a start failure is seen by it.
    QTimer::singleShot(0, &window, &ConsoleWindow::Start);
    window.exec();
    return window.Result();
}

void ConsoleWindow::Start() {
    if (m_running || m_process.state() != QProcess::NotRunning) {
        return;
    }
    m_running = true;
    m_stopButton->setEnabled(true);
    m_status->setText(tr("Running"));
    ShowNoPercentage();
    m_clock.start();
    m_flushTimer.start();
    m_process.start();
    m_group = m_process.processId();
}

void ConsoleWindow::ReadOutput() {
    // Read everything at once and leave the drawing to the timer, so the pipe never fills up
    // while the view is busy.
    const QByteArray data = m_process.readAllStandardOutput();
    const std::string_view chunk(data.constData(), static_cast<std::size_t>(data.size()));
    m_progress.Feed(chunk);
    m_text.Feed(chunk);
    m_dirty = true;
}

void ConsoleWindow::Flush() {
    if (!m_dirty) {
        return;  // nothing new: no repaint, so an idle command costs nothing
    }
    {
        m_dirty = false;
        // The last block is the line being written; it is replaced by the lines ended since the
        // last flush (the first of them is its finished form) and the new line being written.
        QString text;
        for (const std::string& line : m_text.TakeFinishedLines()) {
            text += QString::fromUtf8(line.data(), static_cast<qsizetype>(line.size()));
            text += QLatin1Char('\n');
        }
        const std::string& current = m_text.CurrentLine();
        text += QString::fromUtf8(current.data(), static_cast<qsizetype>(current.size()));

        QTextCursor cursor(m_output->document());
        cursor.movePosition(QTextCursor::End);
        cursor.movePosition(QTextCursor::StartOfBlock, QTextCursor::KeepAnchor);
        cursor.insertText(text);
        if (m_follow) {
            m_output->verticalScrollBar()->setValue(m_output->verticalScrollBar()->maximum());
        }
    }
    UpdateProgress();
}

void ConsoleWindow::UpdateProgress() {
    if (!m_running) {
        return;
    }
    const auto percent = m_progress.Percent();
    if (!percent) {
        ShowNoPercentage();
        m_timeLeft->clear();
        return;
    }
    m_bar->setFormat(QStringLiteral("%p%"));
    m_bar->setValue(*percent);
    const auto left = m_progress.SecondsLeft(m_clock.elapsed() / 1000.0);
    m_timeLeft->setText(left ? tr("Time left: %1").arg(QString::fromStdString(FormatClock(*left)))
                             : QString());
}

void ConsoleWindow::ShowNoPercentage() {
    // Said in words rather than with the style's busy animation: that repaints many times a
    // second for as long as the command runs, and the CPU it takes is the encoder's.
    m_bar->setValue(0);
    m_bar->setFormat(m_options.batch ? tr("Batch running - no percentage for a batch")
                                     : tr("Running - no duration known"));
}

void ConsoleWindow::Stop() {
    if (!m_running || m_result.stopped) {
        return;
    }
    m_result.stopped = true;
    m_stopButton->setEnabled(false);
    m_status->setText(tr("Stopping..."));
    SignalGroup(SIGTERM);
    m_killTimer.start(m_options.stopGraceMs);
}

void ConsoleWindow::OnShellFinished(int exitCode, QProcess::ExitStatus status) {
    ReadOutput();
    m_result.exitStatus = status == QProcess::NormalExit ? exitCode : -1;
    if (m_result.stopped) {
        // The shell is gone; its pipeline may still be finishing up. Wait for the whole group.
        m_result.exitStatus = -1;
        m_pollTimer.start();
        PollStoppedGroup();
        return;
    }
    if (status == QProcess::NormalExit) {
        // Said plainly: a run that ended with an error is no finished encode.
        Done(exitCode == 0 ? tr("Finished, exit status 0")
                           : tr("Failed, exit status %1").arg(exitCode));
    } else {
        Done(tr("Ended abnormally (the shell was killed)"));
    }
}

void ConsoleWindow::OnError(QProcess::ProcessError error) {
    if (error == QProcess::FailedToStart) {
        m_result.exitStatus = -1;
        m_text.Feed(m_process.errorString().toStdString());
        Done(tr("Could not start /bin/sh"));
    }
}

void ConsoleWindow::PollStoppedGroup() {
    if (m_killed || !GroupAlive()) {
        // After SIGKILL nothing can hold on; what may remain are zombies awaiting their reaper.
        Done(tr("Stopped"));
    }
}

bool ConsoleWindow::GroupAlive() const {
    if (m_group <= 0) {
        return false;
    }
    if (::kill(static_cast<pid_t>(-m_group), 0) != 0 && errno != EPERM) {
        return false;
    }
    // The group exists, but perhaps only as zombies waiting for a slow reaper: those are over.
    DIR* proc = ::opendir("/proc");
    if (!proc) {
        return true;
    }
    bool alive = false;
    while (const dirent* entry = ::readdir(proc)) {
        if (entry->d_name[0] < '0' || entry->d_name[0] > '9') {
            continue;
        }
        std::ifstream stat(std::string("/proc/") + entry->d_name + "/stat");
        std::string line;
        if (!std::getline(stat, line) || line.rfind(')') == std::string::npos) {
            continue;
        }
        // "pid (name) state ppid pgrp ...": the name may hold anything, so read after its ')'.
        std::istringstream fields(line.substr(line.rfind(')') + 1));
        char state = 0;
        long long parent = 0, group = 0;
        if (fields >> state >> parent >> group && group == m_group && state != 'Z' &&
            state != 'X') {
            alive = true;
            break;
        }
    }
    ::closedir(proc);
    return alive;
}

void ConsoleWindow::SignalGroup(int signal) const {
    if (m_group > 0) {
        ::kill(static_cast<pid_t>(-m_group), signal);
    }
}

void ConsoleWindow::Done(const QString& status) {
    if (!m_running) {
        return;
    }
    m_running = false;
    m_pollTimer.stop();
    m_killTimer.stop();
    m_flushTimer.stop();
    m_text.Finish();
    m_dirty = true;
    Flush();
    m_stopButton->setEnabled(false);
    m_status->setText(status);
    m_timeLeft->clear();
    if (!m_result.stopped && m_result.exitStatus == 0) {
        m_bar->setFormat(QStringLiteral("%p%"));
        m_bar->setValue(100);
    }
    setWindowTitle(tr("Morvakelin console - %1").arg(status));
    emit Finished();
    if (m_options.closeWhenDone || m_closeWhenOver) {
        QDialog::reject();
    }
}

void ConsoleWindow::reject() {
    if (m_running && m_result.stopped) {
        m_closeWhenOver = true;  // already stopping: close once it is over
        return;
    }
    if (m_running) {
        const bool stop =
            m_confirmStop ? m_confirmStop()
                          : QMessageBox::question(this, tr("Morvakelin console"),
                                                  tr("The command is still running. Stop it?")) ==
                                QMessageBox::Yes;
        if (stop) {
            m_closeWhenOver = true;
            Stop();
        }
        return;
    }
    QDialog::reject();
}

QString ConsoleWindow::OutputText() const {
    return m_output->toPlainText();
}

QString ConsoleWindow::StatusText() const {
    return m_status->text();
}

}  // namespace mk
