// Which of ffmpeg's lines tell of a damaged source, and how a long line is shortened.
#include <gtest/gtest.h>

#include <string>

#include "jobs/decode_errors.h"

namespace mk {
namespace {

TEST(JobsDecodeErrors, DamageLinesCountAndOrdinaryLinesDoNot) {
    const struct {
        const char* line;
        bool counts;
    } cases[] = {
        {"[mov,mp4,m4a,3gp,3g2,mj2 @ 0x55] stream 0, offset 0x22c9: partial file", true},
        {"Error while decoding stream #0:0: Invalid data found when processing input", true},
        {"/v/cut.avi: corrupt input packet in stream 0", true},
        {"[h264 @ 0x55] Invalid NAL unit size (376 > 321).", true},
        {"[mpeg4 @ 0x55] ac-tex damaged at 1 10", true},
        {"[mp3float @ 0x55] Header missing", true},
        {"frame=   38 fps=0.0 q=2.0 size=     256kB time=00:00:01.52 bitrate=1379.8kbits/s", false},
        {"Please use -b:a or -b:v, -b is ambiguous", false},
        {"video:198kB audio:80kB subtitle:0kB other streams:0kB muxing overhead: 4.775020%", false},
        {"    title           : Trial and Error", false},  // metadata says what it likes
        {"", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsDecodeErrorLine(c.line), c.counts) << c.line;
    }
}

TEST(JobsDecodeErrors, LongLinesKeepTheirStartAndTheirReason) {
    const std::string line =
        "[out @ 0x1] /home/u/" + std::string(3000, 'p') + "/out.mpg: No space left on device";
    const std::string shown = ShortenMiddle(line, 400);
    EXPECT_EQ(shown.size(), 400u);
    EXPECT_TRUE(shown.starts_with("[out @ 0x1] /home/u/")) << shown;
    EXPECT_TRUE(shown.ends_with("/out.mpg: No space left on device")) << shown;
    EXPECT_EQ(ShortenMiddle("short", 400), "short");

    DecodeErrors errors(2, 400);
    for (int i = 0; i < 5; ++i) {
        errors.Take("frame=  1");
        errors.Take(line + " partial file");
    }
    EXPECT_EQ(errors.Count(), 5u);
    ASSERT_EQ(errors.Kept().size(), 2u);
    EXPECT_TRUE(errors.Kept()[0].ends_with("partial file"));
}

}  // namespace
}  // namespace mk
