// The last look at an output ffmpeg called a success: opened as a player would open it, it must
// show each video and audio stream ffmpeg said it wrote, with the same codec.
#pragma once

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
    // Hands it `file` and returns the streams it found; `why` as for OpenAsPlayersWould.
    std::vector<StreamInfo> Read(const std::string& file, std::string& why);
    // Ends the reader; the destructor does the same.
    void Close();

private:
    ShellProcess m_reader;
    int m_list = -1;  // the pipe's end the list is written to
};

// Opens `file` with the installed ffmpeg (the demuxers and stream search ffprobe uses) and
// returns its streams; `why` gets ffmpeg's last line when it cannot read the file.
std::vector<StreamInfo> OpenAsPlayersWould(const std::string& ffmpeg, const std::string& file,
                                           std::string& why);

}  // namespace mk::toolkit
