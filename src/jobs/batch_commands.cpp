#include "jobs/batch_commands.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstring>

#include "platform/folder_lock.h"

namespace mk {

namespace {

bool IsBlank(char c) {
    return std::isspace(static_cast<unsigned char>(c)) != 0;
}

std::string_view Trimmed(std::string_view line) {
    while (!line.empty() && IsBlank(line.back())) {
        line.remove_suffix(1);
    }
    while (!line.empty() && IsBlank(line.front())) {
        line.remove_prefix(1);
    }
    return line;
}

bool IsWindowsComment(std::string_view line) {
    if (line.starts_with("::")) {
        return true;
    }
    if (line.size() < 3) {
        return false;
    }
    const std::string_view word = line.substr(0, 3);
    const bool rem = std::toupper(static_cast<unsigned char>(word[0])) == 'R' &&
                     std::toupper(static_cast<unsigned char>(word[1])) == 'E' &&
                     std::toupper(static_cast<unsigned char>(word[2])) == 'M';
    return rem && (line.size() == 3 || IsBlank(line[3]));
}

// The last double-quoted word of a cmd.exe line, as it stands (cmd has no escapes in quotes).
std::string LastQuoted(std::string_view line) {
    const std::size_t close = line.rfind('"');
    if (close == std::string_view::npos || close == 0) {
        return {};
    }
    const std::size_t open = line.rfind('"', close - 1);
    return open == std::string_view::npos ? std::string()
                                          : std::string(line.substr(open + 1, close - open - 1));
}

std::vector<BatchCommand> WindowsCommands(std::string_view text) {
    std::vector<BatchCommand> commands;
    for (std::size_t line = 1; !text.empty(); ++line) {
        const std::size_t end = text.find('\n');
        const std::string_view trimmed = Trimmed(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (!trimmed.empty() && !IsWindowsComment(trimmed)) {
            commands.push_back({std::string(trimmed), LastQuoted(trimmed), line});
        }
    }
    return commands;
}

// Reads commands as /bin/sh does: quotes, backslashes, command substitutions and comments decide
// where a line end ends a command.
class PosixReader {
public:
    PosixReader(std::string_view text, const ShellDialect& d) : m_text(text), m_dialect(d) {}

    std::vector<BatchCommand> Commands() {
        while (m_at < m_text.size()) {
            Step();
        }
        Finish();
        return std::move(m_commands);
    }

private:
    void Step() {
        const char c = m_text[m_at];
        const char next = m_at + 1 < m_text.size() ? m_text[m_at + 1] : '\0';
        const bool top = m_depth == 0;  // inside $( ... ) words belong to the inner command
        if (c == '\n' && top) {
            EndWord();
            Finish();
            ++m_line;
            ++m_at;
        } else if (c == '\\') {
            if (top && next != '\n' && m_at + 1 < m_text.size()) {
                Word(std::string(1, next));
            }
            Take(2);
        } else if (c == '\'') {
            const std::size_t close = m_text.find('\'', m_at + 1);
            const std::size_t end = close == std::string_view::npos ? m_text.size() : close;
            if (top) {
                Word(std::string(m_text.substr(m_at + 1, end - m_at - 1)));
            }
            Take(end + 1 - m_at);
        } else if (c == '"') {
            const std::size_t close = ClosingQuote(m_at + 1, '"');
            const std::string_view inside = m_text.substr(m_at + 1, close - m_at - 1);
            if (top) {
                Word(m_dialect.Unescape(inside), !Expands(inside));
            }
            Take(close + 1 - m_at);
        } else if (c == '`') {
            Word({}, false);
            Take(ClosingQuote(m_at + 1, '`') + 1 - m_at);
        } else if (c == '$' && next == '(') {
            Word({}, false);
            ++m_depth;
            Take(2);
        } else if (c == ')' && m_depth > 0) {
            --m_depth;
            Take(1);
        } else if (c == '#' && AtWordStart()) {
            const std::size_t end = m_text.find('\n', m_at);
            m_at = end == std::string_view::npos ? m_text.size() : end;
        } else if (top && (c == ' ' || c == '\t' || std::strchr(";&|<>", c) != nullptr ||
                           (c == '\r' && (next == '\n' || next == '\0')))) {
            // A line end of a file saved on Windows is trimmed off with the command's blanks.
            Separator(c, next);
        } else {
            if (top) {
                // A parameter, a pattern or a home folder: what the shell makes of it is not
                // known here.
                const bool expands = (c == '$' && StartsParameter(next)) ||
                                     std::strchr("*?[", c) != nullptr || (c == '~' && !m_inWord);
                Word(std::string(1, c), !expands);
            }
            Take(1);
        }
    }

    static bool StartsParameter(char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || std::strchr("_{@*#?$!-", c);
    }

    // Whether the inside of double quotes holds an expansion ($name, ${...}, $(...), `...`).
    static bool Expands(std::string_view inside) {
        for (std::size_t i = 0; i < inside.size(); ++i) {
            const char next = i + 1 < inside.size() ? inside[i + 1] : '\0';
            if (inside[i] == '\\') {
                ++i;
            } else if (inside[i] == '`' ||
                       (inside[i] == '$' && (StartsParameter(next) || next == '('))) {
                return true;
            }
        }
        return false;
    }

    void Word(const std::string& part, bool literal = true) {
        m_word += part;
        m_inWord = true;
        m_literal = m_literal && literal;
    }

    // A word ends: the last one of a command names its output, when the shell gives it as
    // written.
    void EndWord() {
        if (m_inWord && !m_skipWord) {
            m_current.output = m_literal ? m_word : std::string();
        }
        m_skipWord = m_skipWord && !m_inWord;
        m_word.clear();
        m_inWord = false;
        m_literal = true;
    }

    // Blanks and operators end a word. What a redirection other than the standard output's
    // names ("<", "2>", ">&") is no output.
    void Separator(char c, char next) {
        const bool redirect = c == '<' || c == '>';
        bool other = c == '<' || (redirect && next == '&');
        if (redirect && m_inWord && m_literal &&
            m_word.find_first_not_of("0123456789") == std::string::npos) {
            other = other || m_word != "1";
            m_word.clear();
            m_inWord = false;
        }
        EndWord();
        m_skipWord = m_skipWord || (redirect && other);
        Take(redirect && next == '&' ? 2 : 1);
    }

    // Where the quote opened before `from` closes (a backslash escapes the next character;
    // back-quotes nest inside double quotes); the text's size when it never does.
    std::size_t ClosingQuote(std::size_t from, char quote) const {
        std::size_t i = from;
        while (i < m_text.size() && m_text[i] != quote) {
            if (m_text[i] == '\\') {
                ++i;
            } else if (quote == '"' && m_text[i] == '`') {
                i = ClosingQuote(i + 1, '`');
            }
            ++i;
        }
        return std::min(i, m_text.size());
    }

    bool AtWordStart() const {
        return m_current.text.empty() ||
               std::strchr(" \t\r;&|()", m_current.text.back()) != nullptr;
    }

    void Take(std::size_t count) {
        const std::string_view part = m_text.substr(m_at, count);
        if (m_current.text.empty() && !IsBlank(part.front())) {
            m_current.line = m_line;
        }
        if (!m_current.text.empty() || !IsBlank(part.front())) {
            m_current.text += part;
        }
        for (const char c : part) {
            m_line += c == '\n';
        }
        m_at += part.size();
    }

    void Finish() {
        EndWord();
        m_skipWord = false;
        m_current.text = std::string(Trimmed(m_current.text));
        if (!m_current.text.empty()) {
            m_commands.push_back(std::move(m_current));
        }
        m_current = {};
    }

    std::string_view m_text;
    const ShellDialect& m_dialect;
    std::size_t m_at = 0;
    std::size_t m_line = 1;
    int m_depth = 0;          // command substitutions $( ... ) open
    std::string m_word;       // the word being read, as the shell gives it
    bool m_inWord = false;    // a word has begun
    bool m_literal = true;    // and holds no expansion
    bool m_skipWord = false;  // the next word is a descriptor (">&2")
    BatchCommand m_current;
    std::vector<BatchCommand> m_commands;
};

std::string CannotRead(const std::string& path, int error) {
    return "cannot read the batch file " + path + ": " + std::strerror(error);
}

// The whole file, or why not. Opened without waiting, so a FIFO in its place cannot hang us.
std::string ReadWhole(const std::string& path, std::string& text) {
    const FolderLock lock(path);
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return CannotRead(path, errno);
    }
    struct stat st {};
    std::string problem;
    if (::fstat(fd, &st) != 0) {
        problem = CannotRead(path, errno);
    } else if (S_ISDIR(st.st_mode)) {
        problem = "the batch file " + path + " is a folder, not a file";
    } else if (!S_ISREG(st.st_mode)) {
        problem = "the batch file " + path + " is not a plain file";
    }
    char buffer[65536];
    while (problem.empty()) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n > 0) {
            text.append(buffer, static_cast<std::size_t>(n));
        } else if (n == 0) {
            break;
        } else if (errno != EINTR) {
            problem = CannotRead(path, errno);
        }
    }
    ::close(fd);
    return problem;
}

}  // namespace

std::vector<BatchCommand> BatchCommands(std::string_view text, const ShellDialect& d) {
    return d.IsWindows() ? WindowsCommands(text) : PosixReader(text, d).Commands();
}

BatchRead ReadBatchFile(const std::string& path, const ShellDialect& d,
                        std::size_t longestCommand) {
    BatchRead read;
    std::string text;
    read.problem = ReadWhole(path, text);
    if (!read.problem.empty()) {
        return read;
    }
    read.commands = BatchCommands(text, d);
    for (const BatchCommand& c : read.commands) {
        const std::string where = "line " + std::to_string(c.line) + " of the batch file " + path;
        if (c.text.find('\0') != std::string::npos) {
            read.problem = where + " holds a zero byte, which no shell command can hold";
        } else if (c.text.size() > longestCommand) {
            read.problem = where + " is " + std::to_string(c.text.size()) +
                           " bytes, longer than the shell takes (at most " +
                           std::to_string(longestCommand) + ")";
        }
        if (!read.problem.empty()) {
            read.commands.clear();
            break;
        }
    }
    return read;
}

}  // namespace mk
