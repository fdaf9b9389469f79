// The last look at an output ffmpeg called a success: read through to its end as a player would
// read it, it must show each video and audio stream ffmpeg said it wrote, with the same codec,
// and hold the length that was asked for (or, where that is not known, that ffmpeg wrote).
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/process_runner.h"
#include "readback/stream_list.h"

namespace mk::toolkit {

// `written`: the streams ffmpeg listed for the output; `found`: what opening the file showed.
// Empty when each written video and audio stream is found with its codec; otherwise what is
// missing, for a message. With nothing listed (a quiet log level), one stream must be there.
std::string MissingFromOutput(const std::vector<StreamInfo>& written,
                              const std::vector<StreamInfo>& found);

// The length a whole output holds: what the command asked for or, where that cannot be known,
// what ffmpeg reported writing.
struct ExpectedLength {
    std::optional<double> seconds;
    bool asked = false;  // from the command and its inputs rather than from ffmpeg's report
    double slack = 0.5;  // how far short a whole output may still end
};

// Empty when `found` (seconds read back) comes within the slack of `expected`; otherwise what
// is missing, for a message. An unknown length passes: nothing was written to compare with.
std::string ShortOf(const ExpectedLength& expected, std::optional<double> found);

// What reading a result back showed.
struct ReadResult {
    std::vector<StreamInfo> streams;
    std::optional<double> length;  // seconds of packets read through to the end
    std::string why;               // ffmpeg's last line when it found no stream
};

// The reader of a result, started before the result is written so that loading ffmpeg costs the
// encode no time: it waits on a pipe (its descriptor 3) for the name of the file to read, as a
// concat list.
class ReadBack {
public:
    ReadBack() = default;
    ~ReadBack();
    ReadBack(const ReadBack&) = delete;
    ReadBack& operator=(const ReadBack&) = delete;

    // False when no pipe or process could be made; OpenAsPlayersWould then does the same later.
    bool Start(const std::string& ffmpeg);
    // Hands it `file` and returns what it found.
    ReadResult Read(const std::string& file);
    // Ends the reader; the destructor does the same.
    void Close();

private:
    ShellProcess m_reader;
    int m_list = -1;  // the pipe's end the list is written to
};

// Reads `file` through with the installed ffmpeg (the demuxers and stream search ffprobe uses,
// every packet copied to nothing).
ReadResult OpenAsPlayersWould(const std::string& ffmpeg, const std::string& file);

// The streams of the inputs ffmpeg reads from files (not "-" nor pipes), each with the number of
// its input on the command line.
std::vector<StreamInfo> InputStreams(const std::string& ffmpeg,
                                     const std::vector<std::string>& inputs);

}  // namespace mk::toolkit
