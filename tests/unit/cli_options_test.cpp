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

TEST_P(BadOptionsTest, IsRefusedWithOneLineAndUsageAndStatus2) {
    const BadCase& c = GetParam();
    const ParseResult parsed = ParseCli(c.args);
    EXPECT_FALSE(parsed.options);
    EXPECT_NE(parsed.error.find(c.errorPart), std::string::npos) << parsed.error;
    EXPECT_EQ(parsed.error.find('\n'), std::string::npos);

    std::ostringstream out, err;
    EXPECT_EQ(RunCli(c.args, "/nonexistent/", {out, err}), kExitBadOptions);
    EXPECT_TRUE(out.str().empty());
    const std::string text = err.str();
    EXPECT_TRUE(text.starts_with("morvakelin-cli: " + parsed.error + "\n")) << text;
    EXPECT_NE(text.find(Usage()), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    Cli, BadOptionsTest,
    ::testing::Values(
        BadCase{"Unknown", WithFiles({"--colour", "red"}), "unknown option --colour"},
        BadCase{"SingleDash", WithFiles({"-y"}), "unknown option -y"},
        BadCase{"StrayWord", WithFiles({"extra"}), "unexpected argument 'extra'"},
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
        BadCase{"EmptyTarget", WithFiles({"--target="}), "--target"}),
    [](const auto& info) { return std::string(info.param.name); });

// Each value option, in both spellings, reaches its own member and no other.
struct ValueCase {
    const char* option;
    const char* value;
    std::optional<std::string> CliOptions::*member;
};

class ValueOptionTest : public ::testing::TestWithParam<ValueCase> {};

TEST_P(ValueOptionTest, ReachesItsMember) {
    const ValueCase& c = GetParam();
    for (const Args& extra :
         {Args{c.option, c.value}, Args{std::string(c.option) + "=" + c.value}}) {
        const ParseResult parsed = ParseCli(WithFiles(extra));
        ASSERT_TRUE(parsed.options) << parsed.error;
        EXPECT_EQ((*parsed.options).*c.member, c.value);
        int set = 0;
        for (auto m :
             {&CliOptions::target, &CliOptions::format, &CliOptions::aspect,
              &CliOptions::videoBitrate, &CliOptions::width, &CliOptions::height,
              &CliOptions::audioTarget, &CliOptions::audioBitrate, &CliOptions::channels,
              &CliOptions::videoStream, &CliOptions::audioStream, &CliOptions::moreOptions}) {
            set += ((*parsed.options).*m).has_value();
        }
        EXPECT_EQ(set, 1);
    }
}

using O = CliOptions;
INSTANTIATE_TEST_SUITE_P(
    Cli, ValueOptionTest,
    ::testing::Values(ValueCase{"--target", "mpeg4", &O::target},
                      ValueCase{"--format", "ntsc", &O::format},
                      ValueCase{"--aspect", "16:9->4:3", &O::aspect},  // a list item, '>' and all
                      ValueCase{"--aspect", "2.35", &O::aspect},
                      ValueCase{"--video-bitrate", "1500", &O::videoBitrate},
                      ValueCase{"--width", "640", &O::width},
                      ValueCase{"--height", "", &O::height},  // empty: no size option
                      ValueCase{"--audio-target", "copy", &O::audioTarget},
                      ValueCase{"--audio-bitrate", "192", &O::audioBitrate},
                      ValueCase{"--channels", "1", &O::channels},
                      ValueCase{"--video-stream", "3", &O::videoStream},
                      ValueCase{"--audio-stream", "2", &O::audioStream},
                      ValueCase{"--more-options", "-mbd 2 -trellis 1", &O::moreOptions},
                      ValueCase{"--more-options", "--strict=-2", &O::moreOptions}));

TEST(CliOptions, FlagsAndFilesAreTaken) {
    const ParseResult parsed = ParseCli(
        Args{"--no-audio", "--source=/a b/in.vob", "--correct-ratio", "--output", "-dash.mpg",
             "--no-video", "--avisynth", "--no-presets", "--print", "--batch-add", "--verbose"});
    ASSERT_TRUE(parsed.options) << parsed.error;
    const CliOptions& o = *parsed.options;
    EXPECT_EQ(o.source, "/a b/in.vob");
    EXPECT_EQ(o.output, "-dash.mpg");
    EXPECT_TRUE(o.noAudio && o.noVideo && o.correctRatio && o.aviSynth && o.noPresets && o.print &&
                o.batchAdd && o.verbose);
    EXPECT_FALSE(o.help || o.version);
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
