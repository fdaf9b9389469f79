#include "jobs/command_words.h"

#include "platform/shell_dialect.h"

namespace mk {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n';
}

// Characters the shell gives a meaning of its own outside quotes.
bool IsShellSyntax(char c) {
    return c == '$' || c == '`' || c == ';' || c == '&' || c == '<' || c == '>' || c == '(' ||
           c == ')';
}

}  // namespace

std::optional<std::vector<std::vector<std::string>>> PipelineWords(std::string_view line) {
    std::vector<std::vector<std::string>> programs(1);
    std::string word;
    bool inWord = false;
    const auto endWord = [&] {
        if (inWord) {
            programs.back().push_back(word);
        }
        word.clear();
        inWord = false;
    };
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (IsBlank(c)) {
            endWord();
        } else if (c == '|') {
            endWord();
            programs.emplace_back();
        } else if (c == '#' && !inWord) {
            break;  // a comment to the line's end
        } else if (IsShellSyntax(c) || (c == '~' && !inWord)) {
            return std::nullopt;
        } else if (c == '\\') {
            if (++i < line.size() && line[i] != '\n') {
                word += line[i];
            }
            inWord = true;
        } else if (c == '\'') {
            const std::size_t end = line.find('\'', i + 1);
            if (end == std::string_view::npos) {
                return std::nullopt;
            }
            word += line.substr(i + 1, end - i - 1);
            i = end;
            inWord = true;
        } else if (c == '"') {
            // The closing quote: a backslash hides the character after it.
            std::size_t end = i + 1;
            while (end < line.size() && line[end] != '"') {
                if (line[end] == '$' || line[end] == '`') {
                    return std::nullopt;
                }
                end += line[end] == '\\' ? 2 : 1;
            }
            if (end >= line.size()) {
                return std::nullopt;
            }
            word += ShellDialect::Posix().Unescape(line.substr(i + 1, end - i - 1));
            i = end;
            inWord = true;
        } else {
            word += c;
            inWord = true;
        }
    }
    endWord();
    return programs;
}

std::optional<std::vector<std::string>> ArgumentsOf(std::string_view line,
                                                    std::string_view program) {
    const auto programs = PipelineWords(line);
    if (!programs) {
        return std::nullopt;
    }
    for (const std::vector<std::string>& words : *programs) {
        if (words.empty()) {
            continue;
        }
        const std::string& first = words.front();
        const std::size_t slash = first.rfind('/');
        if (std::string_view(first).substr(slash == std::string::npos ? 0 : slash + 1) == program) {
            return std::vector<std::string>(words.begin() + 1, words.end());
        }
    }
    return std::nullopt;
}

}  // namespace mk
