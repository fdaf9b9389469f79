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
    // Estimated seconds left, given the wall time since the command started; nullopt when unknown.
    std::optional<double> SecondsLeft(double elapsedSeconds) const;

private:
    void ParseLine(std::string_view line);

    bool m_batch;
    std::string m_partial;  // text of a line not yet ended
    std::optional<double> m_duration;
    std::optional<double> m_position;
};

}  // namespace mk
