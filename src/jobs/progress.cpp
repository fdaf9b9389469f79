#include "jobs/progress.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace mk {

namespace {

// ffmpeg's status lines are short; anything longer than this without a line end is not one of
// them, and keeping it would only let a runaway writer grow our memory.
constexpr std::size_t kMaxLine = 64 * 1024;

// A time left is shown once the encode has made progress for this long and done this much.
constexpr double kMinProgressSeconds = 2.0;
constexpr double kMinFraction = 0.03;
// How quickly the smoothed speed follows the measured one, and the time shown its estimate.
constexpr double kSpeedSeconds = 4.0;
constexpr double kShownSeconds = 3.0;

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Reads digits from `text` at `pos`; false when there are none.
bool ReadNumber(std::string_view text, std::size_t& pos, double& value) {
    const std::size_t start = pos;
    value = 0;
    while (pos < text.size() && IsDigit(text[pos])) {
        value = value * 10 + (text[pos] - '0');
        ++pos;
    }
    return pos > start;
}

}  // namespace

std::optional<double> ParseClock(std::string_view text) {
    std::size_t pos = 0;
    bool negative = false;
    if (pos < text.size() && text[pos] == '-') {
        negative = true;
        ++pos;
    }
    double hours = 0, minutes = 0, seconds = 0;
    if (!ReadNumber(text, pos, hours) || pos >= text.size() || text[pos++] != ':') {
        return std::nullopt;
    }
    if (!ReadNumber(text, pos, minutes) || pos >= text.size() || text[pos++] != ':') {
        return std::nullopt;
    }
    if (!ReadNumber(text, pos, seconds)) {
        return std::nullopt;
    }
    if (pos < text.size() && text[pos] == '.') {
        ++pos;
        double scale = 0.1;
        while (pos < text.size() && IsDigit(text[pos])) {
            seconds += (text[pos] - '0') * scale;
            scale /= 10;
            ++pos;
        }
    }
    const double total = hours * 3600 + minutes * 60 + seconds;
    return negative ? -total : total;
}

std::string FormatClock(double seconds) {
    long total = seconds > 0 ? std::lround(seconds) : 0;
    const long h = total / 3600;
    const long m = (total / 60) % 60;
    const long s = total % 60;
    char buffer[48];
    if (h > 0) {
        std::snprintf(buffer, sizeof buffer, "%ld:%02ld:%02ld", h, m, s);
    } else {
        std::snprintf(buffer, sizeof buffer, "%ld:%02ld", m, s);
    }
    return buffer;
}

void ProgressParser::Feed(std::string_view chunk) {
    std::size_t start = 0;
    for (std::size_t i = 0; i < chunk.size(); ++i) {
        if (chunk[i] != '\n' && chunk[i] != '\r') {
            continue;
        }
        if (m_partial.empty()) {
            ParseLine(chunk.substr(start, i - start));
        } else {
            m_partial.append(chunk.substr(start, i - start));
            ParseLine(m_partial);
            m_partial.clear();
        }
        start = i + 1;
    }
    if (start < chunk.size()) {
        if (m_partial.size() + (chunk.size() - start) > kMaxLine) {
            m_partial.clear();
        } else {
            m_partial.append(chunk.substr(start));
        }
    }
}

void ProgressParser::ParseLine(std::string_view line) {
    if (line.empty()) {
        return;
    }
    // The input's header line: "  Duration: 00:00:10.00, start: 0.000000, bitrate: ...".
    // Only the first known one counts: in a pipe the first input (the frames) may say N/A while
    // the second (the source's audio) has the length.
    if (auto at = line.find("Duration: "); at != std::string_view::npos && !m_duration) {
        auto d = ParseClock(line.substr(at + 10));
        if (d && *d > 0) {
            m_duration = d;
        }
    }
    // The status line: "frame=  250 fps= 50 q=2.0 size= 1024kB time=00:00:10.00 bitrate=...".
    // Take the last "time=" of the line; "time=N/A" leaves the position as it was.
    std::size_t at = std::string_view::npos;
    for (std::size_t p = line.find("time="); p != std::string_view::npos;
         p = line.find("time=", p + 5)) {
        if (p == 0 || line[p - 1] == ' ') {
            at = p;
        }
    }
    if (at != std::string_view::npos) {
        if (auto t = ParseClock(line.substr(at + 5))) {
            m_position = std::max(0.0, *t);
        }
    }
}

std::optional<int> ProgressParser::Percent() const {
    if (Indeterminate() || !m_duration) {
        return std::nullopt;
    }
    const double position = m_position.value_or(0);
    const double percent = std::clamp(position / *m_duration * 100.0, 0.0, 100.0);
    return static_cast<int>(percent);
}

std::optional<double> ProgressParser::SecondsLeft(double elapsedSeconds) {
    if (Indeterminate() || !m_duration || !m_position || elapsedSeconds <= 0) {
        return std::nullopt;
    }
    return m_timeLeft.Update(*m_position, *m_duration, elapsedSeconds);
}

std::optional<double> TimeLeftEstimate::Update(double position, double duration, double elapsed) {
    if (!m_firstElapsed) {
        if (position <= 0) {
            return std::nullopt;
        }
        m_firstElapsed = elapsed;
        m_firstPosition = position;
    }
    const double remaining = std::max(0.0, duration - position);
    if (!m_speed) {
        const double span = elapsed - *m_firstElapsed;
        if (span < kMinProgressSeconds || position < duration * kMinFraction ||
            position <= m_firstPosition) {
            return std::nullopt;
        }
        m_speed = (position - m_firstPosition) / span;
        m_shown = remaining / *m_speed;
        m_lastElapsed = m_lastCall = elapsed;
        m_lastPosition = position;
        return m_shown;
    }
    // Between two reports of the position the time shown simply counts down.
    m_shown = std::max(0.0, m_shown - std::max(0.0, elapsed - m_lastCall));
    m_lastCall = std::max(m_lastCall, elapsed);
    const double step = elapsed - m_lastElapsed;
    if (position != m_lastPosition && step > 0) {
        const double speed = std::max(0.0, position - m_lastPosition) / step;
        m_speed = *m_speed + (1 - std::exp(-step / kSpeedSeconds)) * (speed - *m_speed);
        m_lastElapsed = elapsed;
        m_lastPosition = position;
        if (*m_speed > 0) {
            const double estimate = remaining / *m_speed;
            m_shown += (1 - std::exp(-step / kShownSeconds)) * (estimate - m_shown);
        }
    }
    return remaining > 0 ? m_shown : 0.0;
}

}  // namespace mk
