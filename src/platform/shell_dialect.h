// The command shell the composed texts are meant for. Windows gives the cmd.exe strings of the
// Windows program; POSIX is what runs here (/bin/sh). Every command text is built
// against one dialect, so both stay testable on any machine.
#pragma once

#include <string>
#include <string_view>

namespace mk {

class ShellDialect {
public:
    enum class Kind { Windows, Posix };

    static ShellDialect Windows() { return ShellDialect(Kind::Windows); }
    static ShellDialect Posix() { return ShellDialect(Kind::Posix); }
    // The dialect of the machine the program was built for.
    static ShellDialect Native();

    Kind kind() const { return m_kind; }
    bool IsWindows() const { return m_kind == Kind::Windows; }

    char Separator() const { return IsWindows() ? '\\' : '/'; }
    std::string FfmpegExe() const { return IsWindows() ? "ffmpeg.exe" : "ffmpeg"; }
    std::string Avs2yuvExe() const { return IsWindows() ? "avs2yuv.exe" : "avs2yuv"; }

    // Paths relative to the program folder.
    std::string ConfFile(std::string_view name) const;  // "Conf\" + name
    std::string ProbeReport() const { return ConfFile("test.txt"); }
    std::string LanguageFile() const { return ConfFile("LangConf.txt"); }
    std::string BatchFile() const { return ConfFile(IsWindows() ? "batch.bat" : "batch.sh"); }
    std::string HelpFile(bool english) const;  // "Help\Eng\MORVAKELIN_ENG.HLP" or the German one
    std::string SupportPage(bool german) const {
        return ConfFile(german ? "support_ger.htm" : "support_eng.htm");
    }

    // The batch file's first line (without line end) and its line end.
    std::string BatchHeader() const;
    std::string LineEnd() const { return IsWindows() ? "\r\n" : "\n"; }

    // Makes a path safe between the double quotes the literals put around it. On POSIX the four
    // characters that stay special inside double quotes (\ " $ `) get a backslash, so a file name
    // can never run as code; a path without them is unchanged. cmd.exe needs nothing here.
    std::string Escape(std::string_view path) const;
    // What the shell makes of `escaped` between double quotes: the inverse of Escape, so
    // Unescape(Escape(p)) == p for every byte string. On POSIX a backslash before \ " $ ` gives
    // that character and one before a line end joins the lines; any other stays. cmd.exe: as is.
    std::string Unescape(std::string_view escaped) const;

    // The line that runs `inner` in a console that stays open: cmd /K with one extra pair of
    // quotes around the command on Windows; on POSIX our console window runs `inner` itself.
    std::string ConsoleLine(std::string_view inner) const;
    // The text appended to an argument string that is to run through ConsoleLine: the closing
    // quote of the wrapping on Windows, nothing on POSIX.
    std::string ConsoleClose() const { return IsWindows() ? "\"" : ""; }
    // The console line that runs the batch file (quoted path).
    std::string BatchRunLine(std::string_view quotedBatchPath) const;

private:
    explicit ShellDialect(Kind kind) : m_kind(kind) {}
    Kind m_kind;
};

}  // namespace mk
