// Everything the form asks of the desktop goes through this one interface: the program uses the
// Qt implementation, tests a recording fake that answers dialogs and simulates what commands
// leave on disk.
#pragma once

#include <optional>
#include <string>

#include "probe/probe_end.h"

namespace mk {

class MuxerQuery;

enum class MessageIcon { Stop, Information };

struct FileDialogRequest {
    std::string mfcFilter;         // "desc|patterns|...||" as the program writes it
    std::string defaultExtension;  // without the dot; appended to a name typed without one
    bool mustExist = false;        // open dialog: only existing files
    bool overwritePrompt = false;  // save dialog: ask before replacing a file
    std::string startFolder;       // where the dialog opens; empty: where it was last closed
};

// A run in the console window: the command line, what the window shows as its title, and what
// became of it.
struct ConsoleResult {
    int exitStatus = -1;   // of /bin/sh; -1 when it did not end by itself
    bool stopped = false;  // the user stopped it
};

class Desktop {
public:
    virtual ~Desktop() = default;

    // The program folder with its trailing separator.
    virtual std::string ProgramFolder() = 0;

    virtual void ShowMessage(const std::string& text, const std::string& title,
                             MessageIcon icon) = 0;
    virtual std::optional<std::string> AskOpenFile(const FileDialogRequest& request) = 0;
    virtual std::optional<std::string> AskSaveFile(const FileDialogRequest& request) = 0;

    // Runs the probe command line through /bin/sh and waits for it, keeping the form painted but
    // accepting no input meanwhile; stops it (its whole process group) when it gives no output
    // for kProbeQuietLimit.
    virtual ProbeEnd RunProbe(const std::string& commandLine) = 0;
    // Runs a command line in the console window, which stays open until the user closes it;
    // returns when it is closed. A batch run shows no percentage (several encodes in a row).
    virtual ConsoleResult RunConsole(const std::string& commandLine, bool batch) = 0;
    // Opens a plain-text file in the editor and waits until the editor is closed.
    virtual void EditFile(const std::string& path) = 0;
    // Shows a help file at a context number; false when it cannot be read.
    virtual bool ShowHelp(const std::string& path, int context) = 0;
    // Opens a document with its default program, not waited for; false on failure.
    virtual bool OpenDocument(const std::string& path) = 0;

    virtual void MinimizeForm() = 0;
    virtual void RestoreForm() = 0;

    // The installed ffmpeg, asked whether the output's container takes the streams going in.
    virtual MuxerQuery& Muxers() = 0;
};

}  // namespace mk
