#include "qt/console_window.h"

#include <QEvent>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QSocketNotifier>
#include <QTextBlock>
#include <QTextCursor>
#include <QVBoxLayout>

#include "qt/keyboard_access.h"

namespace mk {

namespace {
// How many lines the view keeps; older ones scroll away for good.
constexpr int kMaxLines = 5000;
// The view is brought up to date at most this often, however fast the command writes.
constexpr int kFlushMs = 100;
// How often the command is checked for its end (and a stopped one for stragglers).
constexpr int kPollMs = 50;
}  // namespace

ConsoleWindow::ConsoleWindow(const std::string& commandLine, const ConsoleOptions& options,
                             QWidget* parent)
    : QDialog(parent),
      m_commandLine(commandLine),
      m_options(options),
      m_process(options.stopPolicy),
      m_watch(options.batch, kMaxLines) {
    setSizeGripEnabled(true);
    resize(860, 520);
    BuildWidgets();
    Retranslate();
    LayOut();
    FollowOutput();

    connect(m_stopButton, &QPushButton::clicked, this, &ConsoleWindow::Stop);
    connect(m_closeButton, &QPushButton::clicked, this, &ConsoleWindow::reject);
    m_flushTimer.setInterval(kFlushMs);
    connect(&m_flushTimer, &QTimer::timeout, this, &ConsoleWindow::Flush);
    m_pollTimer.setInterval(kPollMs);
    connect(&m_pollTimer, &QTimer::timeout, this, &ConsoleWindow::PollProcess);
}

void ConsoleWindow::BuildWidgets() {
    m_command = new QLabel(QString::fromStdString(m_commandLine), this);
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
    m_output->setCursorWidth(0);  // read only: selectable, but no caret that invites typing

    m_bar = new QProgressBar(this);
    m_bar->setRange(0, 100);
    m_bar->setValue(0);
    m_bar->setFormat(QString());
    m_timeLeft = new QLabel(this);
    m_timeLeft->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_status = new QLabel(this);
    m_status->setTextInteractionFlags(Qt::TextSelectableByMouse);

    m_stopButton = new QPushButton(this);
    m_stopButton->setEnabled(false);
    m_closeButton = new QPushButton(this);
    m_closeButton->setAutoDefault(false);
    m_stopButton->setAutoDefault(false);
}

void ConsoleWindow::Retranslate() {
    // The status is kept untranslated, so a change of language reaches it too.
    QString status;
    if (m_statusSource != nullptr) {
        status = m_statusArg.isEmpty() ? tr(m_statusSource) : tr(m_statusSource).arg(m_statusArg);
    }
    setWindowTitle(m_ended ? tr("Morvakelin console - %1").arg(status) : tr("Morvakelin console"));
    m_output->setAccessibleName(tr("Command output"));
    m_bar->setAccessibleName(tr("Progress"));
    // As wide as its longest text from the start, so the bar beside it keeps its width.
    m_timeLeft->setMinimumWidth(
        m_timeLeft->fontMetrics().horizontalAdvance(tr("Time left: %1").arg("00:00:00")));
    m_status->setText(status);
    // A screen reader announces the name: it says what the label is about, not only its text.
    m_status->setAccessibleName(status.isEmpty() ? tr("Command status")
                                                 : tr("Command status: %1").arg(status));
    m_stopButton->setText(tr("Stop"));
    m_closeButton->setText(tr("Close"));
}

void ConsoleWindow::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) {
        Retranslate();
    }
    QDialog::changeEvent(event);
}

void ConsoleWindow::LayOut() {
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
}

void ConsoleWindow::FollowOutput() {
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
}

ConsoleWindow::~ConsoleWindow() = default;  // the process ends every command left running

ConsoleResult ConsoleWindow::Run(const std::string& commandLine, const ConsoleOptions& options,
                                 QWidget* parent) {
    ConsoleWindow window(commandLine, options, parent);
    // Started from the dialog's own event loop, so even a start failure is seen by it.
    QTimer::singleShot(0, &window, &ConsoleWindow::Start);
    window.exec();
    return window.Result();
}

void ConsoleWindow::Start() {
    if (m_running || m_process.Started()) {
        return;
    }
    m_running = true;
    m_stopButton->setEnabled(true);
    SetStatus(QT_TR_NOOP("Running"));
    ShowNoPercentage();
    m_watch = RunWatch(m_options.batch, kMaxLines);  // its clock starts now
    ShellOptions shell;
    shell.out = Route::Pipe;
    shell.err = Route::OtherOne;  // one stream, in the order the command wrote it
    if (!m_process.Start(m_commandLine, shell)) {
        m_result.exitStatus = -1;
        Done(QT_TR_NOOP("Could not start /bin/sh"));
        return;
    }
    m_group = m_process.Pid();
    m_outputNotifier = new QSocketNotifier(m_process.OutFd(), QSocketNotifier::Read, this);
    connect(m_outputNotifier, &QSocketNotifier::activated, this, &ConsoleWindow::ReadOutput);
    m_flushTimer.start();
    m_pollTimer.start();
}

void ConsoleWindow::ReadOutput() {
    // Read everything at once and leave the drawing to the timer, so the pipe never fills up
    // while the view is busy.
    std::string data;
    m_process.ReadOut(data);
    if (m_process.OutFd() < 0 && m_outputNotifier) {
        m_outputNotifier->setEnabled(false);  // its end: every writer has closed it
    }
    if (data.empty()) {
        return;
    }
    m_watch.Feed(data);
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
        for (const std::string& line : m_watch.TakeLines()) {
            text += QString::fromUtf8(line.data(), static_cast<qsizetype>(line.size()));
            text += QLatin1Char('\n');
        }
        const std::string& current = m_watch.CurrentLine();
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
    const auto percent = m_watch.Progress().Percent();
    if (!percent) {
        ShowNoPercentage();
        m_timeLeft->clear();
        return;
    }
    m_bar->setFormat(QStringLiteral("%p%"));
    m_bar->setValue(*percent);
    const auto left = m_watch.TimeLeft();
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
    SetStatus(QT_TR_NOOP("Stopping..."));
    m_process.Stop();
}

void ConsoleWindow::PollProcess() {
    const bool ended = m_process.ShellEnded();
    m_process.Poll();
    if (!ended && m_process.ShellEnded()) {
        OnShellFinished();
    }
    if (m_result.stopped && m_process.Over()) {
        Done(QT_TR_NOOP("Stopped"));
    }
}

void ConsoleWindow::OnShellFinished() {
    ReadOutput();
    if (m_result.stopped) {
        return;  // its pipeline may still be finishing up: the whole group is waited for
    }
    m_result.exitStatus = m_process.ExitCode().value_or(-1);
    if (const auto code = m_process.ExitCode()) {
        // Said plainly: a run that ended with an error is no finished encode.
        if (*code != 0) {
            Done(QT_TR_NOOP("Failed, exit status %1"), QString::number(*code));
        } else if (m_watch.Damage().Count() == 0) {
            Done(QT_TR_NOOP("Finished, exit status 0"));
        } else {
            Done(
                QT_TR_NOOP("Finished, exit status 0 - ffmpeg met errors in the source; the "
                           "output may be incomplete"));
        }
    } else {
        Done(QT_TR_NOOP("Ended abnormally (the shell was killed)"));
    }
}

void ConsoleWindow::Done(const char* status, const QString& arg) {
    if (!m_running) {
        return;
    }
    m_running = false;
    m_pollTimer.stop();
    m_flushTimer.stop();
    if (m_outputNotifier) {
        m_outputNotifier->setEnabled(false);
    }
    m_watch.Finish();
    m_dirty = true;
    Flush();
    m_stopButton->setEnabled(false);
    ShowEnd(status, arg);
    emit Finished();
    // The end has come while the user was asked whether to stop it: the question is moot, and
    // the window closes as the user asked.
    if (m_question) {
        m_question->done(QMessageBox::Yes);
    }
    if (m_options.closeWhenDone || m_closeWhenOver) {
        QDialog::reject();
    }
}

void ConsoleWindow::ShowEnd(const char* status, const QString& arg) {
    m_ended = true;
    SetStatus(status, arg);
    m_timeLeft->clear();
    // The bar tells where the run got to, and no longer that it is running.
    if (!m_result.stopped && m_result.exitStatus == 0) {
        m_bar->setFormat(QStringLiteral("%p%"));
        m_bar->setValue(100);
    } else {
        const auto percent = m_watch.Progress().Percent();
        m_bar->setValue(percent.value_or(0));
        m_bar->setFormat(percent ? QStringLiteral("%p%") : QString());
    }
    m_closeButton->setFocus(Qt::OtherFocusReason);
}

void ConsoleWindow::SetStatus(const char* status, const QString& arg) {
    m_statusSource = status;
    m_statusArg = arg;
    Retranslate();
}

bool ConsoleWindow::AskStop() {
    if (m_confirmStop) {
        return m_confirmStop();
    }
    QMessageBox question(QMessageBox::Question, tr("Morvakelin console"),
                         tr("The command is still running. Stop it?"),
                         QMessageBox::Yes | QMessageBox::No, this);
    FocusButtonsNotTheirBox(&question);
    m_question = &question;
    const int answer = question.exec();
    m_question = nullptr;
    return answer == QMessageBox::Yes;
}

void ConsoleWindow::reject() {
    if (m_running && m_result.stopped) {
        m_closeWhenOver = true;  // already stopping: close once it is over
        return;
    }
    if (m_running) {
        const bool stop = AskStop();
        if (!m_running) {
            // It ended while the question was open: nothing is left to stop.
            if (stop) {
                QDialog::reject();
            }
        } else if (stop) {
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
