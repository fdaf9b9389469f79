// Reports captured from ffmpeg 4.4, 5.1 and 7 rewritten into the layout the program reads, and
// then read by the program's own probe reader.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "probe/report_parser.h"
#include "support/files.h"
#include "translate/probe_report.h"

namespace mk::toolkit {
namespace {

std::string ReadData(const std::string& name) {
    return test::ReadFile(std::string(MORVAKELIN_TEST_DATA) + "/reports/" + name);
}

struct Sample {
    const char* file;
    double width, height;
    const char* audioCodec;
};

void PrintTo(const Sample& s, std::ostream* os) {
    *os << s.file;
}

class RewrittenReport : public ::testing::TestWithParam<Sample> {};

TEST_P(RewrittenReport, ReadsBackWithinTheFirst1800Bytes) {
    const Sample& s = GetParam();
    const std::string raw = ReadData(s.file);
    ASSERT_FALSE(raw.empty()) << s.file;
    const ProbeReport report = RewriteProbeReport(raw);
    ASSERT_TRUE(report.describedInput);
    const std::string seen = report.text.substr(0, 1800);
    for (const char* marker : {"Duration:", "Video:", "Audio:", "Must supply"})
        EXPECT_NE(seen.find(marker), std::string::npos) << marker << " in\n" << report.text;
    EXPECT_EQ(seen.find("Metadata:"), std::string::npos);
    EXPECT_EQ(seen.find("Side data"), std::string::npos);
    EXPECT_EQ(seen.find(" @ 0x"), std::string::npos);
    EXPECT_EQ(seen.find("Stream #0:"), std::string::npos);
    const ProbeFacts facts = ParseProbeText(seen);
    EXPECT_EQ(facts.width, s.width);
    EXPECT_EQ(facts.height, s.height);
    EXPECT_EQ(SourceAudioCodecFromText(seen), s.audioCodec);
    // The closing line is the last one, and the excerpt shown starts at the duration.
    EXPECT_EQ(report.text.substr(report.text.rfind('\n', report.text.size() - 2) + 1),
              "Must supply at least one output file\n");
    EXPECT_EQ(facts.sourceInfo.substr(0, 11), "  Duration:");
}

INSTANTIATE_TEST_SUITE_P(
    Samples, RewrittenReport,
    ::testing::Values(Sample{"h264_aac_mp4.txt", 640, 352, "aac"},
                      Sample{"mpeg2_two_audio_vob.txt", 640, 352, "mp2"},
                      Sample{"mpeg4_mp3_avi.txt", 640, 352, "mp3"},
                      Sample{"mpegts_programs.txt", 320, 240, "ac3"},
                      Sample{"mkv_chapters_long_metadata.txt", 320, 240, "vorbis"},
                      Sample{"ffmpeg4_mkv_subtitles_cover.txt", 1920, 800, "dts"},
                      Sample{"ffmpeg7_mp4_rotated.txt", 1920, 1080, "aac"}));

TEST(RewriteStreamLine, OldLayout) {
    struct Line {
        const char* in;
        const char* out;
    } lines[] = {
        {"  Stream #0:1[0x2](und): Audio: aac (LC) (mp4a / 0x6134706D), 48000 Hz, stereo, fltp, "
         "128 kb/s (default)",
         "    Stream #0.1[0x2]: Audio: aac, 48000 Hz, stereo, fltp, 128 kb/s"},
        {"  Stream #0:0[0x1e0]: Video: mpeg2video (Main), yuv420p(tv, bt709, progressive), "
         "720x576 [SAR 64:45 DAR 16:9], 25 fps, 25 tbr, 90k tbn",
         "    Stream #0.0[0x1e0]: Video: mpeg2video, yuv420p, 720x576 [SAR 64:45 DAR 16:9], 25 "
         "fps, 25 tbr, 90k tbn"},
        {"  Stream #0:1(ger): Audio: dts (DTS), 48000 Hz, 5.1(side), fltp, 1536 kb/s (default)",
         "    Stream #0.1(ger): Audio: dts, 48000 Hz, 5.1, fltp, 1536 kb/s"},
        {"  Stream #0:0: Video: h264 (High 10), yuv420p10le(tv, bt2020nc/bt2020/smpte2084), "
         "3840x2160",
         "    Stream #0.0: Video: h264, yuv420p10le, 3840x2160"},
        {"  Stream #0:2: Video: mjpeg (Baseline), yuvj420p(pc, bt470bg/unknown/unknown), 600x600 "
         "[SAR 1:1 DAR 1:1], 90k tbr, 90k tbn (attached pic)",
         "    Stream #0.2: Video: mjpeg, yuvj420p, 600x600 [SAR 1:1 DAR 1:1], 90k tbr, 90k tbn"},
        {"  Stream #0:1: Audio: pcm_s16le ([1][0][0][0] / 0x0001), 44100 Hz, 2 channels, s16, "
         "1411 kb/s",
         "    Stream #0.1: Audio: pcm_s16le, 44100 Hz, 2 channels, s16, 1411 kb/s"},
    };
    for (const Line& l : lines)
        EXPECT_EQ(RewriteStreamLine(l.in), l.out);
}

TEST(DropParenthesised, NestedAndUnbalanced) {
    EXPECT_EQ(DropParenthesised("a (b (c) d) e"), "a e");
    EXPECT_EQ(DropParenthesised("h264 (High) (avc1 / 0x31), yuv420p(tv, bt709), 1x1"),
              "h264, yuv420p, 1x1");
    EXPECT_EQ(DropParenthesised("stray ) paren"), "stray ) paren");
    EXPECT_EQ(DropParenthesised("open (never closed, 640x480"), "open (never closed, 640x480");
}

TEST(RewriteProbeReport, UnreadableSourceKeepsFfmpegsWordsWithoutDuration) {
    const std::string raw = ReadData("unreadable_avi.txt");
    const ProbeReport report = RewriteProbeReport(raw);
    EXPECT_FALSE(report.describedInput);
    EXPECT_NE(report.text.find("Invalid data found when processing input"), std::string::npos);
    EXPECT_EQ(report.text.find("Duration:"), std::string::npos);
    EXPECT_EQ(report.text.find("Must supply"), std::string::npos);
    EXPECT_EQ(report.text.find("Trailing option"), std::string::npos);
}

TEST(RewriteProbeReport, CrLfAndChaptersBetweenDurationAndStreams) {
    std::string raw =
        "Input #0, matroska,webm, from 'x.mkv':\r\n"
        "  Duration: 00:10:00.00, start: 0.000000, bitrate: 900 kb/s\r\n"
        "  Chapters:\r\n"
        "    Chapter #0:0: start 0.000000, end 60.000000\r\n"
        "      Metadata:\r\n"
        "        title           : One\r\n"
        "  Stream #0:0: Video: vp9 (Profile 0), yuv420p(tv), 1280x720, SAR 1:1 DAR 16:9, 25 fps\r\n"
        "At least one output file must be specified\r\n";
    const ProbeReport report = RewriteProbeReport(raw);
    EXPECT_EQ(report.text,
              "Input #0, matroska,webm, from 'x.mkv':\n"
              "  Duration: 00:10:00.00, start: 0.000000, bitrate: 900 kb/s\n"
              "    Stream #0.0: Video: vp9, yuv420p, 1280x720, SAR 1:1 DAR 16:9, 25 fps\n"
              "Must supply at least one output file\n");
}

}  // namespace
}  // namespace mk::toolkit
