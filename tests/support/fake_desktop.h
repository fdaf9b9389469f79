// A desktop that records what the form asks of it, answers dialogs from a script, and runs shell
// commands for real (or hands them to a test's callback).
#pragma once

#include <deque>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "jobs/muxer_fit.h"
#include "platform/desktop.h"
#include "support/temp_dir.h"

// Muxer answers from a test's callback; every stream is taken without one.
class FakeMuxers : public mk::MuxerQuery {
public:
    std::function<mk::MuxVerdict(const mk::MuxTrial&)> onTrial;
    std::vector<mk::toolkit::StreamInfo> streams;

    mk::MuxVerdict Trial(const mk::MuxTrial& trial) override {
        return onTrial ? onTrial(trial) : mk::MuxVerdict::Takes;
    }
    std::vector<mk::toolkit::StreamInfo> Streams(const std::vector<std::string>&) override {
        return streams;
    }
};

struct RecordedMessage {
    std::string text;
    std::string title;
    mk::MessageIcon icon;
};

class FakeDesktop : public mk::Desktop {
    mk::test::TempDir m_folder{"morvakelin-test"};

public:
    // A fresh program folder in a temporary directory, with Conf/ and links to the built ffmpeg
    // and avs2yuv, removed again with the fake.
    FakeDesktop();

    std::filesystem::path folder = m_folder.Path();
    std::vector<RecordedMessage> messages;
    std::vector<std::string>
        log;  // every call in order: "shell: ...", "console: ...", "minimize", ...
    std::vector<mk::FileDialogRequest> dialogRequests;
    std::deque<std::optional<std::string>> dialogAnswers;  // next answers of open/save dialogs
    std::vector<std::string> shellCommands;
    std::vector<std::string> consoleCommands;
    std::vector<std::string> editedFiles;
    std::vector<std::pair<std::string, int>> helpShown;
    std::vector<std::string> openedDocuments;

    // When set, commands are given to these instead of /bin/sh.
    std::function<int(const std::string&)> onShell;
    std::function<void(const std::string&)> onConsole;
    std::function<void(const std::string&)> onEdit;

    std::string ProgramFolder() override;
    void ShowMessage(const std::string& text, const std::string& title,
                     mk::MessageIcon icon) override;
    std::optional<std::string> AskOpenFile(const mk::FileDialogRequest& request) override;
    std::optional<std::string> AskSaveFile(const mk::FileDialogRequest& request) override;
    mk::ProbeEnd RunProbe(const std::string& commandLine) override;
    mk::ConsoleResult RunConsole(const std::string& commandLine, bool batch) override;
    void EditFile(const std::string& path) override;
    bool ShowHelp(const std::string& path, int context) override;
    bool OpenDocument(const std::string& path) override;
    void MinimizeForm() override;
    void RestoreForm() override;
    mk::MuxerQuery& Muxers() override { return muxers; }

    FakeMuxers muxers;
};
