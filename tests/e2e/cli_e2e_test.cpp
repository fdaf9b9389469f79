// morvakelin-cli as a program: encodes on generated clips checked with ffprobe, exit statuses,
// what it leaves of the output after a failure or an interrupt, the batch file, the AviSynth
// checks. Each test runs a copy of the CLI in its own program folder.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "e2e_support.h"
#include "platform/process_runner.h"
#include "support/files.h"

namespace mk::e2e {
namespace {

namespace fs = std::filesystem;

using test::ReadFile;

// The temporary file our ffmpeg writes beside `output` (".NAME.mk-XXXXXX.EXT"); "" for none.
std::string TemporaryBeside(const std::string& output) {
    const fs::path out(output);
    const std::string prefix = "." + out.filename().string() + ".mk-";
    for (const auto& entry : fs::directory_iterator(out.parent_path())) {
        if (entry.path().filename().string().starts_with(prefix)) {
            return entry.path().string();
        }
    }
    return "";
}

class CliRun : public ::testing::Test {
protected:
    void SetUp() override {
        fs::copy_file(fs::path(MORVAKELIN_PROGRAM_DIR) / "morvakelin-cli",
                      m_folder.File("morvakelin-cli"));
    }

    std::string Cli() const { return m_folder.File("morvakelin-cli"); }
    std::string Out(const std::string& name = "out.mpg") const { return m_folder.File(name); }

    ShellRun Run(const std::string& source, const std::string& output,
                 const std::vector<std::string>& options, bool stdoutOnly = false) {
        std::string line =
            Quoted(Cli()) + " --source " + Quoted(source) + " --output " + Quoted(output);
        for (const std::string& o : options) {
            line += " " + Quoted(o);
        }
        return RunShell(stdoutOnly ? line + " 2>/dev/null" : line);
    }

    ProgramFolder m_folder;
};

struct EncodeCase {
    const char* name;
    std::vector<std::string> options;
    const char* videoCodec;
    const char* width;
    const char* height;
    const char* audioCodec;
    const char* shown;  // on stderr: our progress, or with --verbose ffmpeg's own report
};

class CliEncode : public CliRun, public ::testing::WithParamInterface<EncodeCase> {};

TEST_P(CliEncode, WritesWhatFfprobeConfirms) {
    const EncodeCase& c = GetParam();
    const ShellRun run = Run(ClipPath(Clip::Mpeg4Avi), Out(), c.options);
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_NE(run.output.find(c.shown), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("done: " + Out()), std::string::npos) << run.output;
    const auto streams = ProbeStreams(Out());
    const Stream video = FirstOf(streams, "video");
    const Stream audio = FirstOf(streams, "audio");
    EXPECT_EQ(video["codec_name"], c.videoCodec);
    EXPECT_EQ(video["width"], c.width);
    EXPECT_EQ(video["height"], c.height);
    EXPECT_EQ(audio["codec_name"], c.audioCodec);
}

INSTANTIATE_TEST_SUITE_P(
    Cli, CliEncode,
    ::testing::Values(EncodeCase{"DvdPal", {}, "mpeg2video", "720", "576", "ac3", "encoding "},
                      EncodeCase{"Mpeg4Ntsc",
                                 {"--target", "mpeg4", "--format", "ntsc", "--verbose"},
                                 "mpeg4",
                                 "320",
                                 "240",
                                 "mp3",
                                 "Stream mapping"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CliRun, BadOptionsExitTwoBeforeAnythingRuns) {
    const std::string clip = ClipPath(Clip::Mpeg4Avi);
    for (const auto& extra :
         {std::vector<std::string>{"--bogus"}, std::vector<std::string>{"--width", "wide"},
          std::vector<std::string>{"--target"}}) {
        const ShellRun run = Run(clip, Out(), extra);
        EXPECT_EQ(run.exitCode, 2) << extra[0] << "\n" << run.output;
        EXPECT_TRUE(run.output.starts_with("morvakelin-cli: ")) << run.output;
        EXPECT_NE(run.output.find("\nTry 'morvakelin-cli --help'"), std::string::npos);
        EXPECT_EQ(run.output.find("Usage:"), std::string::npos);
    }
    const ShellRun missing = Run(m_folder.File("none.avi"), Out(), {});
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_FALSE(fs::exists(m_folder.File("Conf/test.txt")));  // nothing was probed
}

TEST_F(CliRun, AudioTheTargetsContainerCannotTakeExitsTwoInOneLine) {
    const ShellRun run = Run(ClipPath(Clip::Mpeg4Avi), Out(), {"--audio-target", "aac"});
    EXPECT_EQ(run.exitCode, 2) << run.output;
    EXPECT_EQ(
        run.output,
        "morvakelin-cli: The dvd target (dvd) cannot take aac audio; it takes mp2, ac3, mp3.\n");
    EXPECT_FALSE(fs::exists(Out()));
}

TEST_F(CliRun, FailedEncodeExitsOneAndLeavesNoOutputOfItsOwn) {
    const ShellRun run = Run(ClipPath(Clip::Mpeg4Avi), Out(), {"--more-options", "-bogus 1"});
    EXPECT_EQ(run.exitCode, 1) << run.output;
    EXPECT_NE(run.output.find("the encode failed"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("bogus"), std::string::npos) << "ffmpeg's reason is not shown";
    EXPECT_FALSE(fs::exists(Out()));
}

TEST_F(CliRun, SourceCutInHalfIsDoneWithAWarning) {
    const std::string whole = ReadFile(ClipPath(Clip::Mpeg4Avi));
    const std::string cut = m_folder.File("cut.avi");
    std::ofstream(cut, std::ios::binary) << whole.substr(0, whole.size() / 2);
    const ShellRun run = Run(cut, Out(), {});
    EXPECT_EQ(run.exitCode, 0) << run.output;
    const std::size_t warning = run.output.find("warning: ffmpeg met errors in the source");
    ASSERT_NE(warning, std::string::npos) << run.output;
    // ffmpeg's own damage lines follow, whatever words its version uses.
    EXPECT_NE(run.output.find("\n  [", warning), std::string::npos) << run.output;

    const ShellRun clean = Run(ClipPath(Clip::Mpeg4Avi), Out(), {});
    EXPECT_EQ(clean.exitCode, 0);
    EXPECT_EQ(clean.output.find("warning"), std::string::npos) << clean.output;
}

// Written into standard output, here a pipe: no size to judge under that name, the status tells.
TEST_F(CliRun, StandardOutputIsJudgedByTheStatus) {
    const ShellRun run =
        RunShell(Quoted(Cli()) + " --target vcd --source " + Quoted(ClipPath(Clip::Mpeg4Avi)) +
                 " --output - | cat > " + Quoted(Out()));  // without --verbose too
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(FirstOf(ProbeStreams(Out()), "video")["codec_name"], "mpeg1video");
}

TEST_F(CliRun, FailedEncodeKeepsTheUsersExistingFile) {
    std::ofstream(Out()) << "mine";
    const ShellRun run = Run(ClipPath(Clip::Mpeg4Avi), Out(), {"--more-options", "-bogus 1"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(ReadFile(Out()), "mine");
}

TEST_F(CliRun, PrintAndBatchAddGiveTheSameCommand) {
    const std::string clip = ClipPath(Clip::Mpeg4Avi);
    const std::string batch = m_folder.File("Conf/batch.sh");
    std::string expected = "# Batch file for Morvakelin \n";
    for (const char* target : {"vcd", "mpeg4"}) {
        const ShellRun printed = Run(clip, Out(), {"--target", target, "--print"}, true);
        ASSERT_EQ(printed.exitCode, 0);
        ASSERT_TRUE(printed.output.ends_with("\n"));
        const ShellRun added = Run(clip, Out(), {"--target", target, "--batch-add"});
        ASSERT_EQ(added.exitCode, 0) << added.output;
        expected += printed.output.substr(0, printed.output.size() - 1) + " \n";
    }
    EXPECT_EQ(ReadFile(batch), expected);
    EXPECT_FALSE(fs::exists(Out()));  // neither encodes
}

TEST_F(CliRun, AviSynthRouteChecksTheScriptFirst) {
    const std::string clip = ClipPath(Clip::Mpeg4Avi);
    ShellRun run = Run(clip, Out(), {"--avisynth"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.output.find("File not found: TV.avs is not in ffmpeg's program folder."),
              std::string::npos)
        << run.output;

    std::ofstream(m_folder.File("TV.avs")) << "AviSource(\"/elsewhere/other.avi\")\n";
    run = Run(clip, Out(), {"--avisynth"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.output.find("Edit file: Change the source filename in TV.avs, line: "
                              "XXXsource(...)."),
              std::string::npos)
        << run.output;
    EXPECT_FALSE(fs::exists(Out()));

    std::ofstream(m_folder.File("TV.avs")) << "AviSource(\"" << clip << "\")\nTrim(0, 9)\n";
    run = Run(clip, Out(), {"--avisynth", "--target", "mpeg4"});
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(FirstOf(ProbeStreams(Out()), "video")["codec_name"], "mpeg4");
}

// Live processes whose command line names `word` (our ffmpeg and the real one name the output).
int LiveProcessesNaming(const std::string& word) {
    int count = 0;
    for (const auto& entry : fs::directory_iterator("/proc")) {
        std::string state;
        std::ifstream(entry.path() / "stat") >> state >> state >> state;
        std::string line = ReadFile((entry.path() / "cmdline").string());
        if (line.find(word) != std::string::npos && state != "Z" && state != "X") {
            ++count;
        }
    }
    return count;
}

// Stopped by a signal while ffmpeg writes (Ctrl-C, kill, the terminal closed): a status of 128 +
// the signal, no process of the encode left behind, and the half-written output is gone.
TEST_F(CliRun, InterruptStopsFfmpegAndRemovesTheHalfWrittenOutput) {
    const std::string longClip = m_folder.File("long.avi");
    ASSERT_EQ(RunShell(Quoted(RealFfmpeg()) +
                       " -v error -f lavfi -i testsrc=duration=120:size=160x120:rate=25"
                       " -c:v mpeg4 -q:v 20 -an " +
                       Quoted(longClip))
                  .exitCode,
              0);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        const std::string log = m_folder.File("cli.log");
        // The shell execs the CLI, so the process signalled is the CLI itself.
        ShellOptions options;
        options.args = {log, Cli(), "--source", longClip, "--output", Out()};
        ShellProcess cli;
        ASSERT_TRUE(cli.Start("log=$1; shift; exec \"$@\" >\"$log\" 2>&1", options));
        // Until ffmpeg has begun writing (or the CLI has ended early, which the status shows);
        // it writes beside the output under a temporary name.
        while ((TemporaryBeside(Out()).empty() || fs::file_size(TemporaryBeside(Out())) == 0) &&
               !cli.ShellEnded()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            cli.Poll();
        }
        ASSERT_FALSE(cli.ShellEnded()) << ReadFile(log);
        kill(cli.Pid(), signal);
        Pump(cli, {});
        EXPECT_EQ(cli.ExitCode(), 128 + signal) << ReadFile(log);
        EXPECT_NE(ReadFile(log).find("stopped; ffmpeg was interrupted"), std::string::npos);
        EXPECT_EQ(LiveProcessesNaming(Out()), 0) << signal;
        EXPECT_FALSE(fs::exists(Out())) << ReadFile(log);
        EXPECT_EQ(TemporaryBeside(Out()), "") << "the half-written output was left behind";
    }
}

}  // namespace
}  // namespace mk::e2e
