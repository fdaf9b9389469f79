// Audio-only outputs whose named container cannot hold the codec get one that can, under the
// same name; a video target's container that refuses a codec still fails as ffmpeg makes it.
#include <gtest/gtest.h>

#include <filesystem>

#include "e2e_support.h"

namespace mk::e2e {
namespace {

namespace fs = std::filesystem;

struct FitCase {
    const char* label;
    Clip clip;
    const char* options;  // between the source and the output, as the program composes them
    const char* output;
    const char* codec;  // what ffprobe finds in the output; "" : the run must fail
    bool noted;         // our ffmpeg says the container was changed
};

void PrintTo(const FitCase& c, std::ostream* os) {
    *os << c.label;
}

class ContainerFit : public ::testing::TestWithParam<FitCase> {};

TEST_P(ContainerFit, OutputHoldsItsCodecOrTheRunFails) {
    const FitCase& c = GetParam();
    ProgramFolder folder;
    const std::string out = folder.File(c.output);
    const ShellRun run = RunShell("'" + folder.File("ffmpeg") + "' -i '" + ClipPath(c.clip) + "' " +
                                  c.options + " -async 1 -y '" + out + "'");
    const bool noted = run.output.find("is written as") != std::string::npos;
    EXPECT_EQ(noted, c.noted) << run.output;
    if (*c.codec == '\0') {
        EXPECT_NE(run.exitCode, 0) << run.output;
        EXPECT_FALSE(fs::exists(out));
        return;
    }
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(FirstOf(ProbeStreams(out), "audio")["codec_name"], c.codec);
}

constexpr const char* kAac = "-vn -acodec libfaac -ab 128000 -ac 2";
constexpr const char* kCopy = "-vn -acodec copy";

INSTANTIATE_TEST_SUITE_P(
    Containers, ContainerFit,
    ::testing::Values(FitCase{"AacIntoMp2", Clip::Mpeg4Avi, kAac, "a.mp2", "aac", true},
                      FitCase{"AacIntoMp3", Clip::Mpeg4Avi, kAac, "a.mp3", "aac", true},
                      FitCase{"CopyAacIntoMp2", Clip::H264AacMp4, kCopy, "a.mp2", "aac", true},
                      FitCase{"CopyAc3IntoMp2", Clip::TwoAudioVob, "-vn -acodec copy -map 0.2",
                              "a.mp2", "ac3", true},
                      FitCase{"CopyMp3IntoMp2", Clip::Mpeg4Avi, kCopy, "a.mp2", "mp3", true},
                      FitCase{"CopyMp2IntoMp2", Clip::TwoAudioVob, "-vn -acodec copy -map 0.1",
                              "a.mp2", "mp2", false},
                      FitCase{"DvdRefusesAac", Clip::Mpeg4Avi,
                              "-target pal-dvd -b 6000000 -acodec libfaac -ab 128000", "v.mpg", "",
                              false},
                      FitCase{"DvdWithAc3", Clip::Mpeg4Avi,
                              "-target pal-dvd -b 6000000 -acodec ac3 -ab 448000", "v.mpg", "ac3",
                              false}),
    [](const auto& info) { return std::string(info.param.label); });

}  // namespace
}  // namespace mk::e2e
