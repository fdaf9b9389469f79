// Shared pieces of the end-to-end tests: clips made once with the installed ffmpeg's lavfi
// sources, a program folder holding our ffmpeg and avs2yuv, and ffprobe's view of a result.
#pragma once

#include <filesystem>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "command/encoder_fields.h"
#include "platform/shell_dialect.h"
#include "support/shell.h"
#include "support/temp_dir.h"

namespace mk::e2e {

// A clip made on first use and kept beside the build's program folder for the next test run.
enum class Clip {
    H264AacMp4,       // 640x352, H.264 + AAC
    Mpeg4Avi,         // 640x352, MPEG-4 + MP3
    PortraitAvi,      // 480x640
    PalAvi,           // 720x576
    TwoAudioVob,      // MPEG-2 + mp2 (stereo, stream 1) + ac3 (mono, stream 2)
    LongMetadataMp4,  // the H.264 clip with many long metadata tags
    NavVob,           // ffmpeg's own DVD output: a navigation (data) stream first, then A/V
    Broken,           // not a video at all
};
std::string ClipPath(Clip clip);
void PrintTo(Clip clip, std::ostream* os);  // for test names

using test::Quoted;
using test::RunShell;
using test::ShellRun;

// A fresh program folder (its path holds a blank) with our ffmpeg and avs2yuv and a Conf folder;
// removed again on destruction.
class ProgramFolder {
public:
    ProgramFolder();

    // The folder with its trailing separator, as the program uses it.
    std::string Path() const { return m_dir.Folder(); }
    std::string File(const std::string& name) const { return m_dir.File(name); }

private:
    test::TempDir m_dir{"morvakelin e2e"};
};

// One stream's fields as ffprobe gives them; a field it did not give reads as "".
struct Stream : std::map<std::string, std::string> {
    // const, so that an assignment through it does not compile (it would change nothing).
    const std::string operator[](const std::string& key) const {
        const auto it = find(key);
        return it == end() ? std::string() : it->second;
    }
};

// ffprobe's streams of a file (codec_type, codec_name, width, height, display_aspect_ratio,
// sample_rate, channels, nb_read_frames when `countFrames`); data streams left out.
std::vector<Stream> ProbeStreams(const std::string& file, bool countFrames = false);

// The first stream of a type ("video", "audio"); empty when there is none.
Stream FirstOf(const std::vector<Stream>& streams, const std::string& type);

int CountOf(const std::vector<Stream>& streams, const std::string& type);

// What Generate shows for the fields, the source's audio codec being `audioCodec`.
std::string GenerateWithCodec(const ShellDialect& d, const std::string& folder, EncoderFields& f,
                              const std::string& audioCodec);

// The installed ffmpeg, as our tools find it.
std::string RealFfmpeg();

}  // namespace mk::e2e
