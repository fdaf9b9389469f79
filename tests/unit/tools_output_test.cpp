// How our ffmpeg reads the output of a command before running it: which container ffmpeg will
// write, whether it can hold the audio, which streams ffmpeg lists, and which names are files.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "container/container_fit.h"
#include "output/run_log.h"
#include "output/safe_output.h"
#include "readback/asked_length.h"
#include "readback/output_check.h"
#include "readback/stream_list.h"
#include "support/temp_dir.h"

namespace mk::toolkit {
namespace {

std::vector<ArgItem> Items(const std::string& line) {
    std::istringstream in(line);
    std::vector<std::string> words;
    for (std::string w; in >> w;)
        words.push_back(w);
    return SplitArguments(words);
}

TEST(ToolsOutput, StreamLinesOfEachFfmpegVersion) {
    const std::string text =
        "Input #0, mpeg, from 'in.vob':\n"
        "  Duration: 00:00:01.00, start: 0.5, bitrate: 2000 kb/s\n"
        "  Stream #0:0[0x1e0]: Video: mpeg2video (Main), yuv420p(tv, progressive), 640x352\n"
        "  Stream #0:1[0x1c0]: Audio: mp2, 48000 Hz, stereo, fltp, 384 kb/s\n"
        "  Stream #0:2[0x80]: Audio: ac3, 48000 Hz, 5.1(side), fltp, 448 kb/s\n"
        "  Stream #0.3: Audio: dts, 48000 Hz, 3 channels, s16\n"
        "[mpeg @ 0x55] a warning between the lines\n"
        "  Stream #0:4(und): Subtitle: dvd_subtitle\n"
        "Output #0, mp2, to 'o.mp2':\n"
        "  Stream #0:0: Audio: aac (LC), 48000 Hz, mono, fltp, 128 kb/s\n"
        "Stream mapping:\n"
        "  Stream #0:1 -> #0:0 (mp2 (native) -> aac (native))\n";
    std::string inputs;
    for (const StreamInfo& s : ListStreams(text, Section::Inputs))
        inputs += std::to_string(s.file) + ":" + std::to_string(s.index) + " " + s.kind + " " +
                  s.codec + " " + std::to_string(s.channels) + "; ";
    EXPECT_EQ(inputs,
              "0:0 Video mpeg2video 0; 0:1 Audio mp2 2; 0:2 Audio ac3 6; 0:3 Audio dts 3; "
              "0:4 Subtitle dvd_subtitle 0; ");
    const auto outputs = ListStreams(text, Section::Outputs);
    ASSERT_EQ(outputs.size(), 1u);
    EXPECT_EQ(outputs[0].codec, "aac");

    // A copy takes the mapped stream, else the one with the most channels, as ffmpeg does.
    const auto streams = ListStreams(text, Section::Inputs);
    EXPECT_EQ(CopiedAudioCodec(Items("-i in.vob -acodec copy o.mp2"), streams), "ac3");
    EXPECT_EQ(CopiedAudioCodec(Items("-i in.vob -acodec copy -map 0:1 o.mp2"), streams), "mp2");
    EXPECT_EQ(CopiedAudioCodec(Items("-i in.vob -acodec copy -map 0:a:2? o.mp2"), streams), "dts");
}

TEST(ToolsOutput, ContainerAndWhatItHolds) {
    const struct {
        const char* command;
        const char* muxer;    // what ffmpeg will write
        const char* rewrite;  // the muxer written instead; "" : none
    } cases[] = {
        {"-i s -vn -acodec libfaac o.mp2", "mp2", "adts"},
        {"-i s -vn -acodec libfaac o.MP3", "mp3", "adts"},
        {"-i s -vn -acodec ac3 o.m2a", "mp2", "ac3"},
        {"-i s -vn -acodec libmp3lame o.mp2", "mp2", "mp3"},
        {"-i s -vn -acodec mp2 o.mp2", "mp2", ""},
        {"-i s -vn o.mp2", "mp2", ""},  // the muxer's own codec
        {"-i s -vn -acodec libopus o.ac3", "ac3", "matroska"},
        {"-i s -vn -c:a aac -f adts o.mp2", "adts", ""},
        {"-i s -target pal-dvd -acodec libfaac o.mp2", "dvd", ""},  // ffmpeg's own affair
        {"-i s -acodec libfaac o.mkv", "", ""},
        {"-i s -vn -an o.mp2", "mp2", ""},
    };
    for (const auto& c : cases) {
        const std::vector<ArgItem> items = Items(c.command);
        EXPECT_EQ(OutputMuxer(items), c.muxer) << c.command;
        const std::string encoder = OutputAudioEncoder(items);
        const std::string codec = encoder == "-" ? "" : CodecOfEncoder(encoder);
        EXPECT_EQ(FitAudioContainer(OutputMuxer(items), codec, "o").muxer, c.rewrite) << c.command;
    }
}

TEST(ToolsOutput, ReadBackMustShowEachWrittenStreamWithItsCodec) {
    const StreamInfo video{0, 0, "Video", "mpeg2video"}, aac{0, 1, "Audio", "aac"};
    const StreamInfo mp2{0, 1, "Audio", "mp2"}, nav{0, 2, "Data", "dvd_nav_packet"};
    EXPECT_EQ(MissingFromOutput({video, aac}, {nav, video, aac}), "");
    // ffmpeg 4 writes AAC into a DVD stream without a word; it reads back as MPEG audio.
    EXPECT_NE(MissingFromOutput({video, aac}, {nav, video, mp2}), "");
    EXPECT_NE(MissingFromOutput({aac}, {}), "");
    EXPECT_NE(MissingFromOutput({}, {}), "");  // ffmpeg listed nothing: one stream at least
    EXPECT_EQ(MissingFromOutput({}, {mp2}), "");
}

// Whatever level the user asks for, ffmpeg runs at ours (tagged, info at least); the user sees
// what theirs lets through, and a failed write is seen in any case.
TEST(ToolsOutput, LogReadAtOurLevelShownAtTheUsers) {
    const std::string log =
        "[info] Output #0, dvd, to 'x':\n  Stream #0:0: Video: mpeg2video\n"
        "[mpeg @ 0x1] [warning] late\n[error] Error writing trailer of x\n"
        "[info] frame= 9 time=00:00:02.50 \r";
    const struct {
        const char* options;
        const char* ours;
        const char* shown;
    } cases[] = {
        {"-i a -v quiet b", "level+32", ""},
        {"-i a -loglevel fatal b", "level+32", ""},
        {"-i a b -v error", "level+32", "Error writing trailer of x\n"},
        {"-i a -v repeat+level+warning b", "repeat+level+32",
         "[mpeg @ 0x1] [warning] late\n[error] Error writing trailer of x\n"},
        {"-i a b", "level+32",
         "Output #0, dvd, to 'x':\n  Stream #0:0: Video: mpeg2video\n[mpeg @ 0x1] late\n"
         "Error writing trailer of x\nframe= 9 time=00:00:02.50 \r"},
    };
    for (const auto& c : cases) {
        std::vector<ArgItem> items = Items(c.options);
        RunLog run(TakeLogLevel(items));
        EXPECT_EQ(items.front().value, c.ours) << c.options;
        EXPECT_EQ(std::count_if(items.begin(), items.end(),
                                [](const ArgItem& i) { return i.option == "v"; }),
                  0);
        EXPECT_EQ(run.Feed(log), c.shown) << c.options;
        EXPECT_EQ(run.Failure(), "Error writing trailer of x");
        EXPECT_EQ(run.LengthWritten(), 2.5);
        EXPECT_EQ(run.Written().size(), 1u);
    }
}

// A whole output holds what its command asks for: the inputs' lengths less -ss, cut by -t or
// -to; none where the command does not tell, and then ffmpeg's own report is the measure.
TEST(ToolsOutput, LengthAskedByTheCommand) {
    const std::optional<double> none;
    const struct {
        const char* command;
        std::vector<std::optional<double>> inputs;
        std::optional<double> asked;
    } cases[] = {
        {"-i a.avi -target pal-dvd o.mpg", {60.0}, 60.0},
        {"-ss 10 -i a.avi -t 1:30 o.mpg", {60.0}, 50.0},
        {"-i a.avi -ss 00:00:05.5 -to 20 o.mpg", {60.0}, 14.5},
        {"-i a.avi -to 3 -t 500ms o.mpg", {60.0}, 0.5},
        {"-i a.avi -i b.mp3 -shortest o.mpg", {60.0, 42.0}, 42.0},
        {"-i a.avi -i b.mp3 o.mpg", {60.0, 42.0}, none},
        {"-i a.avi -vf crop=9:9,scale=720:576 -af aresample=async=1 o.mpg", {60.0}, 60.0},
        {"-i a.avi -vf scale=720:576,setpts=0.5*PTS o.mpg", {60.0}, none},
        {"-i a.avi -frames:v 10 o.mpg", {60.0}, none},
        {"-f lavfi -i testsrc -t 5 o.mpg", {none}, none},
        {"-i - -t 5 o.mpg", {60.0}, none},
        {"-i img%03d.png o.mpg", {4.0}, none},
        {"-i a.avi -t 1x o.mpg", {60.0}, none},
    };
    for (const auto& c : cases)
        EXPECT_EQ(AskedLength(Items(c.command), c.inputs), c.asked) << c.command;
    EXPECT_EQ(InputDurations("Input #0, avi, from 'a':\n  Duration: 00:01:00.50, start: 0\n"
                             "[mpeg @ 0x1] Estimating duration from bitrate, this may be wrong\n"
                             "Input #1, mpeg, from 'b':\n  Duration: 00:00:09.00, start: 0\n"
                             "Input #2, lavfi, from 'c':\n  Duration: N/A, start: 0\n"),
              (std::vector<std::optional<double>>{60.5, none, none}));
    const StreamInfo video{0, 0, "Video", "mpeg4"}, audio{0, 1, "Audio", "mp3"};
    EXPECT_TRUE(KeepsEveryKind({video, audio, {0, 2, "Data", "dvd_nav_packet"}}, {video, audio}));
    EXPECT_FALSE(KeepsEveryKind({video, audio}, {audio}));  // the video may be the longer
    EXPECT_EQ(LengthSlack(Items("-i a -g 18 -r 24000/1001 o")), 18 / (24000 / 1001.0));
    EXPECT_NE(ShortOf({2.5, true, 0.5}, 1.5), "");
    EXPECT_NE(ShortOf({2.5, false, 0.5}, none), "");
    EXPECT_EQ(ShortOf({2.5, false, 0.5}, 2.0), "");
    EXPECT_EQ(ShortOf({none, false, 0.5}, 0.0), "");
}

TEST(ToolsOutput, WhatIsWrittenAsideAndRenamed) {
    EXPECT_EQ(TemporaryPattern("d/movie.mpg"), "d/.movie.mpg.mk-XXXXXX.mpg");
    EXPECT_EQ(TemporaryPattern("movie"), ".movie.mk-XXXXXX");
    EXPECT_EQ(TemporaryPattern("a.d/.hidden"), "a.d/..hidden.mk-XXXXXX");
    for (const char* direct : {"-", "pipe:1", "/dev/null", "udp://host:1234", "img%03d.png"})
        EXPECT_FALSE(WritesRegularFile(direct, "")) << direct;
    EXPECT_FALSE(WritesRegularFile("list.m3u8", "hls"));
    for (const char* file : {"/tmp/no such folder/a.mpg", "file:a.mpg", "c:/x.mpg", "a:b/c.mpg"})
        EXPECT_TRUE(WritesRegularFile(file, "")) << file;
    const test::TempDir dir{"mk_loop"};  // a loop of links is refused, not replaced by a file
    std::filesystem::create_symlink("a", dir.Path() / "a");
    ReplaceOnSuccess aside;
    std::string why;
    EXPECT_FALSE(aside.Begin(dir.File("a"), why));
    EXPECT_TRUE(std::filesystem::is_symlink(dir.Path() / "a"));
}

}  // namespace
}  // namespace mk::toolkit
