#include "jobs/batch_commands.h"

#include <cctype>

namespace mk {

namespace {

std::string_view Trimmed(std::string_view line) {
    while (!line.empty() && std::isspace(static_cast<unsigned char>(line.back()))) {
        line.remove_suffix(1);
    }
    while (!line.empty() && std::isspace(static_cast<unsigned char>(line.front()))) {
        line.remove_prefix(1);
    }
    return line;
}

bool IsComment(std::string_view line, const ShellDialect& d) {
    if (!d.IsWindows()) {
        return line.starts_with('#');
    }
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
    return rem && (line.size() == 3 || std::isspace(static_cast<unsigned char>(line[3])));
}

}  // namespace

std::vector<std::string> BatchCommands(std::string_view text, const ShellDialect& d) {
    std::vector<std::string> commands;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::string_view line = Trimmed(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (!line.empty() && !IsComment(line, d)) {
            commands.emplace_back(line);
        }
    }
    return commands;
}

}  // namespace mk
