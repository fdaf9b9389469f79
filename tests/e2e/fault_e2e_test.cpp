// Faults with the installed ffmpeg doing the work: sources whose names mean something to the
// shell, no ffmpeg to be found, a full disk and ffmpeg killed in mid-encode. Commands are the
// ones the program composes, run through /bin/sh as the console runs them; and morvakelin-cli
// given inputs that must not hang it or be misread (a FIFO, a folder as batch file).
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "command/encoder_fields.h"
#include "command/executable_part.h"
#include "e2e_support.h"
#include "jobs/stream_test.h"
#include "platform/shell_dialect.h"
#include "probe/probe_command.h"
#include "probe/report_parser.h"
#include "probe/report_text.h"

namespace mk::e2e {
namespace {

namespace fs = std::filesystem;

const ShellDialect kPosix = ShellDialect::Posix();

struct NameCase {
    const char* label;
    std::string stem;
};

const NameCase kNames[] = {
    {"AllShellCharacters", "-\"$(touch pwned)`touch pwned`'\\;|& $HOME\n-i x"},
    {"NotUtf8", "caf\xe9 \xff\xfe"},
    {"Bytes255", std::string(251, 'n')},
    {"CarriageReturn", "cr\r\tx"},  // ends a line of a concat list, as a line break does
};

void PrintTo(const NameCase& c, std::ostream* os) {
    *os << c.label;
}

std::string CliIn(const ProgramFolder& folder) {
    fs::copy_file(fs::path(MORVAKELIN_PROGRAM_DIR) / "morvakelin-cli",
                  folder.File("morvakelin-cli"));
    return Quoted(folder.File("morvakelin-cli"));
}

class FaultNamesE2e : public ::testing::TestWithParam<NameCase> {};

// Probe, encode and stream test of a real clip under the name, each reading that very file.
TEST_P(FaultNamesE2e, ProbeEncodeAndStreamTestWorkOnTheNamedFile) {
    ProgramFolder folder;
    const fs::path dir = folder.File("odd names");
    fs::create_directories(dir);
    const std::string source = (dir / (GetParam().stem + ".avi")).string();
    fs::copy_file(ClipPath(Clip::Mpeg4Avi), source);
    const fs::path cwd = fs::current_path();
    fs::current_path(dir);  // where a name that ran as a command would leave "pwned"

    EncoderFields f;
    f.m_strSourceFile = source;
    f.m_strSourceExt = ExtensionOf(source);
    const ShellRun probe = RunShell(ProbeCommand(kPosix, folder.Path(), source));
    const ProbeFacts facts =
        ParseProbeText(ReadProbeReport(folder.File("Conf/test.txt")).value_or(""));
    EXPECT_EQ(facts.width, 640) << probe.output;
    EXPECT_EQ(facts.height, 352);
    f.m_dSourceWidth = facts.width;
    f.m_dSourceHeight = facts.height;

    f.m_strOutputFile = (dir / (GetParam().stem + ".mpg")).string();
    const std::string codec = GetSourceAudioCodec(folder.File("Conf/test.txt"));
    const ShellRun encode = RunShell(GenerateWithCodec(kPosix, folder.Path(), f, codec));
    EXPECT_EQ(encode.exitCode, 0) << encode.output;
    EXPECT_EQ(FirstOf(ProbeStreams(f.m_strOutputFile), "video")["width"], "720");

    const ShellRun test = RunShell(StreamTestConsoleLine(
        kPosix, folder.Path(), StreamTestArguments(kPosix, folder.Path(), f)));
    EXPECT_EQ(test.exitCode, 0) << test.output;
    EXPECT_GT(fs::file_size(folder.File(kStreamTestFile)), 0u);

    fs::current_path(cwd);
    EXPECT_FALSE(fs::exists(dir / "pwned"));
    EXPECT_FALSE(fs::exists(folder.File("pwned")));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 2)
        << "only the source and the output belong there";

    // The batch route: what --batch-add wrote, --run-batch runs and judges under the very name.
    const std::string cli = CliIn(folder);
    ASSERT_EQ(RunShell(cli + " --target vcd --batch-add --source " + Quoted(source) + " --output " +
                       Quoted(f.m_strOutputFile))
                  .exitCode,
              0);
    const ShellRun batch = RunShell(cli + " --run-batch");
    EXPECT_EQ(batch.exitCode, 0) << batch.output;
}

INSTANTIATE_TEST_SUITE_P(Names, FaultNamesE2e, ::testing::ValuesIn(kNames),
                         [](const auto& info) { return std::string(info.param.label); });

TEST(FaultE2e, NoFfmpegAnywhereExits127WithWhereItLooked) {
    ProgramFolder folder;
    const std::vector<std::string> env = {"PATH=/nonexistent/bin",
                                          "MORVAKELIN_FFMPEG=/nonexistent/ffmpeg"};
    const ShellRun encode =
        RunShell("\"" + folder.File("ffmpeg") + "\" -i \"" + ClipPath(Clip::Mpeg4Avi) + "\" -y \"" +
                     folder.File("out.mpg") + "\"",
                 30, env);
    EXPECT_EQ(encode.exitCode, 127);
    EXPECT_NE(encode.output.find("no ffmpeg found"), std::string::npos) << encode.output;
    EXPECT_NE(encode.output.find("/nonexistent/ffmpeg"), std::string::npos) << encode.output;
    EXPECT_FALSE(fs::exists(folder.File("out.mpg")));

    const std::string script = folder.File("TV.avs");
    std::ofstream(script) << "AviSource(\"" << ClipPath(Clip::Mpeg4Avi) << "\")\n";
    const ShellRun render =
        RunShell("\"" + folder.File("avs2yuv") + "\" \"" + script + "\" -", 30, env);
    EXPECT_EQ(render.exitCode, 127);
    EXPECT_NE(render.output.find("no ffmpeg found"), std::string::npos) << render.output;
}

TEST(FaultE2e, FfmpegKilledMidEncodeIsAFailedRun) {
    ProgramFolder folder;
    const std::string output = folder.File("killed.mpg");
    // ffmpeg reads a minute of input at its own pace; it is killed once it has written.
    const std::string encode = "\"" + folder.File("ffmpeg") +
                               "\" -re -f lavfi -i testsrc=size=320x240:rate=25:duration=60 "
                               "-target pal-dvd -y \"" +
                               output + "\"";
    // It writes under a temporary name beside the output, renamed only when the run succeeds.
    const ShellRun run = RunShell(encode + " & pid=$!; cd \"" + folder.Path() +
                                      "\"; until set -- .killed.mpg.mk-*.mpg; [ -s \"$1\" ]; "
                                      "do sleep 0.1; done; kill -KILL $pid; wait $pid",
                                  60);
    EXPECT_FALSE(run.timedOut);
    EXPECT_EQ(run.exitCode, 128 + 9) << run.output;
    EXPECT_FALSE(fs::exists(output)) << "a killed run left a cut-off file under the output name";

    // The next run to that output clears what the killed one could not.
    const ShellRun next = RunShell("\"" + folder.File("ffmpeg") +
                                   "\" -f lavfi -i "
                                   "testsrc=size=320x240:rate=25:duration=1 -target pal-dvd -y \"" +
                                   output + "\"");
    EXPECT_EQ(next.exitCode, 0) << next.output;
    int leftovers = 0;
    for (const auto& entry : fs::directory_iterator(folder.Path())) {
        leftovers += entry.path().filename().string().starts_with(".killed.mpg.mk-");
    }
    EXPECT_EQ(leftovers, 0);
}

TEST(FaultE2e, FullDiskFailsTheEncodeWithFfmpegsMessage) {
    ProgramFolder folder;
    const fs::path small = folder.File("small disk");
    fs::create_directories(small);
    if (::mount("tmpfs", small.c_str(), "tmpfs", 0, "size=128k") != 0) {
        GTEST_SKIP() << "cannot mount a small tmpfs here (" << std::strerror(errno)
                     << "); the full-disk case needs one";
    }
    EncoderFields f;
    f.m_strSourceFile = ClipPath(Clip::PalAvi);
    f.m_strSourceExt = "avi";
    f.m_strOutputFile = (small / "out.mpg").string();
    const ShellRun run = RunShell(GenerateWithCodec(kPosix, folder.Path(), f, "mp3"));
    ::umount2(small.c_str(), MNT_DETACH);
    EXPECT_NE(run.exitCode, 0);
    EXPECT_NE(run.output.find("No space left on device"), std::string::npos) << run.output;
}

TEST(FaultE2e, CliRefusesInputsThatWouldHangOrBeMisreadAndSaysWhich) {
    ProgramFolder folder;
    const std::string cli = CliIn(folder) + " ";
    const std::string fifo = Quoted(folder.File("f.avi")), clip = Quoted(ClipPath(Clip::Mpeg4Avi));
    const struct {
        std::string line;
        int exit;
        const char* says;
    } cases[] = {
        {"mkfifo " + fifo + "; " + cli + "--output o.mpg --source " + fifo, 2, "is a FIFO"},
        {cli + "--output-dir . " + clip + " " + fifo, 2, "is a FIFO"},
        {"mkdir " + Quoted(folder.File("Conf/batch.sh")) + "; " + cli + "--run-batch", 1,
         "is a folder"},
        {cli + "--print --audio-stream 2 --output o.mpg --source " + clip, 0, "VOB sources only"},
        {"cat " + clip + " | " + cli + "--output " + Quoted(folder.File("s.mpg")) + " --source -",
         0, "done: "},
    };
    for (const auto& c : cases) {
        const ShellRun run = RunShell(c.line, 60);
        EXPECT_EQ(run.exitCode, c.exit) << c.line << ": " << run.output;
        EXPECT_NE(run.output.find(c.says), std::string::npos) << c.line << ": " << run.output;
    }
}

}  // namespace
}  // namespace mk::e2e
