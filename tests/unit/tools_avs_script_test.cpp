// AviSynth scripts as users write them for the AviSynth route, read into a source and ffmpeg
// filters, or refused line by line.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "avs2yuv/avs_script.h"
#include "support/files.h"

namespace mk::toolkit {
namespace {

std::string ReadScript(const std::string& name) {
    return test::ReadFile(std::string(MORVAKELIN_TEST_DATA) + "/scripts/" + name);
}

TEST(AvsScript, FiltersCommentsAndContinuations) {
    const AvsScript s = ReadAvsScript(ReadScript("filters.avs"));
    EXPECT_TRUE(s.problems.empty()) << s.problems.front();
    EXPECT_EQ(s.sourcePath, "C:\\Video\\Holiday #1.avi");
    EXPECT_EQ(s.sourceLine, 4);
    const std::vector<std::string> expected = {
        "trim=start_frame=25,setpts=PTS-STARTPTS",
        "crop=iw-16:ih-0:8:0",
        "scale=720:432:flags=lanczos",
        "pad=iw+0:ih+144:0:72:color=0x101010",
    };
    EXPECT_EQ(s.filters, expected);
}

TEST(AvsScript, ChainedCallsOnOneLine) {
    const AvsScript s = ReadAvsScript(ReadScript("chained.avs"));
    EXPECT_TRUE(s.problems.empty());
    EXPECT_EQ(s.sourcePath, "/media/films/one.mp4");
    const std::vector<std::string> expected = {
        "trim=start_frame=0:end_frame=50,setpts=PTS-STARTPTS",
        "scale=352:288:flags=bilinear",
    };
    EXPECT_EQ(s.filters, expected);
}

TEST(AvsScript, EveryLineNotUnderstoodIsReported) {
    const AvsScript s = ReadAvsScript(ReadScript("unsupported.avs"));
    EXPECT_EQ(s.sourcePath, "movie.mkv");
    ASSERT_EQ(s.problems.size(), 3u);
    EXPECT_EQ(s.problems[0].substr(0, 7), "line 2:");
    EXPECT_NE(s.problems[0].find("Tweak"), std::string::npos);
    EXPECT_EQ(s.problems[1].substr(0, 7), "line 3:");  // a second source
    EXPECT_EQ(s.problems[2].substr(0, 7), "line 4:");
}

TEST(AvsScript, FilterArguments) {
    struct Case {
        const char* line;
        const char* filter;  // empty: refused
    } cases[] = {
        {"Trim(10, 20)", "trim=start_frame=10:end_frame=21,setpts=PTS-STARTPTS"},
        {"Trim(20, 10)", ""},
        {"Trim(-1, 10)", ""},
        {"Crop(4, 6, 320, 240)", "crop=320:240:4:6"},
        {"Crop(left=4, top=6, width=-4, height=-6)", "crop=iw-8:ih-12:4:6"},
        {"Crop(-4, 0, 0, 0)", ""},
        {"Crop(4, 6, 320)", ""},
        {"crop(0, 0, 0, 0, align=true)", "crop=iw-0:ih-0:0:0"},
        {"Crop(0, 0, 0, 0, mode=1)", ""},
        {"Spline36Resize(640, 360)", "scale=640:360:flags=spline"},
        {"BicubicResize(640, 0)", ""},
        {"PointResize(640, \"360\")", ""},
        {"AddBorders(2, 4, 6, 8)", "pad=iw+8:ih+12:2:4"},
        {"AddBorders(2, 4, 6, 8, color=16711680)", "pad=iw+8:ih+12:2:4:color=0xFF0000"},
        {"AddBorders(2, 4, 6, -8)", ""},
        {"AddBorders(0, 0, 0, 0, $GG0000)", ""},
        {"ConvertToYV12", ""},
    };
    for (const Case& c : cases) {
        const AvsScript s = ReadAvsScript("AviSource(\"a.avi\")\n" + std::string(c.line) + "\n");
        if (std::string(c.filter).empty()) {
            const bool noOp = std::string(c.line) == "ConvertToYV12";
            EXPECT_EQ(s.problems.empty(), noOp) << c.line;
            EXPECT_TRUE(s.filters.empty()) << c.line;
        } else {
            EXPECT_TRUE(s.problems.empty()) << c.line << ": " << s.problems.front();
            ASSERT_EQ(s.filters.size(), 1u) << c.line;
            EXPECT_EQ(s.filters[0], c.filter);
        }
    }
}

TEST(AvsScript, SourceFilterNames) {
    for (const char* call : {"AVISource", "DirectShowSource", "FFmpegSource2", "FFVideoSource",
                             "LWLibavVideoSource", "LSMASHVideoSource", "ImageSource"}) {
        const AvsScript s = ReadAvsScript(std::string(call) + "(\"/v/a b.mp4\")");
        EXPECT_EQ(s.sourcePath, "/v/a b.mp4") << call;
        EXPECT_TRUE(s.problems.empty()) << call;
    }
    // Sound alone, or no path in quotes: no picture to render.
    for (const char* text :
         {"WavSource(\"a.wav\")", "AviSource(path)", "# only a comment", "", "AviSource(\"\")"}) {
        const AvsScript s = ReadAvsScript(text);
        EXPECT_EQ(s.sourceLine, 0) << text;
        EXPECT_FALSE(s.problems.empty()) << text;
    }
}

TEST(AvsScript, FilterBeforeTheSourceIsRefused) {
    const AvsScript s = ReadAvsScript("Trim(0, 10)\nAviSource(\"a.avi\")\n");
    ASSERT_EQ(s.problems.size(), 1u);
    EXPECT_EQ(s.problems[0].substr(0, 7), "line 1:");
}

TEST(Avs2yuvArguments, RelativeSourceFromTheScriptsFolder) {
    AvsScript s = ReadAvsScript("AviSource(\"clips/a.avi\")\nCrop(0, 8, 0, -8)\n");
    const auto args = Avs2yuvArguments(s, "/prog/", "-");
    auto valueOf = [&](const std::string& option) {
        for (size_t i = 0; i + 1 < args.size(); ++i)
            if (args[i] == option)
                return args[i + 1];
        return std::string();
    };
    EXPECT_EQ(valueOf("-i"), "/prog/clips/a.avi");
    EXPECT_EQ(valueOf("-vf"), "crop=iw-0:ih-16:0:8,format=yuv420p");
    EXPECT_EQ(valueOf("-f"), "yuv4mpegpipe");
    EXPECT_EQ(args.back(), "-");
    EXPECT_EQ(std::count(args.begin(), args.end(), "-y"), 0);

    s.sourcePath = "/abs/b.avi";
    const auto toFile = Avs2yuvArguments(s, "/prog", "out.y4m");
    EXPECT_EQ(toFile.back(), "out.y4m");
    EXPECT_EQ(std::count(toFile.begin(), toFile.end(), "/abs/b.avi"), 1);
    EXPECT_EQ(std::count(toFile.begin(), toFile.end(), "-y"), 1);
}

}  // namespace
}  // namespace mk::toolkit
