// Commands composed the way the program composes them (POSIX), run through our ffmpeg, the
// results checked with ffprobe.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "command/encoder_fields.h"
#include "command/executable_part.h"
#include "e2e_support.h"
#include "form/form_model.h"
#include "installed/features.h"
#include "jobs/stream_test.h"
#include "platform/shell_dialect.h"
#include "probe/probe_command.h"
#include "probe/report_parser.h"
#include "probe/report_text.h"

namespace mk::e2e {
namespace {

namespace fs = std::filesystem;

const ShellDialect kPosix = ShellDialect::Posix();

// The form after Open File on `clip`: source, extension, stream boxes, and the probe's facts.
EncoderFields OpenSource(const ProgramFolder& folder, Clip clip) {
    EncoderFields f;
    f.m_strSourceFile = ClipPath(clip);
    f.m_strSourceExt = ExtensionOf(f.m_strSourceFile);
    if (!IsVobExtension(f.m_strSourceExt)) {
        f.m_strAudioStream = "1";
        f.m_strVideoStream = "0";
    }
    RunShell(ProbeCommand(kPosix, folder.Path(), f.m_strSourceFile));
    const ProbeFacts facts =
        ParseProbeText(ReadProbeReport(folder.File("Conf/test.txt")).value_or(""));
    f.m_dSourceWidth = facts.width;
    f.m_dSourceHeight = facts.height;
    return f;
}

// The presets the form writes for a target while Presetting is on.
void Preset(EncoderFields& f, const std::string& target, const std::string& format) {
    f.m_strTarget = target;
    f.m_strFormat = format;
    ApplyToFields(f, ApplyControlRules(f, {true, true, false}));
}

// What Generate composes (and the batch file keeps), run as the console runs it.
ShellRun Encode(const ProgramFolder& folder, EncoderFields& f) {
    const std::string codec = GetSourceAudioCodec(folder.File("Conf/test.txt"));
    return RunShell(GenerateWithCodec(kPosix, folder.Path(), f, codec));
}

struct Expect {
    const char* videoCodec;  // "" : no video stream
    const char* width;
    const char* height;
    const char* aspect;      // "" : not checked
    const char* audioCodec;  // "" : no audio stream
    const char* sampleRate;  // "" : not checked
    const char* channels;    // "" : not checked
};

struct EncodeCase {
    const char* name;
    Clip clip;
    std::function<void(EncoderFields&)> setUp;
    const char* output;
    Expect expect;
};

void PrintTo(const EncodeCase& c, std::ostream* os) {
    *os << c.name;
}

class EncodeThroughOurFfmpeg : public ::testing::TestWithParam<EncodeCase> {};

TEST_P(EncodeThroughOurFfmpeg, OutputHasTheTargetsCodecsAndFrame) {
    const EncodeCase& c = GetParam();
    ProgramFolder folder;
    EncoderFields f = OpenSource(folder, c.clip);
    c.setUp(f);
    f.m_strOutputFile = folder.File(c.output);
    const ShellRun run = Encode(folder, f);
    ASSERT_TRUE(fs::exists(f.m_strOutputFile)) << f.m_strArguments << "\n" << run.output;
    EXPECT_EQ(run.exitCode, 0) << run.output;
    const auto streams = ProbeStreams(f.m_strOutputFile);
    const Expect& e = c.expect;
    const Stream video = FirstOf(streams, "video");
    const Stream audio = FirstOf(streams, "audio");
    if (*e.videoCodec) {
        EXPECT_EQ(CountOf(streams, "video"), 1);
        EXPECT_EQ(video["codec_name"], e.videoCodec);
        EXPECT_EQ(video["width"], e.width);
        EXPECT_EQ(video["height"], e.height);
        if (*e.aspect) {
            EXPECT_EQ(video["display_aspect_ratio"], e.aspect);
        }
    } else {
        EXPECT_EQ(CountOf(streams, "video"), 0);
    }
    if (*e.audioCodec) {
        EXPECT_EQ(CountOf(streams, "audio"), 1);
        EXPECT_EQ(audio["codec_name"], e.audioCodec);
        if (*e.sampleRate) {
            EXPECT_EQ(audio["sample_rate"], e.sampleRate);
        }
        if (*e.channels) {
            EXPECT_EQ(audio["channels"], e.channels);
        }
    } else {
        EXPECT_EQ(CountOf(streams, "audio"), 0);
    }
}

auto Target(const char* target, const char* format) {
    return [=](EncoderFields& f) { Preset(f, target, format); };
}

INSTANTIATE_TEST_SUITE_P(Targets, EncodeThroughOurFfmpeg,
                         ::testing::Values(
                             // From an mp4 the dvd target adds -sameq to More options.
                             EncodeCase{"dvd_pal",
                                        Clip::H264AacMp4,
                                        Target("dvd", "pal"),
                                        "out.mpg",
                                        {"mpeg2video", "720", "576", "4:3", "ac3", "48000", "6"}},
                             EncodeCase{"dvd_ntsc",
                                        Clip::Mpeg4Avi,
                                        Target("dvd", "ntsc"),
                                        "out.mpg",
                                        {"mpeg2video", "720", "480", "4:3", "ac3", "48000", ""}},
                             EncodeCase{"svcd_pal",
                                        Clip::Mpeg4Avi,
                                        Target("svcd", "pal"),
                                        "out.mpg",
                                        {"mpeg2video", "480", "576", "", "mp2", "44100", "2"}},
                             EncodeCase{"svcd_ntsc",
                                        Clip::Mpeg4Avi,
                                        Target("svcd", "ntsc"),
                                        "out.mpg",
                                        {"mpeg2video", "480", "480", "", "mp2", "44100", "2"}},
                             EncodeCase{"vcd_pal",
                                        Clip::Mpeg4Avi,
                                        Target("vcd", "pal"),
                                        "out.mpg",
                                        {"mpeg1video", "352", "288", "", "mp2", "44100", "2"}},
                             EncodeCase{"vcd_ntsc",
                                        Clip::Mpeg4Avi,
                                        Target("vcd", "ntsc"),
                                        "out.mpg",
                                        {"mpeg1video", "352", "240", "", "mp2", "44100", "2"}},
                             EncodeCase{"mpeg4_pal",
                                        Clip::Mpeg4Avi,
                                        Target("mpeg4", "pal"),
                                        "out.avi",
                                        {"mpeg4", "352", "288", "", "mp3", "", "2"}},
                             EncodeCase{"mpeg4_ntsc",
                                        Clip::H264AacMp4,
                                        Target("mpeg4", "ntsc"),
                                        "out.avi",
                                        {"mpeg4", "320", "240", "", "mp3", "", "2"}},
                             EncodeCase{"h263_pal",
                                        Clip::Mpeg4Avi,
                                        Target("h263", "pal"),
                                        "out.3gp",
                                        {"h263", "176", "144", "", "aac", "8000", "1"}},
                             EncodeCase{"h263_ntsc",
                                        Clip::H264AacMp4,
                                        Target("h263", "ntsc"),
                                        "out.3gp",
                                        {"h263", "176", "144", "", "aac", "8000", "1"}}),
                         [](const ::testing::TestParamInfo<EncodeCase>& info) {
                             return std::string(info.param.name);
                         });

INSTANTIATE_TEST_SUITE_P(
    Geometry, EncodeThroughOurFfmpeg,
    ::testing::Values(EncodeCase{"correct_ratio_wide_source",
                                 Clip::Mpeg4Avi,
                                 [](EncoderFields& f) { f.m_bCorrectRatio = 1; },
                                 "out.mpg",
                                 {"mpeg2video", "720", "576", "4:3", "ac3", "", ""}},
                      EncodeCase{"correct_ratio_portrait_source",
                                 Clip::PortraitAvi,
                                 [](EncoderFields& f) { f.m_bCorrectRatio = 1; },
                                 "out.mpg",
                                 {"mpeg2video", "720", "576", "4:3", "ac3", "", ""}},
                      EncodeCase{"letterbox_16_9_to_4_3",
                                 Clip::PalAvi,
                                 [](EncoderFields& f) { f.m_strAspect = "16:9->4:3"; },
                                 "out.mpg",
                                 {"mpeg2video", "720", "576", "4:3", "ac3", "", ""}},
                      EncodeCase{"crop_4_3_to_16_9",
                                 Clip::Mpeg4Avi,
                                 [](EncoderFields& f) { f.m_strAspect = "4:3->16:9"; },
                                 "out.mpg",
                                 {"mpeg2video", "720", "576", "16:9", "ac3", "", ""}}),
    [](const ::testing::TestParamInfo<EncodeCase>& info) { return std::string(info.param.name); });

auto Audio(const char* target, const char* bitrate, const char* channels) {
    return [=](EncoderFields& f) {
        f.m_strAudioTarget = target;
        f.m_strAudioBitrate = bitrate;
        f.m_strChannels = channels;
    };
}

INSTANTIATE_TEST_SUITE_P(
    Audio, EncodeThroughOurFfmpeg,
    ::testing::Values(EncodeCase{"mp2",
                                 Clip::Mpeg4Avi,
                                 Audio("mp2", "224", "2"),
                                 "out.mpg",
                                 {"mpeg2video", "720", "576", "", "mp2", "48000", "2"}},
                      EncodeCase{"ac3",
                                 Clip::Mpeg4Avi,
                                 Audio("ac3", "448", "6"),
                                 "out.mpg",
                                 {"mpeg2video", "720", "576", "", "ac3", "48000", "6"}},
                      EncodeCase{"mp3",
                                 Clip::Mpeg4Avi,
                                 Audio("mp3", "192", "2"),
                                 "out.mpg",
                                 {"mpeg2video", "720", "576", "", "mp3", "48000", "2"}},
                      EncodeCase{"copy",
                                 Clip::Mpeg4Avi,
                                 Audio("copy", "448", "6"),
                                 "out.mpg",
                                 {"mpeg2video", "720", "576", "", "mp3", "48000", "1"}},
                      EncodeCase{"aac_in_avi",
                                 Clip::Mpeg4Avi,
                                 [](EncoderFields& f) {
                                     Preset(f, "mpeg4", "pal");
                                     Audio("aac", "128", "2")(f);
                                 },
                                 "out.avi",
                                 {"mpeg4", "352", "288", "", "aac", "", "2"}},
                      EncodeCase{"video_off",
                                 Clip::Mpeg4Avi,
                                 [](EncoderFields& f) { f.m_bProcessVideo = 0; },
                                 "out.ac3",
                                 {"", "", "", "", "ac3", "", "6"}},
                      EncodeCase{"video_off_vob",
                                 Clip::TwoAudioVob,
                                 [](EncoderFields& f) {
                                     f.m_bProcessVideo = 0;
                                     Audio("mp2", "224", "2")(f);
                                 },
                                 "out.mp2",
                                 {"", "", "", "", "mp2", "48000", "2"}},
                      EncodeCase{"audio_off",
                                 Clip::Mpeg4Avi,
                                 [](EncoderFields& f) { f.m_bProcessAudio = 0; },
                                 "out.m2v",
                                 {"mpeg2video", "720", "576", "4:3", "", "", ""}},
                      // The form's stream numbers 0 and 1 skip the navigation stream.
                      EncodeCase{"vob_navigation_stream_first",
                                 Clip::NavVob,
                                 [](EncoderFields&) {},
                                 "out.mpg",
                                 {"mpeg2video", "720", "576", "4:3", "ac3", "", ""}},
                      // Stream 2 is the mono ac3 one; copied, it shows in the output as it is.
                      EncodeCase{"vob_audio_stream_2",
                                 Clip::TwoAudioVob,
                                 [](EncoderFields& f) {
                                     f.m_strVideoStream = "0";
                                     f.m_strAudioStream = "2";
                                     Audio("copy", "448", "6")(f);
                                 },
                                 "out.mpg",
                                 {"mpeg2video", "720", "576", "4:3", "ac3", "48000", "1"}}),
    [](const ::testing::TestParamInfo<EncodeCase>& info) { return std::string(info.param.name); });

TEST(EncodeE2e, PictureWiderThanTheFrameIsRefusedWithoutAFile) {
    // A 721 pixel wide source fitted into 722x576 asks for bars of -1 pixel.
    ProgramFolder folder;
    EncoderFields f = OpenSource(folder, Clip::PalAvi);
    f.m_dSourceWidth = 721;
    f.m_bCorrectRatio = 1;
    f.m_strWidth = "722";
    f.m_strOutputFile = folder.File("out.mpg");
    const ShellRun run = Encode(folder, f);
    ASSERT_NE(f.m_strArguments.find("-padright -1"), std::string::npos) << f.m_strArguments;
    EXPECT_NE(run.exitCode, 0);
    EXPECT_NE(run.output.find("-padright -1"), std::string::npos) << run.output;
    EXPECT_FALSE(fs::exists(f.m_strOutputFile));
}

// Runs the stream test of the given audio stream on the VOB clip.
ShellRun StreamTest(const ProgramFolder& folder, const char* stream) {
    EncoderFields f = OpenSource(folder, Clip::TwoAudioVob);
    f.m_strAudioStream = stream;
    return RunShell(
        StreamTestConsoleLine(kPosix, folder.Path(), StreamTestArguments(kPosix, folder.Path(), f)),
        60);
}

TEST(StreamTestE2e, ExistingStreamGivesANonEmptyMp2) {
    ProgramFolder folder;
    const ShellRun run = StreamTest(folder, "2");
    const std::string file = folder.File(kStreamTestFile);
    ASSERT_TRUE(fs::exists(file)) << run.output;
    EXPECT_GT(fs::file_size(file), 0u);
    EXPECT_EQ(FirstOf(ProbeStreams(file), "audio")["codec_name"], "mp2");
}

TEST(StreamTestE2e, MissingStreamGivesNoFileAndEnds) {
    ProgramFolder folder;
    const ShellRun run = StreamTest(folder, "7");
    EXPECT_FALSE(run.timedOut);
    EXPECT_NE(run.exitCode, 0);
    const std::string file = folder.File(kStreamTestFile);
    EXPECT_TRUE(!fs::exists(file) || fs::file_size(file) == 0) << run.output;
}

TEST(EncodeE2e, FfmpegWithoutAsyncGetsTheAresampleFilter) {
    // A stand-in for an ffmpeg 7 that records what it is given, then lets the real one work.
    ProgramFolder folder;
    const std::string wrapper = folder.File("ffmpeg7");
    const std::string log = folder.File("args.txt");
    {
        std::ofstream out(wrapper);
        out << "#!/bin/sh\nprintf '%s\\n' \"$@\" >> '" << log << "'\nexec '" << RealFfmpeg()
            << "' \"$@\"\n";
    }
    chmod(wrapper.c_str(), 0755);
    const std::string cache = folder.File("cache");
    fs::create_directories(cache + "/morvakelin");
    toolkit::FfmpegFeatures without;
    without.hasAsync = false;
    std::ofstream(cache + "/morvakelin/ffmpeg-features")
        << toolkit::FormatFeaturesCache(toolkit::FeaturesKey(wrapper), without);

    EncoderFields f = OpenSource(folder, Clip::Mpeg4Avi);
    f.m_strOutputFile = folder.File("out.mpg");
    const std::string codec = GetSourceAudioCodec(folder.File("Conf/test.txt"));
    const ShellRun run = RunShell(GenerateWithCodec(kPosix, folder.Path(), f, codec), 120,
                                  {"MORVAKELIN_FFMPEG=" + wrapper, "XDG_CACHE_HOME=" + cache});
    ASSERT_NE(f.m_strArguments.find("-async 1"), std::string::npos);
    std::ifstream in(log);
    std::string args((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(args.find("-async"), std::string::npos) << args;
    EXPECT_NE(args.find("aresample=async=1:first_pts=0"), std::string::npos) << args;
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(FirstOf(ProbeStreams(f.m_strOutputFile), "audio")["codec_name"], "ac3");
}

}  // namespace
}  // namespace mk::e2e
