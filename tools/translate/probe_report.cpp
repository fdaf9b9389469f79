#include "translate/probe_report.h"

#include <vector>

namespace mk::toolkit {

namespace {

std::string_view TrimLeft(std::string_view s) {
    const size_t first = s.find_first_not_of(' ');
    return first == std::string_view::npos ? std::string_view() : s.substr(first);
}

size_t Indent(std::string_view s) {
    const size_t first = s.find_first_not_of(' ');
    return first == std::string_view::npos ? s.size() : first;
}

bool StartsWith(std::string_view s, std::string_view prefix) {
    return s.substr(0, prefix.size()) == prefix;
}

// Log lines of a demuxer or decoder: "[mov,mp4 @ 0x55d0c0] ...".
bool IsLogLine(std::string_view trimmed) {
    return StartsWith(trimmed, "[") && trimmed.find(" @ 0x") != std::string_view::npos;
}

// Blocks that only make the report long: their heading and every deeper-indented line after it.
bool StartsDroppedBlock(std::string_view trimmed) {
    return trimmed == "Metadata:" || trimmed == "Side data:" || trimmed == "Chapters:" ||
           StartsWith(trimmed, "Chapter #") || StartsWith(trimmed, "Program ") ||
           trimmed == "No Program";
}

std::vector<std::string_view> SplitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        std::string_view line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

}  // namespace

std::string DropParenthesised(std::string_view text) {
    std::string kept;
    int depth = 0;
    size_t open = 0;  // where the outermost open group began
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '(') {
            if (depth++ == 0) {
                open = i;
            }
        } else if (c == ')' && depth > 0) {
            --depth;
        } else if (depth == 0) {
            kept += c;
        }
    }
    // A group that never closes is no detail but text of its own; keep it.
    if (depth > 0) {
        kept += text.substr(open);
    }
    // "h264  , yuv420p" -> "h264, yuv420p"; no double blanks, none before a comma or at the end.
    std::string tidy;
    for (char c : kept) {
        if (c == ' ' && (tidy.empty() || tidy.back() == ' ')) {
            continue;
        }
        if (c == ',' && !tidy.empty() && tidy.back() == ' ') {
            tidy.pop_back();
        }
        tidy += c;
    }
    while (!tidy.empty() && (tidy.back() == ' ' || tidy.back() == ',')) {
        tidy.pop_back();
    }
    return tidy;
}

std::string RewriteStreamLine(std::string_view line) {
    std::string_view rest = TrimLeft(line);
    rest.remove_prefix(std::string_view("Stream #").size());
    // The stream id: "0:1" becomes "0.1"; an id in brackets stays, a language in parentheses
    // stays unless it is "und".
    std::string head = "    Stream #";
    const size_t colonBlank = rest.find(": ");
    if (colonBlank == std::string_view::npos) {
        return "    " + std::string(TrimLeft(line));
    }
    std::string_view id = rest.substr(0, colonBlank);
    rest.remove_prefix(colonBlank + 2);
    const size_t idEnd = id.find_first_of("[(");
    std::string number(id.substr(0, idEnd));
    if (const size_t c = number.find(':'); c != std::string::npos) {
        number[c] = '.';
    }
    head += number;
    std::string_view extras = idEnd == std::string_view::npos ? "" : id.substr(idEnd);
    while (!extras.empty()) {
        const char close = extras[0] == '[' ? ']' : ')';
        size_t end = extras.find(close);
        if (end == std::string_view::npos) {
            end = extras.size() - 1;
        }
        std::string_view group = extras.substr(0, end + 1);
        if (group != "(und)") {
            head += group;
        }
        extras.remove_prefix(end + 1);
    }
    return head + ": " + DropParenthesised(rest);
}

ProbeReport RewriteProbeReport(std::string_view ffmpegStderr) {
    ProbeReport report;
    const std::vector<std::string_view> lines = SplitLines(ffmpegStderr);
    size_t first = 0;
    while (first < lines.size() && !StartsWith(lines[first], "Input #")) {
        ++first;
    }
    if (first == lines.size()) {
        // ffmpeg's own error text, less the warning the missing output file provokes.
        for (std::string_view line : lines) {
            if (!StartsWith(line, "Trailing option(s) found")) {
                report.text += std::string(line) + "\n";
            }
        }
        return report;
    }
    report.describedInput = true;
    size_t skipDeeperThan = std::string::npos;  // indent of a dropped block's heading
    for (size_t i = first; i < lines.size(); ++i) {
        std::string_view line = lines[i];
        std::string_view trimmed = TrimLeft(line);
        const size_t indent = Indent(line);
        if (skipDeeperThan != std::string::npos) {
            if (indent > skipDeeperThan && !trimmed.empty()) {
                continue;
            }
            skipDeeperThan = std::string::npos;
        }
        if (trimmed.empty() || IsLogLine(trimmed)) {
            continue;
        }
        if (StartsDroppedBlock(trimmed)) {
            skipDeeperThan = indent;
            continue;
        }
        if (StartsWith(line, "Input #")) {
            report.text += std::string(line) + "\n";
        } else if (StartsWith(trimmed, "Duration:")) {
            report.text += "  " + std::string(trimmed) + "\n";
        } else if (StartsWith(trimmed, "Stream #")) {
            report.text += RewriteStreamLine(line) + "\n";
        } else if (indent == 0) {
            // ffmpeg's own closing words and warnings ("At least one output file must be
            // specified", "Trailing option(s) found ...") give way to the old closing line.
            continue;
        } else {
            report.text += std::string(line) + "\n";
        }
    }
    report.text += "Must supply at least one output file\n";
    return report;
}

}  // namespace mk::toolkit
