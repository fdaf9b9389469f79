// Reads ffmpeg's running commentary on stderr and turns it into a percentage and a time left.
// ffmpeg announces each input's length ("Duration: 00:01:30.04") and then rewrites one status line
// with carriage returns ("... time=00:00:12.50 bitrate=..."). The parser is fed raw chunks as they
// arrive, so a line may be split anywhere between two chunks.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace mk {

// "HH:MM:SS.ss" (hours may have any number of digits, fraction optional) to seconds; a leading '-'
// gives a negative value. nullopt for anything else, "N/A" included.
std::optional<double> ParseClock(std::string_view text);

// Seconds as "M:SS" below an hour, else "H:MM:SS"; negative values count as 0.
std::string FormatClock(double seconds);

// A time left worth showing. None until the encode has made progress for a few seconds and done
// a few percent (before that its speed is mostly start-up: opening files, filling buffers); then
// the speed is smoothed over several seconds and the time shown counts down, moving only part of
// the way to each new estimate, so it never leaps.
class TimeLeftEstimate {
public:
    // Position and duration in media seconds, `elapsed` in wall seconds since the start.
    std::optional<double> Update(double position, double duration, double elapsed);

private:
    std::optional<double> m_firstElapsed;  // when progress was first seen, and where it stood
    double m_firstPosition = 0;
    double m_lastElapsed = 0;  // of the last position change
    double m_lastPosition = 0;
    double m_lastCall = 0;
    std::optional<double> m_speed;  // media seconds per wall second, smoothed
    double m_shown = 0;
};

class ProgressParser {
public:
    // A batch runs several encodes one after another, each with its own duration and a clock that
    // starts again at 0: no single percentage describes that, so a batch stays indeterminate.
    explicit ProgressParser(bool batch = false) : m_batch(batch) {}

    void Feed(std::string_view chunk);

    // The first known input duration, in seconds.
    std::optional<double> Duration() const { return m_duration; }
    // The position of the last status line, in seconds (negative positions count as 0).
    std::optional<double> Position() const { return m_position; }
    // A batch has no one percentage.
    bool Indeterminate() const { return m_batch; }

    // 0 to 100, or nullopt when unknown.
    std::optional<int> Percent() const;
    // Estimated seconds left, given the wall time since the command started; nullopt while it is
    // unknown or not yet meaningful (see TimeLeftEstimate). Call it as time goes on.
    std::optional<double> SecondsLeft(double elapsedSeconds);

private:
    void ParseLine(std::string_view line);

    bool m_batch;
    std::string m_partial;  // text of a line not yet ended
    std::optional<double> m_duration;
    std::optional<double> m_position;
    TimeLeftEstimate m_timeLeft;
};

}  // namespace mk
