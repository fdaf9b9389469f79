// Our stand-in for a "cmd /K" console: runs one command line with /bin/sh, shows its output live
// and stays open after it ends, until the user closes it. Adds what a bare console lacks: a
// progress bar read from ffmpeg's output, the exit status, a warning when ffmpeg met damage in the
// source, and a Stop that ends the whole command.
#pragma once

#include <QDialog>
#include <QTimer>

#include <functional>
#include <optional>
#include <string>

#include "jobs/run_watch.h"
#include "platform/desktop.h"
#include "platform/process_runner.h"

class QLabel;
class QMessageBox;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QSocketNotifier;

namespace mk {

struct ConsoleOptions {
    bool batch = false;          // several encodes in a row: no single percentage
    bool closeWhenDone = false;  // tests and benchmarks: close as soon as the command ends
    StopPolicy stopPolicy;       // Stop asks politely first (ffmpeg then finishes its file)
};

class ConsoleWindow : public QDialog {
    Q_OBJECT

public:
    ConsoleWindow(const std::string& commandLine, const ConsoleOptions& options,
                  QWidget* parent = nullptr);
    ~ConsoleWindow() override;

    // Runs the command in a modal console window and returns when the window is closed.
    static ConsoleResult Run(const std::string& commandLine, const ConsoleOptions& options,
                             QWidget* parent);

    void Start();
    // Ends every process of the command, as StopPolicy says.
    void Stop();
    bool IsRunning() const { return m_running; }
    // The shell's process id, which is also the command's process group; 0 before the start.
    qint64 ProcessGroup() const { return m_group; }
    ConsoleResult Result() const { return m_result; }

    QString OutputText() const;
    QString StatusText() const;
    QProgressBar* ProgressBar() const { return m_bar; }
    QPushButton* StopButton() const { return m_stopButton; }
    const ProgressParser& Progress() const { return m_watch.Progress(); }

    // Asked before closing a window whose command still runs; the default shows a question box.
    void SetConfirmStop(std::function<bool()> confirm) { m_confirmStop = std::move(confirm); }

signals:
    // The command is over (ended, failed to start, or stopped and all its processes gone).
    void Finished();

protected:
    void reject() override;
    void changeEvent(QEvent* event) override;

private:
    void ReadOutput();
    void Flush();
    void UpdateProgress();
    void ShowNoPercentage();
    void BuildWidgets();
    void Retranslate();
    void LayOut();
    void FollowOutput();
    void PollProcess();
    void OnShellFinished();
    // Statuses are untranslated texts (QT_TR_NOOP), with the number of a %1 if they have one.
    void Done(const char* status, const QString& arg = {});
    void ShowEnd(const char* status, const QString& arg);
    void SetStatus(const char* status, const QString& arg = {});
    bool AskStop();

    std::string m_commandLine;
    ConsoleOptions m_options;
    ShellProcess m_process;
    QSocketNotifier* m_outputNotifier = nullptr;
    RunWatch m_watch;
    QTimer m_flushTimer;
    QTimer m_pollTimer;
    bool m_dirty = false;
    bool m_follow = true;  // keep the view at the end of the output
    bool m_running = false;
    bool m_closeWhenOver = false;
    qint64 m_group = 0;
    ConsoleResult m_result;
    const char* m_statusSource = nullptr;
    QString m_statusArg;
    bool m_ended = false;
    std::function<bool()> m_confirmStop;
    QMessageBox* m_question = nullptr;  // the stop question while it is open

    QLabel* m_command = nullptr;
    QPlainTextEdit* m_output = nullptr;
    QProgressBar* m_bar = nullptr;
    QLabel* m_timeLeft = nullptr;
    QLabel* m_status = nullptr;
    QPushButton* m_stopButton = nullptr;
    QPushButton* m_closeButton = nullptr;
};

}  // namespace mk
