// morvakelin-cli's options: what lands where, what is refused, and the exit statuses of runs
// that end before any file is touched.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "cli/cli_app.h"
#include "cli/cli_options.h"

namespace mk::cli {
namespace {

using Args = std::vector<std::string>;

Args WithFiles(Args more) {
    Args args{"--source", "/v/in.avi", "--output", "/v/out.mpg"};
    args.insert(args.end(), more.begin(), more.end());
    return args;
}

struct BadCase {
    const char* name;
    Args args;
    const char* errorPart;
};

class BadOptionsTest : public ::testing::TestWithParam<BadCase> {};

TEST_P(BadOptionsTest, IsRefusedWithOneLineAndHelpHintAndStatus2) {
    const BadCase& c = GetParam();
    const ParseResult parsed = ParseCli(c.args);
    EXPECT_FALSE(parsed.options);
    EXPECT_NE(parsed.error.find(c.errorPart), std::string::npos) << parsed.error;
    EXPECT_EQ(parsed.error.find('\n'), std::string::npos);

    std::ostringstream out, err;
    EXPECT_EQ(RunCli(c.args, "/nonexistent/", {out, err}), kExitBadOptions);
    EXPECT_TRUE(out.str().empty());
    EXPECT_EQ(err.str(), "morvakelin-cli: " + parsed.error + "\n" + HelpHint());
}

const std::string kHuge(100000, 'd');

INSTANTIATE_TEST_SUITE_P(
    Cli, BadOptionsTest,
    ::testing::Values(
        BadCase{"Unknown", WithFiles({"--colour", "red"}), "unknown option --colour"},
        BadCase{"SingleDash", WithFiles({"-y"}), "unknown option -y"},
        BadCase{"StrayWord", WithFiles({"extra"}), "give either --source and --output"},
        BadCase{"NoSource", {"--output", "/v/o.mpg"}, "missing source"},
        BadCase{"EmptySource", {"--source", "", "--output", "/v/o.mpg"}, "missing source"},
        BadCase{"NoOutput", {"--source", "/v/in.avi"}, "missing output"},
        BadCase{"NothingAtAll", {}, "missing source"},
        BadCase{"ValueMissingAtEnd", WithFiles({"--target"}), "missing value for --target"},
        BadCase{"ValueIsNextOption", WithFiles({"--width", "--print"}),
                "missing value for --width"},
        BadCase{"SourceValueMissing",
                {"--source", "--output", "/v/o.mpg"},
                "missing value for --source"},
        BadCase{"FlagWithValue", WithFiles({"--print=yes"}), "takes no value"},
        BadCase{"BitrateNotANumber", WithFiles({"--video-bitrate", "6M"}), "--video-bitrate"},
        BadCase{"NegativeChannels", WithFiles({"--channels", "-2"}), "--channels"},
        BadCase{"StreamNotANumber", WithFiles({"--audio-stream", "1;ls"}), "--audio-stream"},
        BadCase{"AspectRunsCode", WithFiles({"--aspect", "4:3;touch x"}), "--aspect"},
        BadCase{"AudioTargetRunsCode", WithFiles({"--audio-target", "$(id)"}), "--audio-target"},
        BadCase{"AspectRedirects", WithFiles({"--aspect", "4:3>x"}), "--aspect"},
        BadCase{"EmptyTarget", WithFiles({"--target="}), "--target"},
        BadCase{"TargetNotInList", WithFiles({"--target", "dvdx"}), "one of dvd, svcd"},
        BadCase{"TargetHuge", WithFiles({"--target", kHuge}), "value too long for --target"},
        BadCase{"AspectWord", WithFiles({"--aspect", "abc"}), "W:H of positive numbers"},
        BadCase{"AspectThreeParts", WithFiles({"--aspect", "4:3:2"}), "W:H of positive"},
        BadCase{"AspectZero", WithFiles({"--aspect", "0:0"}), "W:H of positive numbers"},
        BadCase{"VideoBitrateBeyond64Bits", WithFiles({"--video-bitrate", "99999999999999999999"}),
                "out of range for --video-bitrate"},
        BadCase{"VideoBitrateBitsBeyond64Bits", WithFiles({"--video-bitrate", "9223372036854776"}),
                "out of range for --video-bitrate"},
        BadCase{"AudioBitrateBitsBeyond32Bits", WithFiles({"--audio-bitrate", "2147484"}),
                "out of range for --audio-bitrate"},
        BadCase{"WidthBeyond32Bits", WithFiles({"--width", "4294967296"}),
                "out of range for --width"},
        BadCase{"ZeroSizeWithCorrectRatio",
                WithFiles({"--width", "0", "--height", "0", "--correct-ratio"}),
                "out of range for --width"},
        BadCase{"FrameTooLarge", WithFiles({"--width", "60000", "--height", "60000"}),
                "frame too large"},
        BadCase{"NoChannels", WithFiles({"--channels", "0"}), "out of range for --channels"},
        BadCase{"StreamBeyond32Bits", WithFiles({"--video-stream", "2147483648"}),
                "out of range for --video-stream"},
        BadCase{"SourcePathTooLong",
                {"--source", "/" + std::string(5000, 'a'), "--output", "/v/o.mpg"},
                "path too long for --source"},
        BadCase{"FormatNotInList", WithFiles({"--format", "secam"}), "one of pal, ntsc"},
        BadCase{"AspectBeyondInt", WithFiles({"--aspect", "99999999999999999999999"}),
                "up to 2147483647"},
        BadCase{"AspectNarrowerThanFfmpegTakes", WithFiles({"--aspect", "1:99999"}), "1:255"},
        BadCase{"VideoBitrateBeyondTheTarget", WithFiles({"--video-bitrate", "2147483648"}),
                "the dvd target takes 0 to 9000"},
        BadCase{"VcdBitrateIsFixed", WithFiles({"--target", "vcd", "--video-bitrate", "1000"}),
                "the vcd target takes 1150 to 1150"},
        BadCase{"CommandLongerThanShellTakes",
                WithFiles({"--more-options", std::string(200000, 'x')}),
                "longer than the shell can take"}),
    [](const auto& info) { return std::string(info.param.name); });

// Each value option, in both spellings, reaches its own field and no other.
struct ValueCase {
    const char* option;
    const char* value;
    Field member;
};

class ValueOptionTest : public ::testing::TestWithParam<ValueCase> {};

TEST_P(ValueOptionTest, ReachesItsMember) {
    const ValueCase& c = GetParam();
    for (const Args& extra :
         {Args{c.option, c.value}, Args{std::string(c.option) + "=" + c.value}}) {
        const ParseResult parsed = ParseCli(WithFiles(extra));
        ASSERT_TRUE(parsed.options) << parsed.error;
        EXPECT_EQ(parsed.options->Given(c.member), c.value);
        EXPECT_EQ(parsed.options->settings.size(), 1u);
    }
}

using F = Field;
INSTANTIATE_TEST_SUITE_P(
    Cli, ValueOptionTest,
    ::testing::Values(ValueCase{"--target", "mpeg4", F::Target},
                      ValueCase{"--format", "ntsc", F::Format},
                      ValueCase{"--aspect", "16:9->4:3", F::Aspect},  // a list item, '>' and all
                      ValueCase{"--aspect", "2.35", F::Aspect},
                      ValueCase{"--video-bitrate", "1500", F::VideoBitrate},
                      ValueCase{"--width", "640", F::Width},
                      ValueCase{"--height", "", F::Height},  // empty: no size option
                      ValueCase{"--audio-target", "copy", F::AudioTarget},
                      ValueCase{"--audio-bitrate", "192", F::AudioBitrate},
                      ValueCase{"--channels", "1", F::Channels},
                      ValueCase{"--video-stream", "3", F::VideoStream},
                      ValueCase{"--audio-stream", "2", F::AudioStream},
                      ValueCase{"--more-options", "-mbd 2 -trellis 1", F::MoreOptions},
                      ValueCase{"--more-options", "--strict=-2", F::MoreOptions}));

TEST(CliOptions, ListWordsInAnyCaseAreTakenInLowerCase) {
    const ParseResult parsed =
        ParseCli(WithFiles({"--target", "DVD", "--format", "Ntsc", "--audio-target", "MP3"}));
    ASSERT_TRUE(parsed.options) << parsed.error;
    EXPECT_EQ(parsed.options->Given(F::Target), "dvd");
    EXPECT_EQ(parsed.options->Given(F::Format), "ntsc");
    EXPECT_EQ(parsed.options->Given(F::AudioTarget), "mp3");
}

TEST(CliOptions, FlagsAndFilesAreTaken) {
    const ParseResult parsed = ParseCli(
        Args{"--no-audio", "--source=/a b/in.vob", "--correct-ratio", "--output", "-dash.mpg",
             "--no-video", "--avisynth", "--no-presets", "--print", "--batch-add", "--verbose"});
    ASSERT_TRUE(parsed.options) << parsed.error;
    const CliOptions& o = *parsed.options;
    EXPECT_EQ(o.source, "/a b/in.vob");
    EXPECT_EQ(o.output, "-dash.mpg");
    EXPECT_TRUE(o.Given(F::ProcessAudio) == "0" && o.Given(F::ProcessVideo) == "0" &&
                o.Given(F::CorrectRatio) == "1" && o.Given(F::UseAviSynth) == "1" && o.noPresets &&
                o.print && o.batchAdd && o.verbose);
    EXPECT_FALSE(o.help || o.version);
    // After "--" every word is a source, however it begins.
    const ParseResult dashed = ParseCli(Args{"--output-dir", "/d", "--", "-dash.avi", "--x.avi"});
    ASSERT_TRUE(dashed.options) << dashed.error;
    EXPECT_EQ(dashed.options->sources, (Args{"-dash.avi", "--x.avi"}));
}

TEST(CliOptions, HelpAndVersionNeedNoFilesAndExitZero) {
    std::ostringstream out, err;
    EXPECT_EQ(RunCli(Args{"--help"}, "/nonexistent/", {out, err}), kExitOk);
    EXPECT_EQ(out.str(), Usage());
    out.str("");
    EXPECT_EQ(RunCli(Args{"--version"}, "/nonexistent/", {out, err}), kExitOk);
    EXPECT_EQ(out.str(), "morvakelin-cli 3.0\n");
    EXPECT_TRUE(err.str().empty());
}

TEST(CliOptions, MissingSourceFileIsABadOption) {
    std::ostringstream out, err;
    const Args args{"--source", "/nonexistent/in.avi", "--output", "/tmp/o.mpg", "--print"};
    EXPECT_EQ(RunCli(args, "/nonexistent/", {out, err}), kExitBadOptions);
    EXPECT_TRUE(
        err.str().starts_with("morvakelin-cli: source file not found: /nonexistent/in.avi\n"))
        << err.str();
    EXPECT_TRUE(out.str().empty());
}

}  // namespace
}  // namespace mk::cli
