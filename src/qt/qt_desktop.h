// The desktop as the program sees it on Linux: Qt's dialogs and message boxes, /bin/sh, our
// console, editor and help windows, and the default programs of the desktop.
#pragma once

#include <QPointer>
#include <QWidget>

#include "jobs/ffmpeg_trials.h"
#include "platform/desktop.h"

namespace mk {

class QtDesktop : public Desktop {
public:
    // The form the dialogs belong to and that is minimized while a console runs.
    void SetForm(QWidget* form) { m_form = form; }

    std::string ProgramFolder() override;
    void ShowMessage(const std::string& text, const std::string& title, MessageIcon icon) override;
    std::optional<std::string> AskOpenFile(const FileDialogRequest& request) override;
    std::optional<std::string> AskSaveFile(const FileDialogRequest& request) override;
    ProbeEnd RunProbe(const std::string& commandLine) override;
    ConsoleResult RunConsole(const std::string& commandLine, bool batch) override;
    void EditFile(const std::string& path) override;
    bool ShowHelp(const std::string& path, int context) override;
    bool OpenDocument(const std::string& path) override;
    void MinimizeForm() override;
    void RestoreForm() override;
    MuxerQuery& Muxers() override { return m_muxers; }

private:
    QPointer<QWidget> m_form;
    InstalledFfmpegTrials m_muxers;
    QString m_lastFolder;  // where the last file dialog was closed
};

}  // namespace mk
