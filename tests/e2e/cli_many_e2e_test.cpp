// morvakelin-cli over several sources and over the batch file: every job as its lone run, name
// clashes refused, failures reported among good ones, a stop that ends every job, and GNU
// parallel running the batch file's lines to the same outputs.
#include <gtest/gtest.h>
#include <signal.h>

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

class CliMany : public ::testing::Test {
protected:
    void SetUp() override {
        fs::copy_file(fs::path(MORVAKELIN_PROGRAM_DIR) / "morvakelin-cli",
                      m_folder.File("morvakelin-cli"));
        fs::create_directory(m_folder.File("out"));
        // Names with a blank and with a byte that is not UTF-8 among them.
        m_sources = {m_folder.File("a clip.avi"), m_folder.File("caf\xe9.avi"),
                     m_folder.File("tall.avi")};
        fs::copy_file(ClipPath(Clip::Mpeg4Avi), m_sources[0]);
        fs::copy_file(ClipPath(Clip::H264AacMp4), m_sources[1]);
        fs::copy_file(ClipPath(Clip::PortraitAvi), m_sources[2]);
    }

    std::string Cli(const std::string& options) const {
        return Quoted(m_folder.File("morvakelin-cli")) + " " + options;
    }
    std::string Sources() const {
        std::string words;
        for (const std::string& s : m_sources) {
            words += " " + Quoted(s);
        }
        return words;
    }
    std::string Out(const std::string& name) const { return m_folder.File("out/" + name); }

    ProgramFolder m_folder;
    std::vector<std::string> m_sources;
};

constexpr const char* kSettings = "--target vcd --correct-ratio --aspect 16:9";

TEST_F(CliMany, EverySourceAsItsLoneRun) {
    const ShellRun many = RunShell(Cli(std::string(kSettings) + " --print --output-dir " +
                                       Quoted(m_folder.File("out")) + Sources()));
    ASSERT_EQ(many.exitCode, 0) << many.output;
    const char* outputs[] = {"a clip.mpg", "caf\xe9.mpg", "tall.mpg"};
    std::string lone;
    for (std::size_t i = 0; i < m_sources.size(); ++i) {
        const ShellRun one =
            RunShell(Cli(std::string(kSettings) + " --print --source " + Quoted(m_sources[i]) +
                         " --output " + Quoted(Out(outputs[i])) + " 2>/dev/null"));
        ASSERT_EQ(one.exitCode, 0);
        lone += one.output;
    }
    EXPECT_NE(many.output.find(lone), std::string::npos) << many.output << "\n---\n" << lone;

    // Real encodes, two at a time, byte for byte those of lone runs.
    const ShellRun encoded = RunShell(Cli(std::string(kSettings) + " --jobs 2 --output-dir " +
                                          Quoted(m_folder.File("out")) + Sources()));
    ASSERT_EQ(encoded.exitCode, 0) << encoded.output;
    for (std::size_t i = 0; i < m_sources.size(); ++i) {
        const std::string alone = m_folder.File(std::string("alone-") + outputs[i]);
        ASSERT_EQ(RunShell(Cli(std::string(kSettings) + " --source " + Quoted(m_sources[i]) +
                               " --output " + Quoted(alone)))
                      .exitCode,
                  0);
        EXPECT_TRUE(ReadFile(Out(outputs[i])) == ReadFile(alone)) << outputs[i];
    }
}

TEST_F(CliMany, ClashAndFailureAreReported) {
    // Two sources with one output name: refused before anything runs.
    fs::create_directory(m_folder.File("other"));
    fs::copy_file(m_sources[0], m_folder.File("other/a clip.avi"));
    const ShellRun clash =
        RunShell(Cli("--output-dir " + Quoted(m_folder.File("out")) + " " + Quoted(m_sources[0]) +
                     " " + Quoted(m_folder.File("other/a clip.avi"))));
    EXPECT_EQ(clash.exitCode, 2) << clash.output;
    EXPECT_NE(clash.output.find("would both be encoded"), std::string::npos) << clash.output;
    EXPECT_TRUE(fs::is_empty(m_folder.File("out")));

    // One source that is no video among good ones: exit 1, the others done; one cut in half is
    // good with a warning, as in a lone run.
    const std::string broken = m_folder.File("broken.avi");
    fs::copy_file(ClipPath(Clip::Broken), broken);
    const std::string whole = ReadFile(m_sources[0]);
    std::ofstream(m_folder.File("cut.avi"), std::ios::binary) << whole.substr(0, whole.size() / 2);
    const ShellRun run =
        RunShell(Cli("--target vcd --jobs 2 --output-dir " + Quoted(m_folder.File("out")) + " " +
                     Quoted(m_sources[0]) + " " + Quoted(broken) + " " + Quoted(m_sources[2]) +
                     " " + Quoted(m_folder.File("cut.avi"))));
    EXPECT_EQ(run.exitCode, 1) << run.output;
    EXPECT_NE(run.output.find("FAILED  broken.mpg"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("good    cut.mpg\n    warning: ffmpeg met errors"), std::string::npos)
        << run.output;
    EXPECT_GT(fs::file_size(Out("a clip.mpg")), 0u);
    EXPECT_GT(fs::file_size(Out("tall.mpg")), 0u);
}

// --run-batch: two commands to one output are refused before anything runs, and a command that
// fails deletes nothing under its output name (it may be another run's finished file).
TEST_F(CliMany, BatchClashRefusedAndAFailedCommandDeletesNothing) {
    const std::string x = "\"" + Out("x.mpg") + "\"";
    const struct {
        std::string lines;
        int exitCode;
        const char* left;
    } cases[] = {{"printf a > " + x + "\nprintf b > " + x + "\n", 2, ""},
                 {"printf a > " + x + "\nprintf b > '" + Out("../out/./x.mpg") + "'\n", 2, ""},
                 {"printf mine > " + x + "; exit 3\n", 1, "mine"}};
    for (const auto& c : cases) {
        fs::remove(Out("x.mpg"));
        std::ofstream(m_folder.File("Conf/batch.sh")) << c.lines;
        const ShellRun run = RunShell(Cli("--run-batch --jobs 1"));
        EXPECT_EQ(run.exitCode, c.exitCode) << run.output;
        EXPECT_EQ(ReadFile(Out("x.mpg")), c.left) << run.output;
    }
}

TEST_F(CliMany, InterruptStopsEveryJob) {
    std::string line =
        Quoted(RealFfmpeg()) +
        " -v error -f lavfi -i testsrc=duration=120:size=320x240:rate=25 -c:v mpeg4 -an ";
    const std::string longA = m_folder.File("long a.avi");
    const std::string longB = m_folder.File("long b.avi");
    ASSERT_EQ(
        RunShell(line + Quoted(longA) + " && cp " + Quoted(longA) + " " + Quoted(longB)).exitCode,
        0);
    const std::string log = m_folder.File("cli.log");
    // The shell execs the CLI, so the process signalled is the CLI itself.
    ShellOptions options;
    options.args = {log,
                    m_folder.File("morvakelin-cli"),
                    "--target",
                    "dvd",
                    "--jobs",
                    "2",
                    "--output-dir",
                    m_folder.File("out"),
                    longA,
                    longB};
    ShellProcess cli;
    ASSERT_TRUE(cli.Start("log=$1; shift; exec \"$@\" 2>\"$log\"", options));
    // Until both jobs have started.
    for (int i = 0; i < 600 && ReadFile(log).find("started: long b") == std::string::npos; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    kill(cli.Pid(), SIGINT);
    Pump(cli, {});
    EXPECT_EQ(cli.ExitCode(), 128 + SIGINT) << ReadFile(log);
    // No process of the run is left, and no half-written output.
    EXPECT_NE(RunShell("pgrep -f " + Quoted("[l]ong a.avi")).exitCode, 0);
    for (const auto& entry : fs::directory_iterator(m_folder.File("out"))) {
        ADD_FAILURE() << "left behind: " << entry.path();
    }
}

TEST_F(CliMany, BatchFileRunsInParallelAndThroughGnuParallel) {
    ASSERT_EQ(RunShell(Cli("--target vcd --batch-add --output-dir " + Quoted(m_folder.File("out")) +
                           Sources()))
                  .exitCode,
              0);
    std::ofstream(m_folder.File("Conf/batch.sh"), std::ios::app) << "\n# a comment\n\n   \n";
    const ShellRun run = RunShell(Cli("--run-batch --jobs 2"));
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(fs::file_size(m_folder.File("out/a clip.mpg")) > 0, true);

    // GNU parallel on the same lines (comments and blanks left out) writes the same files.
    fs::create_directory(m_folder.File("par"));
    const std::string lines = m_folder.File("lines");
    ASSERT_EQ(RunShell("LC_ALL=C grep -v '^#' " + Quoted(m_folder.File("Conf/batch.sh")) +
                       " | LC_ALL=C grep -v '^ *$' | LC_ALL=C sed " + Quoted("s#/out/#/par/#") +
                       " > " + Quoted(lines))
                  .exitCode,
              0);
    const ShellRun par = RunShell("parallel -j2 < " + Quoted(lines));
    ASSERT_EQ(par.exitCode, 0) << par.output;
    for (const char* name : {"a clip.mpg", "caf\xe9.mpg", "tall.mpg"}) {
        EXPECT_TRUE(ReadFile(m_folder.File(std::string("par/") + name)) == ReadFile(Out(name)))
            << name;
    }
}

}  // namespace
}  // namespace mk::e2e
