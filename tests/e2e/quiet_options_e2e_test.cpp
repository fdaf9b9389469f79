// The commands the program composes for each target, handed on by our ffmpeg, make the installed
// ffmpeg print no warning about the command itself, and write the very bytes the installed
// ffmpeg writes for the command as it stands.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "e2e_support.h"
#include "support/files.h"

namespace mk::e2e {
namespace {

using test::ReadFile;

struct TargetCase {
    const char* label;
    const char* options;  // after the source, as composed with the target's presets
    const char* extension;
};

void PrintTo(const TargetCase& c, std::ostream* os) {
    *os << c.label;
}

class QuietOptions : public ::testing::TestWithParam<TargetCase> {};

TEST_P(QuietOptions, NoWarningAboutTheCommandAndTheSameFile) {
    const TargetCase& c = GetParam();
    ProgramFolder folder;
    const std::string tail = std::string(" ") + c.options + " -async 1 -bitexact -y ";
    const std::string source = " -i '" + ClipPath(Clip::Mpeg4Avi) + "'";
    const std::string ours = folder.File(std::string("ours.") + c.extension);
    const std::string theirs = folder.File(std::string("theirs.") + c.extension);
    const ShellRun run =
        RunShell("'" + folder.File("ffmpeg") + "'" + source + tail + "'" + ours + "'");
    const ShellRun plain = RunShell("'" + RealFfmpeg() + "'" + source + tail + "'" + theirs + "'");
    EXPECT_EQ(run.output.find("ambiguous"), std::string::npos) << run.output;
    EXPECT_EQ(run.output.find("Multiple -"), std::string::npos) << run.output;
    ASSERT_EQ(run.exitCode, 0) << run.output;
    ASSERT_EQ(plain.exitCode, 0) << plain.output;
    EXPECT_TRUE(ReadFile(ours) == ReadFile(theirs))
        << "the output differs from the plain command's";
}

INSTANTIATE_TEST_SUITE_P(
    Targets, QuietOptions,
    ::testing::Values(
        TargetCase{"DvdPal",
                   "-target pal-dvd -b 6000000 -aspect 4:3 -s 720x576 -acodec ac3 -ab 448000 "
                   "-ac 6 -mbd 2 -qmin 2",
                   "mpg"},
        TargetCase{"DvdNtscMp2",
                   "-target ntsc-dvd -b 6000000 -aspect 16:9 -s 720x480 -acodec mp2 -ab 224000 "
                   "-ac 2 -mbd 2 -qmin 2",
                   "mpg"},
        TargetCase{"Svcd",
                   "-target pal-svcd -b 2040000 -aspect 4:3 -s 480x576 -acodec mp2 -ab 224000 "
                   "-ac 2 -mbd 2 -qmin 2",
                   "mpg"},
        TargetCase{"VcdCopy",
                   "-target ntsc-vcd -b 1150000 -aspect 4:3 -s 352x240 -acodec copy -mbd 2", "mpg"},
        TargetCase{"Mpeg4",
                   "-vcodec mpeg4 -g 240 -b 900000 -aspect 4:3 -s 352x288 -acodec libmp3lame "
                   "-ab 128000 -ac 2 -mbd 2 -vtag xvid -qmin 2",
                   "avi"},
        TargetCase{"H263",
                   "-vcodec h263 -b 200000 -aspect 4:3 -s 176x144 -acodec aac -ab 16000 -ac 1 -mbd "
                   "2 -ar 8000",
                   "3gp"}),
    [](const auto& info) { return std::string(info.param.label); });

}  // namespace
}  // namespace mk::e2e
