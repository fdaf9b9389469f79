#include "common/avs_script.h"

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
    if (first == std::string_view::npos)
        return {};
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
std::vector<Statement> Statements(std::string_view text) {
    std::vector<Statement> out;
    std::string current;
    int line = 1, currentLine = 1;
    bool inString = false, inTriple = false;
    int blockDepth = 0;    // [* *]
    bool inSlash = false;  // /* */
    auto flush = [&] {
        std::string_view t = Trim(current);
        if (!t.empty())
            out.push_back({std::string(t), currentLine});
        current.clear();
    };
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        std::string_view here = text.substr(i);
        if (c == '\n') {
            ++line;
            if (inString && !inTriple)
                inString = false;  // an unclosed string ends with its line
            if (inSlash || blockDepth > 0 || inTriple) {
                if (inTriple)
                    current += ' ';
                continue;
            }
            std::string_view t = Trim(current);
            if (!t.empty() && t.back() == '\\') {  // continued on the next line
                current = std::string(t.substr(0, t.size() - 1)) + ' ';
                continue;
            }
            // A line starting with a backslash continues this one.
            std::string_view next = text.substr(i + 1);
            const size_t nonBlank = next.find_first_not_of(" \t");
            if (nonBlank != std::string_view::npos && next[nonBlank] == '\\') {
                i += 1 + nonBlank;
                current += ' ';
                continue;
            }
            flush();
            currentLine = line;
            continue;
        }
        if (inSlash) {
            if (here.substr(0, 2) == "*/")
                inSlash = false, ++i;
            continue;
        }
        if (blockDepth > 0) {
            if (here.substr(0, 2) == "[*")
                ++blockDepth, ++i;
            else if (here.substr(0, 2) == "*]")
                --blockDepth, ++i;
            continue;
        }
        if (inString) {
            if (inTriple && here.substr(0, 3) == "\"\"\"") {
                current += "\"\"\"";
                i += 2;
                inString = inTriple = false;
                continue;
            }
            if (!inTriple && c == '"')
                inString = false;
            current += c;
            continue;
        }
        if (Trim(current).empty())
            currentLine = line;
        if (c == '#') {
            const size_t end = text.find('\n', i);
            i = (end == std::string_view::npos ? text.size() : end) - 1;
            continue;
        }
        if (here.substr(0, 2) == "/*") {
            inSlash = true;
            ++i;
            continue;
        }
        if (here.substr(0, 2) == "[*") {
            blockDepth = 1;
            ++i;
            continue;
        }
        if (here.substr(0, 3) == "\"\"\"") {
            inString = inTriple = true;
            current += "\"\"\"";
            i += 2;
            continue;
        }
        if (c == '"')
            inString = true;
        current += c;
    }
    flush();
    return out;
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

// Parses "Name(args).Other(args).Third" into calls. False when the text is no such chain.
bool ParseChain(std::string_view text, std::vector<Call>& calls) {
    size_t i = 0;
    auto skipBlanks = [&] {
        while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
            ++i;
    };
    while (true) {
        skipBlanks();
        const size_t nameStart = i;
        while (i < text.size() && IsIdentChar(text[i]))
            ++i;
        if (i == nameStart)
            return false;
        Call call;
        call.written = std::string(text.substr(nameStart, i - nameStart));
        call.name = Lower(call.written);
        skipBlanks();
        if (i < text.size() && text[i] == '(') {
            ++i;
            // Split the argument list at top-level commas.
            std::string current;
            int depth = 0;
            bool closed = false;
            std::vector<std::string> raw;
            while (i < text.size()) {
                const char c = text[i];
                if (c == '"') {
                    const bool triple = text.substr(i, 3) == "\"\"\"";
                    const std::string_view quote = triple ? "\"\"\"" : "\"";
                    const size_t end = text.find(quote, i + quote.size());
                    if (end == std::string_view::npos)
                        return false;
                    current += text.substr(i, end + quote.size() - i);
                    i = end + quote.size();
                    continue;
                }
                if (c == '(')
                    ++depth;
                if (c == ')' && depth-- == 0) {
                    closed = true;
                    ++i;
                    break;
                }
                if (c == ',' && depth == 0) {
                    raw.push_back(current);
                    current.clear();
                } else {
                    current += c;
                }
                ++i;
            }
            if (!closed)
                return false;
            if (!Trim(current).empty() || !raw.empty())
                raw.push_back(current);
            for (const std::string& r : raw) {
                std::string_view a = Trim(r);
                Arg arg;
                const size_t eq = a.find('=');
                if (eq != std::string_view::npos && a[0] != '"' && a.substr(eq, 2) != "==") {
                    arg.name = Lower(Trim(a.substr(0, eq)));
                    a = Trim(a.substr(eq + 1));
                }
                if (a.size() >= 6 && a.substr(0, 3) == "\"\"\"" &&
                    a.substr(a.size() - 3) == "\"\"\"") {
                    arg.value = std::string(a.substr(3, a.size() - 6));
                    arg.isString = true;
                } else if (a.size() >= 2 && a.front() == '"' && a.back() == '"') {
                    arg.value = std::string(a.substr(1, a.size() - 2));
                    arg.isString = true;
                } else {
                    arg.value = std::string(a);
                }
                call.args.push_back(std::move(arg));
            }
        }
        calls.push_back(std::move(call));
        skipBlanks();
        if (i == text.size())
            return true;
        if (text[i] != '.')
            return false;
        ++i;
    }
}

bool IsSourceFilter(const std::string& lowerName) {
    static const char* const kKnown[] = {
        "avisource",         "avifilesource", "opendmlsource", "directshowsource",
        "ffmpegsource2",     "ffvideosource", "ffms2",         "lwlibavvideosource",
        "lsmashvideosource", "dss2",          "bestsource",    "bsvideosource",
    };
    for (const char* k : kKnown)
        if (lowerName == k)
            return true;
    // Plugins name their readers ...Source; AviSynth's own ImageSource and the like read a file
    // ffmpeg can read as well. Readers of sound alone are no picture source.
    if (lowerName == "wavsource" || lowerName.find("audio") != std::string::npos)
        return false;
    return lowerName.size() > 6 && lowerName.substr(lowerName.size() - 6) == "source";
}

std::optional<int> ToInt(const Arg& arg) {
    if (arg.isString)
        return std::nullopt;
    int v = 0;
    const std::string& s = arg.value;
    auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (ec != std::errc() || ptr != s.data() + s.size())
        return std::nullopt;
    return v;
}

// AviSynth colours: $RRGGBB or a plain integer.
std::optional<std::string> ToColor(const Arg& arg) {
    if (arg.isString)
        return std::nullopt;
    unsigned long v = 0;
    const std::string& s = arg.value;
    const bool hex = !s.empty() && s[0] == '$';
    const char* begin = s.data() + (hex ? 1 : 0);
    auto [ptr, ec] = std::from_chars(begin, s.data() + s.size(), v, hex ? 16 : 10);
    if (ec != std::errc() || ptr != s.data() + s.size() || v > 0xFFFFFFul)
        return std::nullopt;
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

// One filter call as an ffmpeg filter; empty `filter` for a call that changes nothing here.
bool TranslateFilter(const Call& call, std::string& filter, std::string& problem) {
    std::vector<std::optional<int>> v;
    const std::string& n = call.name;
    if (n == "converttoyv12" || n == "converttoi420") {
        filter.clear();  // the output is 4:2:0 anyway
        return true;
    }
    if (n == "trim") {
        if (!IntArgs(call, {"first_frame", "last_frame"}, 2, v, problem))
            return false;
        const int first = *v[0], last = *v[1];
        if (first < 0) {
            problem = "a negative first frame";
            return false;
        }
        filter = "trim=start_frame=" + std::to_string(first);
        // Sums and differences below in 64 bits: the script may hold any int.
        // last 0: to the end; negative: a frame count.
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
    if (n == "crop") {
        // align only concerns AviSynth's memory layout.
        Call sizes = call;
        std::erase_if(sizes.args, [](const Arg& a) { return a.name == "align"; });
        if (!IntArgs(sizes, {"left", "top", "width", "height"}, 4, v, problem))
            return false;
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
    static const std::pair<const char*, const char*> kResizers[] = {
        {"bilinearresize", "bilinear"}, {"bicubicresize", "bicubic"},
        {"lanczosresize", "lanczos"},   {"lanczos4resize", "lanczos:param0=4"},
        {"spline16resize", "spline"},   {"spline36resize", "spline"},
        {"spline64resize", "spline"},   {"pointresize", "neighbor"},
        {"gaussresize", "gauss"},       {"sincresize", "sinc"},
        {"blackmanresize", "lanczos"},
    };
    for (auto [name, flags] : kResizers) {
        if (n != name)
            continue;
        if (!IntArgs(call, {"target_width", "target_height"}, 2, v, problem))
            return false;
        if (*v[0] <= 0 || *v[1] <= 0) {
            problem = "the size must be positive";
            return false;
        }
        filter = "scale=" + std::to_string(*v[0]) + ":" + std::to_string(*v[1]) + ":flags=" + flags;
        return true;
    }
    if (n == "addborders") {
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
        if (!IntArgs(sizes, {"left", "top", "right", "bottom"}, 4, v, problem))
            return false;
        const int l = *v[0], t = *v[1], r = *v[2], b = *v[3];
        if (l < 0 || t < 0 || r < 0 || b < 0) {
            problem = "a negative border";
            return false;
        }
        filter = "pad=iw+" + std::to_string(0LL + l + r) + ":ih+" + std::to_string(0LL + t + b) +
                 ":" + std::to_string(l) + ":" + std::to_string(t);
        if (color)
            filter += ":color=" + *color;
        return true;
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
        if (lower == "last" || lower == "return last" || lower == "return(last)")
            continue;
        if (lower.substr(0, 7) == "return ")
            body = Trim(body.substr(7));
        if (Lower(body.substr(0, 5)) == "last.")
            body = body.substr(5);
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
            if (!filter.empty())
                script.filters.push_back(filter);
        }
    }
    if (script.sourceLine == 0 && script.problems.empty())
        script.problems.push_back("no source filter such as AviSource(\"...\") in the script");
    return script;
}

std::vector<std::string> Avs2yuvArguments(const AvsScript& script, const std::string& scriptFolder,
                                          const std::string& output) {
    std::string source = script.sourcePath;
    if (!source.empty() && source[0] != '/' && !scriptFolder.empty())
        source = scriptFolder + (scriptFolder.back() == '/' ? "" : "/") + source;
    std::string chain;
    for (const std::string& f : script.filters)
        chain += (chain.empty() ? "" : ",") + f;
    chain += std::string(chain.empty() ? "" : ",") + "format=yuv420p";
    std::vector<std::string> args = {
        "-hide_banner", "-nostdin", "-loglevel", "error", "-i",  source, "-map",        "0:v:0",
        "-an",          "-sn",      "-dn",       "-vf",   chain, "-f",   "yuv4mpegpipe"};
    if (output != "-")
        args.push_back("-y");
    args.push_back(output);
    return args;
}

}  // namespace mk::toolkit
