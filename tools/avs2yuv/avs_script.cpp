#include "avs2yuv/avs_script.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdio>
#include <optional>

namespace mk::toolkit {

namespace {

std::string Lower(std::string_view s) {
    std::string out(s);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

std::string_view Trim(std::string_view s) {
    const size_t first = s.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) {
        return {};
    }
    const size_t last = s.find_last_not_of(" \t\r");
    return s.substr(first, last - first + 1);
}

bool IsIdentChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
}

// A statement of the script with the line it starts on.
struct Statement {
    std::string text;
    int line;
};

// Removes comments (# to the end of the line, /* */ and nestable [* *]) outside strings and joins
// lines continued with a backslash at the end of one line or the start of the next.
class StatementSplitter {
public:
    explicit StatementSplitter(std::string_view text) : m_text(text) {}

    std::vector<Statement> Run() {
        for (m_i = 0; m_i < m_text.size(); ++m_i) {
            const char c = m_text[m_i];
            if (c == '\n') {
                LineEnd();
            } else if (m_inSlash) {
                SlashComment();
            } else if (m_blockDepth > 0) {
                BlockComment();
            } else if (m_inString) {
                String(c);
            } else {
                Code(c);
            }
        }
        Flush();
        return m_out;
    }

private:
    std::string_view Here() const { return m_text.substr(m_i); }

    void Flush() {
        std::string_view t = Trim(m_current);
        if (!t.empty()) {
            m_out.push_back({std::string(t), m_currentLine});
        }
        m_current.clear();
    }

    void LineEnd() {
        ++m_line;
        if (m_inString && !m_inTriple) {
            m_inString = false;  // an unclosed string ends with its line
        }
        if (m_inSlash || m_blockDepth > 0 || m_inTriple) {
            if (m_inTriple) {
                m_current += ' ';
            }
            return;
        }
        std::string_view t = Trim(m_current);
        if (!t.empty() && t.back() == '\\') {  // continued on the next line
            m_current = std::string(t.substr(0, t.size() - 1)) + ' ';
            return;
        }
        // A line starting with a backslash continues this one.
        std::string_view next = m_text.substr(m_i + 1);
        const size_t nonBlank = next.find_first_not_of(" \t");
        if (nonBlank != std::string_view::npos && next[nonBlank] == '\\') {
            m_i += 1 + nonBlank;
            m_current += ' ';
            return;
        }
        Flush();
        m_currentLine = m_line;
    }

    void SlashComment() {
        if (Here().substr(0, 2) == "*/") {
            m_inSlash = false, ++m_i;
        }
    }

    void BlockComment() {
        if (Here().substr(0, 2) == "[*") {
            ++m_blockDepth, ++m_i;
        } else if (Here().substr(0, 2) == "*]") {
            --m_blockDepth, ++m_i;
        }
    }

    void String(char c) {
        if (m_inTriple && Here().substr(0, 3) == "\"\"\"") {
            m_current += "\"\"\"";
            m_i += 2;
            m_inString = m_inTriple = false;
            return;
        }
        if (!m_inTriple && c == '"') {
            m_inString = false;
        }
        m_current += c;
    }

    void Code(char c) {
        if (Trim(m_current).empty()) {
            m_currentLine = m_line;
        }
        if (c == '#') {
            const size_t end = m_text.find('\n', m_i);
            m_i = (end == std::string_view::npos ? m_text.size() : end) - 1;
        } else if (Here().substr(0, 2) == "/*") {
            m_inSlash = true;
            ++m_i;
        } else if (Here().substr(0, 2) == "[*") {
            m_blockDepth = 1;
            ++m_i;
        } else if (Here().substr(0, 3) == "\"\"\"") {
            m_inString = m_inTriple = true;
            m_current += "\"\"\"";
            m_i += 2;
        } else {
            m_inString = c == '"';
            m_current += c;
        }
    }

    std::string_view m_text;
    size_t m_i = 0;
    std::vector<Statement> m_out;
    std::string m_current;
    int m_line = 1, m_currentLine = 1;
    bool m_inString = false, m_inTriple = false;
    int m_blockDepth = 0;    // [* *]
    bool m_inSlash = false;  // /* */
};

std::vector<Statement> Statements(std::string_view text) {
    return StatementSplitter(text).Run();
}

struct Arg {
    std::string name;   // lower case; empty for a positional argument
    std::string value;  // as written; strings without their quotes
    bool isString = false;
};

struct Call {
    std::string name;  // lower case
    std::string written;
    std::vector<Arg> args;
};

// Splits the argument list that starts after the "(" at `i` at its top-level commas; `i` ends
// after the closing ")". False when the list is not closed.
bool SplitArgumentList(std::string_view text, size_t& i, std::vector<std::string>& raw) {
    std::string current;
    int depth = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (c == '"') {
            const bool triple = text.substr(i, 3) == "\"\"\"";
            const std::string_view quote = triple ? "\"\"\"" : "\"";
            const size_t end = text.find(quote, i + quote.size());
            if (end == std::string_view::npos) {
                return false;
            }
            current += text.substr(i, end + quote.size() - i);
            i = end + quote.size();
            continue;
        }
        ++i;
        if (c == '(') {
            ++depth;
        }
        if (c == ')' && depth-- == 0) {
            if (!Trim(current).empty() || !raw.empty()) {
                raw.push_back(current);
            }
            return true;
        }
        if (c == ',' && depth == 0) {
            raw.push_back(current);
            current.clear();
        } else {
            current += c;
        }
    }
    return false;
}

// "name = value", "value", "\"string\"" or "\"\"\"string\"\"\"".
Arg ParseArg(std::string_view a) {
    a = Trim(a);
    Arg arg;
    const size_t eq = a.find('=');
    if (eq != std::string_view::npos && a[0] != '"' && a.substr(eq, 2) != "==") {
        arg.name = Lower(Trim(a.substr(0, eq)));
        a = Trim(a.substr(eq + 1));
    }
    if (a.size() >= 6 && a.substr(0, 3) == "\"\"\"" && a.substr(a.size() - 3) == "\"\"\"") {
        arg.value = std::string(a.substr(3, a.size() - 6));
        arg.isString = true;
    } else if (a.size() >= 2 && a.front() == '"' && a.back() == '"') {
        arg.value = std::string(a.substr(1, a.size() - 2));
        arg.isString = true;
    } else {
        arg.value = std::string(a);
    }
    return arg;
}

// Parses "Name(args).Other(args).Third" into calls. False when the text is no such chain.
bool ParseChain(std::string_view text, std::vector<Call>& calls) {
    size_t i = 0;
    auto skipBlanks = [&] {
        while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) {
            ++i;
        }
    };
    while (true) {
        skipBlanks();
        const size_t nameStart = i;
        while (i < text.size() && IsIdentChar(text[i])) {
            ++i;
        }
        if (i == nameStart) {
            return false;
        }
        Call call;
        call.written = std::string(text.substr(nameStart, i - nameStart));
        call.name = Lower(call.written);
        skipBlanks();
        if (i < text.size() && text[i] == '(') {
            ++i;
            std::vector<std::string> raw;
            if (!SplitArgumentList(text, i, raw)) {
                return false;
            }
            for (const std::string& r : raw) {
                call.args.push_back(ParseArg(r));
            }
        }
        calls.push_back(std::move(call));
        skipBlanks();
        if (i == text.size()) {
            return true;
        }
        if (text[i] != '.') {
            return false;
        }
        ++i;
    }
}

bool IsSourceFilter(const std::string& lowerName) {
    static const char* const kKnown[] = {
        "avisource",         "avifilesource", "opendmlsource", "directshowsource",
        "ffmpegsource2",     "ffvideosource", "ffms2",         "lwlibavvideosource",
        "lsmashvideosource", "dss2",          "bestsource",    "bsvideosource",
    };
    for (const char* k : kKnown) {
        if (lowerName == k) {
            return true;
        }
    }
    // Plugins name their readers ...Source; AviSynth's own ImageSource and the like read a file
    // ffmpeg can read as well. Readers of sound alone are no picture source.
    if (lowerName == "wavsource" || lowerName.find("audio") != std::string::npos) {
        return false;
    }
    return lowerName.size() > 6 && lowerName.substr(lowerName.size() - 6) == "source";
}

std::optional<int> ToInt(const Arg& arg) {
    if (arg.isString) {
        return std::nullopt;
    }
    int v = 0;
    const std::string& s = arg.value;
    auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (ec != std::errc() || ptr != s.data() + s.size()) {
        return std::nullopt;
    }
    return v;
}

// AviSynth colours: $RRGGBB or a plain integer.
std::optional<std::string> ToColor(const Arg& arg) {
    if (arg.isString) {
        return std::nullopt;
    }
    unsigned long v = 0;
    const std::string& s = arg.value;
    const bool hex = !s.empty() && s[0] == '$';
    const char* begin = s.data() + (hex ? 1 : 0);
    auto [ptr, ec] = std::from_chars(begin, s.data() + s.size(), v, hex ? 16 : 10);
    if (ec != std::errc() || ptr != s.data() + s.size() || v > 0xFFFFFFul) {
        return std::nullopt;
    }
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%06lX", v);
    return std::string(buf);
}

// Positional integer arguments in order; a named one is taken where `names` puts it.
// False when an argument is neither a known name nor a whole number.
bool IntArgs(const Call& call, const std::vector<std::string>& names, size_t required,
             std::vector<std::optional<int>>& out, std::string& problem) {
    out.assign(names.size(), std::nullopt);
    size_t position = 0;
    for (const Arg& arg : call.args) {
        size_t slot = position;
        if (!arg.name.empty()) {
            auto it = std::find(names.begin(), names.end(), arg.name);
            if (it == names.end()) {
                problem = "argument " + arg.name + " is not understood here";
                return false;
            }
            slot = static_cast<size_t>(it - names.begin());
        } else {
            ++position;
        }
        if (slot >= names.size()) {
            problem = "too many arguments";
            return false;
        }
        out[slot] = ToInt(arg);
        if (!out[slot]) {
            problem = "\"" + arg.value + "\" is not a whole number";
            return false;
        }
    }
    for (size_t k = 0; k < required; ++k) {
        if (!out[k]) {
            problem = names[k] + " is missing";
            return false;
        }
    }
    return true;
}

// Trim(first, last): last 0 runs to the end, a negative last is a frame count.
bool TrimFilter(const Call& call, std::string& filter, std::string& problem) {
    std::vector<std::optional<int>> v;
    if (!IntArgs(call, {"first_frame", "last_frame"}, 2, v, problem)) {
        return false;
    }
    const int first = *v[0], last = *v[1];
    if (first < 0) {
        problem = "a negative first frame";
        return false;
    }
    filter = "trim=start_frame=" + std::to_string(first);
    // Sums and differences below in 64 bits: the script may hold any int.
    if (last > 0) {
        if (last < first) {
            problem = "the last frame lies before the first";
            return false;
        }
        filter += ":end_frame=" + std::to_string(1LL + last);
    } else if (last < 0) {
        filter += ":end_frame=" + std::to_string(0LL + first - last);
    }
    filter += ",setpts=PTS-STARTPTS";
    return true;
}

bool CropFilter(const Call& call, std::string& filter, std::string& problem) {
    // align only concerns AviSynth's memory layout.
    Call sizes = call;
    std::erase_if(sizes.args, [](const Arg& a) { return a.name == "align"; });
    std::vector<std::optional<int>> v;
    if (!IntArgs(sizes, {"left", "top", "width", "height"}, 4, v, problem)) {
        return false;
    }
    const int left = *v[0], top = *v[1], width = *v[2], height = *v[3];
    if (left < 0 || top < 0) {
        problem = "a negative left or top";
        return false;
    }
    // A width or height of 0 or less counts from the right or bottom edge.
    const std::string w =
        width > 0 ? std::to_string(width) : "iw-" + std::to_string(0LL + left - width);
    const std::string h =
        height > 0 ? std::to_string(height) : "ih-" + std::to_string(0LL + top - height);
    filter = "crop=" + w + ":" + h + ":" + std::to_string(left) + ":" + std::to_string(top);
    return true;
}

// The scaler flags of one of the Resize family; null for any other call.
const char* ResizeFlags(const std::string& name) {
    static const std::pair<const char*, const char*> kResizers[] = {
        {"bilinearresize", "bilinear"}, {"bicubicresize", "bicubic"},
        {"lanczosresize", "lanczos"},   {"lanczos4resize", "lanczos:param0=4"},
        {"spline16resize", "spline"},   {"spline36resize", "spline"},
        {"spline64resize", "spline"},   {"pointresize", "neighbor"},
        {"gaussresize", "gauss"},       {"sincresize", "sinc"},
        {"blackmanresize", "lanczos"},
    };
    for (auto [resizer, flags] : kResizers) {
        if (name == resizer) {
            return flags;
        }
    }
    return nullptr;
}

bool ResizeFilter(const Call& call, const char* flags, std::string& filter, std::string& problem) {
    std::vector<std::optional<int>> v;
    if (!IntArgs(call, {"target_width", "target_height"}, 2, v, problem)) {
        return false;
    }
    if (*v[0] <= 0 || *v[1] <= 0) {
        problem = "the size must be positive";
        return false;
    }
    filter = "scale=" + std::to_string(*v[0]) + ":" + std::to_string(*v[1]) + ":flags=" + flags;
    return true;
}

bool AddBordersFilter(const Call& call, std::string& filter, std::string& problem) {
    // The colour is the fifth argument; take it apart from the four sizes.
    Call sizes = call;
    std::optional<std::string> color;
    sizes.args.clear();
    size_t position = 0;
    for (const Arg& arg : call.args) {
        if (arg.name == "color" || (arg.name.empty() && position++ == 4)) {
            color = ToColor(arg);
            if (!color) {
                problem = "\"" + arg.value + "\" is not a colour";
                return false;
            }
        } else {
            sizes.args.push_back(arg);
        }
    }
    std::vector<std::optional<int>> v;
    if (!IntArgs(sizes, {"left", "top", "right", "bottom"}, 4, v, problem)) {
        return false;
    }
    const int l = *v[0], t = *v[1], r = *v[2], b = *v[3];
    if (l < 0 || t < 0 || r < 0 || b < 0) {
        problem = "a negative border";
        return false;
    }
    filter = "pad=iw+" + std::to_string(0LL + l + r) + ":ih+" + std::to_string(0LL + t + b) + ":" +
             std::to_string(l) + ":" + std::to_string(t);
    if (color) {
        filter += ":color=" + *color;
    }
    return true;
}

// One filter call as an ffmpeg filter; empty `filter` for a call that changes nothing here.
bool TranslateFilter(const Call& call, std::string& filter, std::string& problem) {
    const std::string& n = call.name;
    if (n == "converttoyv12" || n == "converttoi420") {
        filter.clear();  // the output is 4:2:0 anyway
        return true;
    }
    if (n == "trim") {
        return TrimFilter(call, filter, problem);
    }
    if (n == "crop") {
        return CropFilter(call, filter, problem);
    }
    if (n == "addborders") {
        return AddBordersFilter(call, filter, problem);
    }
    if (const char* flags = ResizeFlags(n)) {
        return ResizeFilter(call, flags, filter, problem);
    }
    problem = "not translated";
    return false;
}

}  // namespace

AvsScript ReadAvsScript(std::string_view text) {
    AvsScript script;
    for (const Statement& statement : Statements(text)) {
        std::string_view body = statement.text;
        auto report = [&](const std::string& what) {
            script.problems.push_back("line " + std::to_string(statement.line) + ": " + what +
                                      ": " + std::string(body));
        };
        // "return last" and a lone "last" end the script the way it already ends.
        const std::string lower = Lower(body);
        if (lower == "last" || lower == "return last" || lower == "return(last)") {
            continue;
        }
        if (lower.substr(0, 7) == "return ") {
            body = Trim(body.substr(7));
        }
        if (Lower(body.substr(0, 5)) == "last.") {
            body = body.substr(5);
        }
        std::vector<Call> calls;
        if (!ParseChain(body, calls)) {
            report("not understood");
            continue;
        }
        for (const Call& call : calls) {
            if (IsSourceFilter(call.name)) {
                if (script.sourceLine != 0) {
                    report("only one source is read; " + call.written + " is a second one");
                    continue;
                }
                auto path = std::find_if(call.args.begin(), call.args.end(),
                                         [](const Arg& a) { return a.isString; });
                if (path == call.args.end() || path->value.empty()) {
                    report(call.written + " names no file in double quotes");
                    continue;
                }
                script.sourcePath = path->value;
                script.sourceLine = statement.line;
                continue;
            }
            if (script.sourceLine == 0) {
                report(call.written + " before the source filter");
                continue;
            }
            std::string filter, problem;
            if (!TranslateFilter(call, filter, problem)) {
                report(call.written + ": " + problem);
                continue;
            }
            if (!filter.empty()) {
                script.filters.push_back(filter);
            }
        }
    }
    if (script.sourceLine == 0 && script.problems.empty()) {
        script.problems.push_back("no source filter such as AviSource(\"...\") in the script");
    }
    return script;
}

std::vector<std::string> Avs2yuvArguments(const AvsScript& script, const std::string& scriptFolder,
                                          const std::string& output) {
    std::string source = script.sourcePath;
    if (!source.empty() && source[0] != '/' && !scriptFolder.empty()) {
        source = scriptFolder + (scriptFolder.back() == '/' ? "" : "/") + source;
    }
    std::string chain;
    for (const std::string& f : script.filters) {
        chain += (chain.empty() ? "" : ",") + f;
    }
    chain += std::string(chain.empty() ? "" : ",") + "format=yuv420p";
    std::vector<std::string> args = {
        "-hide_banner", "-nostdin", "-loglevel", "error", "-i",  source, "-map",        "0:v:0",
        "-an",          "-sn",      "-dn",       "-vf",   chain, "-f",   "yuv4mpegpipe"};
    if (output != "-") {
        args.push_back("-y");
    }
    args.push_back(output);
    return args;
}

}  // namespace mk::toolkit
