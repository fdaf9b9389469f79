#include "output/run_log.h"

#include "jobs/decode_errors.h"

#include <algorithm>
#include <cstdio>

namespace mk::toolkit {

namespace {

constexpr size_t kKeep = 1 << 20;
constexpr int kInfo = 32;

// ffmpeg 5 ends with status 0 even when the output could not be written in full (a full disk:
// "Error writing trailer of out.mpg: No space left on device"): these lines turn the run into a
// failure, so a cut-off file is never taken for a result.
bool TellsOfFailedWrite(std::string_view line) {
    static constexpr std::string_view kMarkers[] = {"Error writing trailer", "Error closing file",
                                                    "av_interleaved_write_frame()",
                                                    "Error muxing a packet"};
    for (std::string_view marker : kMarkers) {
        if (line.substr(0, marker.size()) == marker) {
            return true;
        }
    }
    return false;
}

// Where the "[level] " tag of a line starts, after the "[name @ 0x...] " of its sources; npos
// when it has none.
size_t TagStart(std::string_view line, int& level) {
    size_t pos = 0;
    while (pos < line.size() && line[pos] == '[') {
        const size_t close = line.find("] ", pos);
        if (close == std::string_view::npos) {
            break;
        }
        const std::string_view word = line.substr(pos + 1, close - pos - 1);
        if (const auto named = LogLevelNamed(word)) {
            level = *named;
            return pos;
        }
        if (word.find(" @ ") == std::string_view::npos) {
            break;
        }
        pos = close + 2;
    }
    return std::string_view::npos;
}

}  // namespace

std::optional<int> LogLevelNamed(std::string_view word) {
    static constexpr std::pair<std::string_view, int> kLevels[] = {
        {"quiet", -8}, {"panic", 0},    {"fatal", 8},  {"error", 16}, {"warning", 24},
        {"info", 32},  {"verbose", 40}, {"debug", 48}, {"trace", 56}};
    for (auto [name, level] : kLevels) {
        if (word == name) {
            return level;
        }
    }
    int number = 0;
    if (!word.empty() && std::sscanf(std::string(word).c_str(), "%d", &number) == 1 &&
        word.find_first_not_of("-0123456789") == std::string_view::npos) {
        return number;
    }
    return std::nullopt;
}

LogRequest TakeLogLevel(std::vector<ArgItem>& items) {
    LogRequest user;
    for (const ArgItem& item : items) {
        if ((item.option != "v" && item.option != "loglevel") || !item.hasValue) {
            continue;
        }
        // "[flags+]level" or "+flag-flag...": a first word without a sign starts afresh.
        std::string_view rest = item.value;
        for (bool first = true; !rest.empty(); first = false) {
            const char sign = rest[0] == '+' || rest[0] == '-' ? rest[0] : 0;
            rest.remove_prefix(sign ? 1 : 0);
            const std::string_view word = rest.substr(0, rest.find_first_of("+-", 1));
            rest.remove_prefix(word.size());
            if (first && !sign) {
                user.repeat = user.printLevel = false;
            }
            if (word == "repeat") {
                user.repeat = sign != '-';
            } else if (word == "level") {
                user.printLevel = sign != '-';
            } else if (const auto level =
                           LogLevelNamed(std::string(sign == '-' ? "-" : "") + std::string(word))) {
                user.level = *level;
                break;
            }
        }
    }
    std::erase_if(items, [](const ArgItem& item) {
        return (item.option == "v" || item.option == "loglevel") && item.hasValue;
    });
    const int ours = std::max(user.level, kInfo);
    std::string value = std::string(user.repeat ? "repeat+" : "") + "level+" + std::to_string(ours);
    items.insert(items.begin(), ArgItem{"loglevel", value, true});
    return user;
}

std::string RunLog::Feed(std::string_view chunk) {
    std::string shown;
    for (char c : chunk) {
        if (c == '\n' || c == '\r') {
            shown += Line(m_partial, c);
            m_partial.clear();
        } else if (m_partial.size() < 65536) {
            m_partial += c;
        }
    }
    return shown;
}

std::string RunLog::Finish() {
    std::string shown = m_partial.empty() ? "" : Line(m_partial, 0);
    m_partial.clear();
    return shown;
}

std::string RunLog::Line(std::string_view line, char end) {
    std::string plain(line);
    const size_t tag = TagStart(line, m_lineLevel);
    if (tag != std::string_view::npos) {
        plain.erase(tag, line.find("] ", tag) + 2 - tag);
    }
    if (m_text.size() < kKeep) {
        m_text.append(plain).append(1, end ? end : '\n');
    }
    if (m_failure.empty() && TellsOfFailedWrite(plain)) {
        m_failure = plain;
    } else if (!m_damage && IsDecodeErrorLine(plain)) {
        m_damage = true;
    }
    if (const auto length = LastStatisticsTime(plain)) {
        m_length = length;
    }
    if (m_lineLevel > m_user.level) {
        return {};
    }
    std::string shown = m_user.printLevel ? std::string(line) : plain;
    return end ? shown + end : shown;
}

}  // namespace mk::toolkit
