#include "platform/shell_dialect.h"

namespace mk {

ShellDialect ShellDialect::Native() {
#ifdef _WIN32
    return Windows();
#else
    return Posix();
#endif
}

std::string ShellDialect::ConfFile(std::string_view name) const {
    std::string path = "Conf";
    path += Separator();
    path += name;
    return path;
}

std::string ShellDialect::HelpFile(bool english) const {
    const char sep = Separator();
    std::string path = "Help";
    path += sep;
    path += english ? "Eng" : "Ger";
    path += sep;
    path += english ? "MORVAKELIN_ENG.HLP" : "MORVAKELIN_GER.HLP";
    return path;
}

std::string ShellDialect::BatchHeader() const {
    return IsWindows() ? "REM Batch file for Morvakelin " : "# Batch file for Morvakelin ";
}

std::string ShellDialect::Escape(std::string_view path) const {
    if (IsWindows()) {
        return std::string(path);
    }
    std::string out;
    out.reserve(path.size());
    for (char c : path) {
        if (c == '\\' || c == '"' || c == '$' || c == '`') {
            out += '\\';
        }
        out += c;
    }
    return out;
}

std::string ShellDialect::Unescape(std::string_view escaped) const {
    if (IsWindows()) {
        return std::string(escaped);
    }
    std::string out;
    out.reserve(escaped.size());
    for (std::size_t i = 0; i < escaped.size(); ++i) {
        const char c = escaped[i];
        const char next = i + 1 < escaped.size() ? escaped[i + 1] : '\0';
        if (c == '\\' && (next == '\\' || next == '"' || next == '$' || next == '`')) {
            out += next;
            ++i;
        } else if (c == '\\' && next == '\n') {
            ++i;  // a continued line
        } else {
            out += c;
        }
    }
    return out;
}

std::string ShellDialect::ConsoleLine(std::string_view inner) const {
    if (!IsWindows()) {
        return std::string(inner);
    }
    // cmd /K strips the outer pair; the caller's argument string already ends with the
    // closing quote (ConsoleClose), so only the opening one is added here.
    return "cmd /K \"" + std::string(inner);
}

std::string ShellDialect::BatchRunLine(std::string_view quotedBatchPath) const {
    return (IsWindows() ? "cmd /K " : "sh ") + std::string(quotedBatchPath);
}

}  // namespace mk
