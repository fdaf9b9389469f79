#include "rules/file_filter.h"

#include <cctype>

namespace mk {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) {
        s.remove_prefix(1);
    }
    while (!s.empty() && IsBlank(s.back())) {
        s.remove_suffix(1);
    }
    return s;
}

// The characters QFileDialog accepts inside the pattern group; a pattern with any other would
// make it read the whole filter text as patterns.
bool IsQtPatternChar(char c) {
    const auto u = static_cast<unsigned char>(c);
    if (u >= 0x80) {
        return false;
    }
    if (std::isalnum(u)) {
        return true;
    }
    static constexpr std::string_view kAllowed = "_.,*?#-[]@{}/!<>$%&=^~:";
    return kAllowed.find(c) != std::string_view::npos;
}

// Splits on ';' and blanks, keeping only patterns QFileDialog can carry.
std::vector<std::string> CleanPatterns(std::string_view text) {
    std::vector<std::string> out;
    std::string current;
    auto flush = [&] {
        bool usable = !current.empty();
        for (char c : current) {
            usable = usable && IsQtPatternChar(c);
        }
        if (usable) {
            out.push_back(current == "*.*" ? "*" : current);
        }
        current.clear();
    };
    for (char c : text) {
        if (c == ';' || IsBlank(c)) {
            flush();
        } else {
            current.push_back(c);
        }
    }
    flush();
    return out;
}

// The description as the dialog should show it: no trailing "(patterns)" (they follow anyway),
// on one line, and without ";;", which would split it into two types.
std::string CleanDescription(std::string_view desc) {
    desc = Trim(desc);
    if (!desc.empty() && desc.back() == ')') {
        const auto open = desc.rfind('(');
        if (open != std::string_view::npos &&
            desc.substr(open + 1).find_first_of("()") == desc.size() - open - 2) {
            desc = Trim(desc.substr(0, open));
        }
    }
    std::string out;
    for (char c : desc) {
        if (c == '\n' || c == '\r') {
            c = ' ';
        }
        if (c == ';' && !out.empty() && out.back() == ';') {
            continue;
        }
        out.push_back(c);
    }
    return out;
}

}  // namespace

std::vector<FilterEntry> ParseMfcFilter(std::string_view mfc) {
    // The Windows dialog gets the text with '|' turned into NUL, so a NUL ends it as well.
    mfc = mfc.substr(0, mfc.find('\0'));
    std::vector<std::string_view> parts;
    for (;;) {
        const auto bar = mfc.find('|');
        parts.push_back(mfc.substr(0, bar));
        if (bar == std::string_view::npos) {
            break;
        }
        mfc.remove_prefix(bar + 1);
    }

    std::vector<FilterEntry> entries;
    for (std::size_t i = 0; i + 1 < parts.size(); i += 2) {
        if (parts[i].empty() || parts[i + 1].empty()) {
            break;
        }
        FilterEntry e{std::string(parts[i]), CleanPatterns(parts[i + 1])};
        if (!e.patterns.empty()) {
            entries.push_back(std::move(e));
        }
    }
    return entries;
}

std::string ToQtFilter(const FilterEntry& e) {
    std::string patterns;
    for (const std::string& raw : e.patterns) {
        for (const std::string& p : CleanPatterns(raw)) {
            if (!patterns.empty()) {
                patterns += ' ';
            }
            patterns += p;
        }
    }
    const std::string name = CleanDescription(e.description);
    return name.empty() ? "(" + patterns + ")" : name + " (" + patterns + ")";
}

std::string QtFilterList(std::string_view mfc) {
    std::string out;
    for (const FilterEntry& e : ParseMfcFilter(mfc)) {
        if (!out.empty()) {
            out += ";;";
        }
        out += ToQtFilter(e);
    }
    return out;
}

}  // namespace mk
