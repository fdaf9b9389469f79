#include "support/fake_desktop.h"

#include <fstream>

#include "support/shell.h"

namespace fs = std::filesystem;
using mk::test::RunSh;

FakeDesktop::FakeDesktop() {
    fs::create_directory(folder / "Conf");
#ifdef MORVAKELIN_PROGRAM_DIR
    const fs::path program = MORVAKELIN_PROGRAM_DIR;
    for (const char* tool : {"ffmpeg", "avs2yuv"}) {
        if (fs::exists(program / tool)) {
            fs::create_symlink(program / tool, folder / tool);
        }
    }
#endif
}

std::string FakeDesktop::ProgramFolder() {
    return folder.string() + "/";
}

void FakeDesktop::ShowMessage(const std::string& text, const std::string& title,
                              mk::MessageIcon icon) {
    messages.push_back({text, title, icon});
    log.push_back("message: " + title);
}

std::optional<std::string> FakeDesktop::AskOpenFile(const mk::FileDialogRequest& request) {
    dialogRequests.push_back(request);
    log.push_back("open dialog");
    if (dialogAnswers.empty()) {
        return std::nullopt;
    }
    auto answer = dialogAnswers.front();
    dialogAnswers.pop_front();
    return answer;
}

std::optional<std::string> FakeDesktop::AskSaveFile(const mk::FileDialogRequest& request) {
    dialogRequests.push_back(request);
    log.push_back("save dialog");
    if (dialogAnswers.empty()) {
        return std::nullopt;
    }
    auto answer = dialogAnswers.front();
    dialogAnswers.pop_front();
    return answer;
}

mk::ProbeEnd FakeDesktop::RunProbe(const std::string& commandLine) {
    shellCommands.push_back(commandLine);
    log.push_back("shell: " + commandLine);
    return onShell ? onShell(commandLine) : RunSh(commandLine);
}

mk::ConsoleResult FakeDesktop::RunConsole(const std::string& commandLine, bool batch) {
    consoleCommands.push_back(commandLine);
    log.push_back(std::string(batch ? "batch console: " : "console: ") + commandLine);
    mk::ConsoleResult result;
    if (onConsole) {
        onConsole(commandLine);
        result.exitStatus = 0;
    } else {
        result.exitStatus = RunSh(commandLine);
    }
    return result;
}

void FakeDesktop::EditFile(const std::string& path) {
    editedFiles.push_back(path);
    log.push_back("edit: " + path);
    if (onEdit) {
        onEdit(path);
    }
}

bool FakeDesktop::ShowHelp(const std::string& path, int context) {
    helpShown.emplace_back(path, context);
    log.push_back("help: " + path);
    std::ifstream in(path);
    return in.good();
}

bool FakeDesktop::OpenDocument(const std::string& path) {
    openedDocuments.push_back(path);
    log.push_back("open: " + path);
    return true;
}

void FakeDesktop::MinimizeForm() {
    log.push_back("minimize");
}

void FakeDesktop::RestoreForm() {
    log.push_back("restore");
}
