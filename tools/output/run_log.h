// ffmpeg's messages during an encode, read at a level our ffmpeg sets: whatever level the user
// asks for (`-v quiet`, `-loglevel fatal`, `level+info`), the lines that tell of a failed write
// and the length written are seen here, and the user is shown only what their level lets through.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "readback/stream_list.h"
#include "translate/ffmpeg_options.h"

namespace mk::toolkit {

// ffmpeg's log levels: quiet -8, panic 0, fatal 8, error 16, warning 24, info 32 ... trace 56.
std::optional<int> LogLevelNamed(std::string_view word);

// What the user's -v / -loglevel options asked for (the last one counts, as in ffmpeg).
struct LogRequest {
    int level = 32;           // info, ffmpeg's default
    bool printLevel = false;  // the "level" flag: each line tagged with its level
    bool repeat = false;      // the "repeat" flag: repeated lines not folded
};

// Takes the user's -v / -loglevel options out of `items` and puts ours first: the same flags,
// "level" added, and at least info (the streams written and the length are told at info).
LogRequest TakeLogLevel(std::vector<ArgItem>& items);

// Reads the log, line by line, as ffmpeg writes it at our level.
class RunLog {
public:
    explicit RunLog(LogRequest user) : m_user(user) {}
    // Returns what of `chunk` the user's level lets through, in the user's form.
    std::string Feed(std::string_view chunk);
    // The same for a last line without its end.
    std::string Finish();

    // The first line that told of a failed write; empty when there was none.
    const std::string& Failure() const { return m_failure; }
    // The streams ffmpeg listed for its inputs and for its output.
    std::vector<StreamInfo> Read() const { return ListStreams(m_text, Section::Inputs); }
    std::vector<StreamInfo> Written() const { return ListStreams(m_text, Section::Outputs); }
    // The length of each input, as ffmpeg described them on opening.
    std::vector<std::optional<double>> InputLengths() const { return InputDurations(m_text); }
    // The length ffmpeg last reported written ("time=" of its statistics), in seconds.
    std::optional<double> LengthWritten() const { return m_length; }
    // True once ffmpeg told of damage in a source (a file cut short, broken packets).
    bool SawSourceDamage() const { return m_damage; }

private:
    std::string Line(std::string_view line, char end);

    LogRequest m_user;
    std::string m_partial;
    int m_lineLevel = 32;  // a line without a tag continues the message before it
    std::string m_failure;
    std::string m_text;  // the start of the log without tags, for the streams listed
    std::optional<double> m_length;
    bool m_damage = false;
};

}  // namespace mk::toolkit
