// Planning a disc: the words of --chapters and --fit, where chapter marks fall, how the bitrate is
// corrected after a measured attempt, and what the read-back of lsdvd and vcd-info is judged by.
#include <gtest/gtest.h>

#include "disc/disc_fit.h"
#include "disc/disc_readback.h"

namespace mk::disc {
namespace {

TEST(DiscPlan, ChapterIntervalAndSizeWords) {
    const std::pair<const char*, std::optional<double>> intervals[] = {
        {"5", 300},  {"0", 0},   {"2.5", 150}, {"0:10", 10}, {"12:30", 750}, {"1:75", {}},
        {"1:5", {}}, {"-1", {}}, {"", {}},     {"5m", {}},   {"1.5:00", {}}};
    for (const auto& [text, seconds] : intervals) {
        EXPECT_EQ(ParseChapterInterval(text), seconds) << text;
    }
    const std::pair<const char*, std::uint64_t> sizes[] = {{"dvd5", 4700372992ull},
                                                           {"dvd9", 8547991552ull},
                                                           {"cd74", 773892000},
                                                           {"cd80", 836640000},
                                                           {"700M", 700000000},
                                                           {"700Mi", 734003200},
                                                           {"4.7G", 4700000000ull},
                                                           {"12k", 12000},
                                                           {"1234", 1234},
                                                           {"5x", 0},
                                                           {"G", 0},
                                                           {"0", 0}};
    for (const auto& [text, bytes] : sizes) {
        const auto size = ParseDiscSize(text);
        EXPECT_EQ(size ? size->bytes : 0, bytes) << text;
    }
    EXPECT_TRUE(SizeMismatch(*ParseDiscSize("cd80"), DiscKind::Dvd, "cd80"));
    EXPECT_FALSE(SizeMismatch(*ParseDiscSize("cd80"), DiscKind::Svcd, "cd80"));
}

TEST(DiscPlan, ChapterMarksFallOnGopStarts) {
    const double pal = GopSeconds("-mbd 2", true);  // 15 frames
    EXPECT_EQ(ChapterStarts(10, 300, pal), (std::vector<double>{0}));
    EXPECT_EQ(ChapterStarts(3.04, 1, pal), (std::vector<double>{0, 1.2, 1.8}));
    EXPECT_EQ(ChapterStarts(3, 0, pal), (std::vector<double>{0}));
    // Shorter than a GOP: one mark per GOP, never two on one.
    EXPECT_EQ(ChapterStarts(2, 0.1, pal), (std::vector<double>{0, 0.6, 1.2}));
    EXPECT_DOUBLE_EQ(GopSeconds("-g 12 -mbd 2 -g 25", true), 1.0);
    EXPECT_EQ(ChapterList({0, 1.2, 3723.5}), "0,0:00:01.200,1:02:03.500");
}

TEST(DiscPlan, RateCorrectionAimsInsideTheSize) {
    const RateLimits dvd = LimitsFor(DiscKind::Dvd, 448);
    EXPECT_LE(dvd.most + 448, 10080);
    // The encoder spent what it was asked: the rate scales to the aim, staying variable.
    const auto lower = NextRate({5000, false, 11e6, 10.3e6, 10e6, 9.6e6}, 10e6, 16, dvd);
    ASSERT_TRUE(lower);
    EXPECT_FALSE(lower->constant);
    EXPECT_LT(lower->videoKbps, 5000);
    // It spent a third of it (a picture too simple): held to the rate from now on.
    const auto held = NextRate({5000, false, 3.5e6, 3.3e6, 3.2e6, 3e6}, 10e6, 16, dvd);
    ASSERT_TRUE(held);
    EXPECT_TRUE(held->constant);
    // Already at the top: nothing more to try.
    EXPECT_FALSE(NextRate({dvd.most, true, 5e6, 4e6, 4e6, 3e6}, 10e6, 1, dvd));
    EXPECT_FALSE(FirstRate(DiscKind::Dvd, 1e6, 4, 448, 2, dvd));
    EXPECT_FALSE(
        NextRate({1150, false, 5e6, 4e6, 4e6, 3e6}, 10e6, 16, LimitsFor(DiscKind::Vcd, 224)));
}

TEST(DiscPlan, ReadBackIsJudgedTitleByTitle) {
    const std::string lsdvd =
        "Title: 01, Length: 00:00:03.040 Chapters: 02, Cells: 02, Audio streams: 01\n"
        "\tVTS: 01, TTN: 01, FPS: 25.00, Format: PAL, Aspect ratio: 4/3, Width: 720\n"
        "\tChapter: 01, Length: 00:00:01.200, Start Cell: 01\n"
        "\tChapter: 02, Length: 00:00:01.840, Start Cell: 02\n";
    DiscLayout layout;
    layout.titles = {{"title01.mpg", "a", 3.0, {0, 1.2}}};
    EXPECT_EQ(CompareDvd(ParseLsdvd(lsdvd), layout), "");
    layout.titles[0].chapters = {0, 1.8};
    EXPECT_NE(CompareDvd(ParseLsdvd(lsdvd), layout).find("chapter 2 starts at 1.200 s"),
              std::string::npos);
    layout.wide = true;
    EXPECT_NE(CompareDvd(ParseLsdvd(lsdvd), layout).find("is PAL 4/3, not PAL 16/9"),
              std::string::npos);
    layout.titles.push_back(layout.titles[0]);
    EXPECT_NE(CompareDvd(ParseLsdvd(lsdvd), layout), "");

    layout.kind = DiscKind::Vcd;
    const ReadVcd vcd = ParseVcdInfo("VCD 2.0 detected\n entries: 2\nCD-ROM TRACKS (1 - 3)\n");
    EXPECT_EQ(CompareVcd(vcd, layout), "");
    layout.kind = DiscKind::Svcd;
    EXPECT_NE(CompareVcd(vcd, layout), "");
}

}  // namespace
}  // namespace mk::disc
