#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "probe/report_parser.h"
#include "probe/report_text.h"
#include "support/files.h"
#include "support/temp_dir.h"

namespace mk {
namespace {

const std::string kReports = std::string(MORVAKELIN_TEST_DATA) + "/reports/";

TEST(ReportText, PositionFirstAndLastClamp) {
    EXPECT_EQ(Position("abcabc", "bc"), 1);
    EXPECT_EQ(Position("abc", "abc"), 0);
    EXPECT_EQ(Position("abc", "d"), -1);
    EXPECT_EQ(Position("ab", "abc"), -1);
    EXPECT_EQ(Position("Audio", "audio"), -1);  // case counts

    const struct {
        long long n;
        std::string last, first;
    } cases[] = {
        {2, "ef", "ab"},          {0, "", ""},           {-3, "", ""}, {6, "abcdef", "abcdef"},
        {99, "abcdef", "abcdef"}, {5, "bcdef", "abcde"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(LastN("abcdef", c.n), c.last) << c.n;
        EXPECT_EQ(FirstN("abcdef", c.n), c.first) << c.n;
    }
}

struct ParseCase {
    const char* name;
    std::string report;
    std::string sourceInfo;
    double width, height;
};

TEST(ParseProbeText, FailureRows) {
    const ParseCase cases[] = {
        {"empty report", "", "  ", 0, 0},
        {"no Duration: excerpt from the top",
         "Stream #0.0: Video: mpeg4, yuv420p, 640x352, 25 fps\nMust supply at least one\n",
         "  Stream #0.0: Video: mpeg4, yuv420p, 640x352, 25 fps\n", 640, 352},
        {"no Must supply: two blanks only",
         "  Duration: 00:00:01.0\n  Stream #0.0: Video: mpeg4, yuv420p, 640x352, 25 fps\n", "  ",
         640, 352},
        {"no Video: cut from the report less 6 characters", "Input #0, avi, 320x240 junk, more",
         "  ", 320, 240},
        {"no comma after Video:", "  Duration: 1\n  Stream #0.0: Video: mpeg4\nMust supply",
         "  Duration: 1\n  Stream #0.0: Video: mpeg4\n", 0, 0},
        {"one field only after Video:", "Video: mpeg4, 640x352\n", "  ", 0, 0},
        {"no x in the size field", "Video: rawvideo, yuv420p, 576 lines, 25 fps", "  ", 0, 576},
        {"marker at the very end", "Duration: x Must supply Video:", "  Duration: x ", 0, 0},
        {"stream id before the marker",
         "Stream #0.0[0x1e0]: Video: mpeg2video, yuv420p, 720x576 [PAR 64:45 DAR 16:9], 9800 "
         "kb/s, 25.00 tb(r)\n",
         "  ", 720, 576},
        {"ffmpeg's complaint about the source is shown",
         "[avi @ 0x1] Format avi detected only with low score of 1\n/v/a.avi: Invalid data found "
         "when processing input\n",
         "  /v/a.avi: Invalid data found when processing input", 0, 0},
        {"so is the shell's", "sh: 1: /opt/mk/ffmpeg: not found\n",
         "  sh: 1: /opt/mk/ffmpeg: not found", 0, 0},
        {"and a missing source", "/v/gone.avi: No such file or directory\n",
         "  /v/gone.avi: No such file or directory", 0, 0},
        // A banner cut at the read limit ends inside a line, and no banner line is a complaint.
        {"cut banner", "ffmpeg version 7.1\n--enable-gpl --enable-libx264 --enable-libx2", "  ", 0,
         0},
        {"banner line at the end", "ffmpeg version 7.1\n--enable-gpl --enable-libx264\n", "  ", 0,
         0},
    };
    for (const auto& c : cases) {
        const ProbeFacts facts = ParseProbeText(c.report);
        EXPECT_EQ(facts.sourceInfo, c.sourceInfo) << c.name;
        EXPECT_EQ(facts.width, c.width) << c.name;
        EXPECT_EQ(facts.height, c.height) << c.name;
    }
}

TEST(SourceAudioCodecFromText, FirstAudioLineUpToTheComma) {
    const struct {
        std::string report, codec;
    } cases[] = {
        {"Stream #0.1[0x80]: Audio: ac3, 48000 Hz, 5.1, s16, 448 kb/s\n", "ac3"},
        {"Stream #0.1: Audio: mp2, 48000 Hz\nStream #0.2: Audio: ac3, 48000 Hz\n", "mp2"},
        {"", ""},
        {"no marker and no comma", ""},
        {"Stream #0.1: Audio: ac3\n", ""},
        // Without "Audio:" the report less its first 6 characters is cut instead.
        {"Input #0, avi, from 'x.avi':\n", "#0"},
        {"Audio:pcm, 8000 Hz", "cm"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SourceAudioCodecFromText(c.report), c.codec) << c.report;
    }
}

TEST(ProbeReportFiles, SampleReports) {
    const struct {
        const char* file;
        double width, height;
        std::string codec;
    } cases[] = {
        {"probe_avi_mpeg4.txt", 640, 352, "mp3"},
        {"probe_vob_streams.txt", 720, 576, "ac3"},  // first of two video and two audio streams
        {"probe_no_audio_crlf.txt", 352, 288, " version SVN-r9102"},
        // Stream lines beyond byte 1800 count as missing.
        {"probe_long_banner.txt", 0, 0, " version SVN-r9102"},
    };
    for (const auto& c : cases) {
        const std::string path = kReports + c.file;
        const auto report = ReadProbeReport(path);
        ASSERT_TRUE(report.has_value()) << path;
        const ProbeFacts facts = ParseProbeText(*report);
        EXPECT_EQ(facts.width, c.width) << c.file;
        EXPECT_EQ(facts.height, c.height) << c.file;
        EXPECT_EQ(GetSourceAudioCodec(path), c.codec) << c.file;
    }
}

TEST(ProbeReportFiles, SourcePropertiesExcerpt) {
    const auto report = ReadProbeReport(kReports + "probe_avi_mpeg4.txt");
    ASSERT_TRUE(report.has_value());
    EXPECT_EQ(ParseProbeText(*report).sourceInfo,
              "  Duration: 00:01:30.0, start: 0.000000, bitrate: 1105 kb/s\n"
              "  Stream #0.0: Video: mpeg4, yuv420p, 640x352 [PAR 1:1 DAR 20:11], 25.00 tb(r)\n"
              "  Stream #0.1: Audio: mp3, 48000 Hz, stereo, 128 kb/s\n");

    const auto crlf = ReadProbeReport(kReports + "probe_no_audio_crlf.txt");
    ASSERT_TRUE(crlf.has_value());
    const std::string info = ParseProbeText(*crlf).sourceInfo;
    EXPECT_EQ(info.substr(0, 11), "  Duration:");
    EXPECT_EQ(info.substr(info.size() - 7), "tb(r)\r\n");
}

TEST(ProbeReportFiles, LongBannerIsReadOnlyTo1800Bytes) {
    const std::string path = kReports + "probe_long_banner.txt";
    const auto cut = ReadProbeReport(path);
    ASSERT_TRUE(cut.has_value());
    EXPECT_EQ(cut->size(), 1800u);
    EXPECT_EQ(ParseProbeText(*cut).sourceInfo, "  ");
    // The whole file does describe the source: only the cut hides it.
    const auto whole = ReadProbeReport(path, 1 << 16);
    ASSERT_TRUE(whole.has_value());
    EXPECT_EQ(ParseProbeText(*whole).width, 720);
    EXPECT_EQ(SourceAudioCodecFromText(*whole), "ac3");
}

class ProbeReportTempFiles : public ::testing::Test {
protected:
    std::string Write(const std::string& name, const std::string& bytes) {
        return test::WriteFile(m_dir / name, bytes);
    }

    test::TempDir m_temp{"mk_report"};
    std::filesystem::path m_dir = m_temp.Path();
};

TEST_F(ProbeReportTempFiles, MissingOrUnreadableReport) {
    EXPECT_FALSE(ReadProbeReport((m_dir / "absent.txt").string()).has_value());
    EXPECT_EQ(GetSourceAudioCodec((m_dir / "absent.txt").string()), "");
    // A folder where the report should be is no report either.
    EXPECT_FALSE(ReadProbeReport(m_dir.string()).has_value());
    EXPECT_EQ(GetSourceAudioCodec(m_dir.string()), "");
}

TEST_F(ProbeReportTempFiles, ZeroByteEndsTheText) {
    const std::string bytes = std::string("  Duration: 1\n\0", 15) +
                              "  Stream #0.0: Video: mpeg4, yuv420p, 640x352, 25\n"
                              "  Stream #0.1: Audio: mp2, 48000 Hz\nMust supply\n";
    const auto report = ReadProbeReport(Write("zero.txt", bytes));
    ASSERT_TRUE(report.has_value());
    EXPECT_EQ(*report, "  Duration: 1\n");
    const ProbeFacts facts = ParseProbeText(*report);
    EXPECT_EQ(facts.width, 0);
    EXPECT_EQ(facts.sourceInfo, "  ");
    EXPECT_EQ(GetSourceAudioCodec(Write("zero.txt", bytes)), "");
}

TEST_F(ProbeReportTempFiles, MarkerMustEndWithinByte1800) {
    const std::string head =
        "Duration: 1\n  Stream #0.0: Video: mpeg4, yuv420p, 640x352, 25\n"
        "  Stream #0.1: Audio: mp2, 48000 Hz\n";
    const std::string marker = "Must supply";
    for (std::size_t extra : {0u, 1u}) {
        const std::string padding(1800 - head.size() - marker.size() + extra, '.');
        const std::string text = head + padding + marker + " at least one output file\n";
        const auto report = ReadProbeReport(Write("edge.txt", text));
        ASSERT_TRUE(report.has_value());
        const std::string info = ParseProbeText(*report).sourceInfo;
        if (extra == 0) {
            EXPECT_EQ(info, "  " + head + padding) << "marker ends at byte 1800";
        } else {
            EXPECT_EQ(info, "  ") << "marker ends at byte 1801";
        }
    }
}

}  // namespace
}  // namespace mk
