// The AviSynth route: our avs2yuv renders TV.avs and pipes it into our ffmpeg, which takes the
// sound from the source.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "command/encoder_fields.h"
#include "command/executable_part.h"
#include "e2e_support.h"
#include "jobs/avs_script.h"
#include "platform/shell_dialect.h"
#include "probe/probe_command.h"
#include "probe/report_parser.h"

namespace mk::e2e {
namespace {

namespace fs = std::filesystem;

struct RouteRun {
    ShellRun run;
    EncoderFields fields;
    std::string command;
};

// Opens `clip`, writes TV.avs from `script` (SOURCE stands for the clip's path) and runs what
// Generate composes for the dvd pal defaults.
RouteRun RunRoute(const ProgramFolder& folder, Clip clip, std::string script) {
    RouteRun r;
    EncoderFields& f = r.fields;
    f.m_strSourceFile = ClipPath(clip);
    f.m_strSourceExt = ExtensionOf(f.m_strSourceFile);
    f.m_bUseAviSynth = 1;
    f.m_strOutputFile = folder.File("out.mpg");
    const ShellDialect posix = ShellDialect::Posix();
    RunShell(ProbeCommand(posix, folder.Path(), f.m_strSourceFile));
    script.replace(script.find("SOURCE"), 6, f.m_strSourceFile);
    std::ofstream(folder.File("TV.avs")) << script;
    EXPECT_TRUE(ScriptNamesSource(script, f.m_strSourceFile));
    r.command = GenerateWithCodec(posix, folder.Path(), f,
                                  GetSourceAudioCodec(folder.File("Conf/test.txt")));
    r.run = RunShell(r.command);
    return r;
}

class AviSynthRoute : public ::testing::TestWithParam<Clip> {};

TEST_P(AviSynthRoute, PictureFromTheScriptSoundFromTheSource) {
    ProgramFolder folder;
    // Ten frames at a quarter of the size: had ffmpeg taken the source's own larger picture, the
    // output would have all 25 frames.
    const RouteRun r = RunRoute(folder, GetParam(),
                                "# TV.avs for the test\n"
                                "AviSource(\"SOURCE\")\n"
                                "Trim(0, 9)\n"
                                "BilinearResize(320, 176)\n");
    ASSERT_NE(r.command.find("-hq"), std::string::npos) << r.command;
    ASSERT_TRUE(fs::exists(r.fields.m_strOutputFile)) << r.command << "\n" << r.run.output;
    const auto streams = ProbeStreams(r.fields.m_strOutputFile, true);
    const Stream video = FirstOf(streams, "video");
    EXPECT_EQ(video["codec_name"], "mpeg2video");
    EXPECT_EQ(video["width"], "720");
    EXPECT_EQ(video["height"], "576");
    const std::string frames = video["nb_read_frames"];
    ASSERT_FALSE(frames.empty());
    EXPECT_LE(std::stoi(frames), 12) << r.run.output;
    EXPECT_EQ(FirstOf(streams, "audio")["codec_name"], "ac3");
}

INSTANTIATE_TEST_SUITE_P(Sources, AviSynthRoute,
                         ::testing::Values(Clip::Mpeg4Avi, Clip::H264AacMp4),
                         [](const ::testing::TestParamInfo<Clip>& info) {
                             return info.param == Clip::Mpeg4Avi ? "avi_mp3" : "mp4_aac";
                         });

TEST(AviSynthRouteE2e, LineNotUnderstoodStopsTheEncode) {
    ProgramFolder folder;
    const RouteRun r = RunRoute(folder, Clip::Mpeg4Avi, "AviSource(\"SOURCE\")\nTweak(sat=1.5)\n");
    EXPECT_FALSE(r.run.timedOut);
    EXPECT_NE(r.run.output.find("line 2"), std::string::npos) << r.run.output;
    EXPECT_NE(r.run.output.find("Tweak"), std::string::npos) << r.run.output;
    const std::string out = r.fields.m_strOutputFile;
    EXPECT_TRUE(!fs::exists(out) || fs::file_size(out) == 0);
}

}  // namespace
}  // namespace mk::e2e
