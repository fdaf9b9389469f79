// Our ffmpeg never destroys a source or an earlier output: an output that is an input under
// another name is refused, and a run that fails or is stopped leaves the earlier output as it was.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <thread>

#include "e2e_support.h"
#include "support/files.h"

namespace mk::e2e {
namespace {

namespace fs = std::filesystem;

using test::ReadFile;

std::string Q(const std::string& path) {
    return "'" + path + "'";
}

int LeftoversBeside(const fs::path& output) {
    int n = 0;
    for (const auto& e : fs::directory_iterator(output.parent_path()))
        n += e.path().filename().string().find(".mk-") != std::string::npos;
    return n;
}

struct SameFileCase {
    const char* label;
    // Makes the output name, in `dir`, that reaches the source `dir/movie.avi`.
    std::function<std::string(const fs::path& dir)> outputName;
};

void PrintTo(const SameFileCase& c, std::ostream* os) {
    *os << c.label;
}

class SameFileRefused : public ::testing::TestWithParam<SameFileCase> {};

TEST_P(SameFileRefused, SourceStaysByteForByte) {
    ProgramFolder folder;
    const fs::path dir = folder.File("work");
    fs::create_directories(dir);
    const std::string source = (dir / "movie.avi").string();
    fs::copy_file(ClipPath(Clip::Mpeg4Avi), source);
    const std::string output = GetParam().outputName(dir);
    const ShellRun run = RunShell(Q(folder.File("ffmpeg")) + " -i " + Q(source) +
                                  " -target pal-dvd -y " + Q(output));
    EXPECT_NE(run.exitCode, 0);
    EXPECT_NE(run.output.find("is the input"), std::string::npos) << run.output;
    EXPECT_EQ(ReadFile(source), ReadFile(ClipPath(Clip::Mpeg4Avi)));
}

INSTANTIATE_TEST_SUITE_P(
    Links, SameFileRefused,
    ::testing::Values(SameFileCase{"Symlink",
                                   [](const fs::path& dir) {
                                       fs::create_symlink("movie.avi", dir / "movie.mpg");
                                       return (dir / "movie.mpg").string();
                                   }},
                      SameFileCase{"HardLink",
                                   [](const fs::path& dir) {
                                       fs::create_hard_link(dir / "movie.avi", dir / "movie.mpg");
                                       return (dir / "movie.mpg").string();
                                   }},
                      SameFileCase{"LinkedFolder",
                                   [](const fs::path& dir) {
                                       fs::create_directory_symlink(dir,
                                                                    dir.parent_path() / "linked");
                                       return (dir.parent_path() / "linked" / "movie.avi").string();
                                   }}),
    [](const auto& info) { return std::string(info.param.label); });

struct EarlierOutputCase {
    const char* label;
    // The shell line around the encode `cmd` (a 60-second one when `slow`) of output `out`.
    std::function<std::string(const std::string& cmd, const std::string& out)> line;
    bool slow;
    bool replaced;  // the run succeeds and its result takes the earlier one's place
};

void PrintTo(const EarlierOutputCase& c, std::ostream* os) {
    *os << c.label;
}

// Stops our ffmpeg with `signal` once it has written part of the result.
std::string StopWith(const std::string& signal, const std::string& cmd, const std::string& out) {
    const fs::path o(out);
    return cmd + " & pid=$!; cd " + Q(o.parent_path().string()) + "; until set -- ." +
           o.filename().string() + ".mk-*; [ -s \"$1\" ]; do sleep 0.05; done; kill -" + signal +
           " $pid; wait $pid";
}

// morvakelin-cli encoding a minute of video to `out` (in `folder/out/`), killed outright once
// our ffmpeg has written part of it: nothing of its run may live on and commit later.
std::string CliKilled(const std::string& out) {
    const fs::path folder = fs::path(out).parent_path().parent_path();
    const std::string cli = Q((folder / "morvakelin-cli").string()), src = Q(out + ".avi");
    const std::string prepare =
        "cp " + Q(MORVAKELIN_PROGRAM_DIR "/morvakelin-cli") + " " + cli + " && " + Q(RealFfmpeg()) +
        " -v error -f lavfi -i testsrc=size=320x240:rate=25:duration=60 " + src;
    const std::string encode = cli + " --target dvd --format pal --more-options -y --source " +
                               src + " --output " + Q(out);
    return prepare + " && { " + StopWith("KILL", encode, out) + "; }";
}

// Processes whose command line names `dir`: what is left of a run there.
int ProcessesNaming(const std::string& dir) {
    int n = 0;
    for (const auto& e : fs::directory_iterator("/proc")) {
        std::string cmdline = ReadFile((e.path() / "cmdline").string());
        std::replace(cmdline.begin(), cmdline.end(), '\0', ' ');
        n += cmdline.find(dir) != std::string::npos && e.path().filename() != "self" &&
             e.path().filename() != std::to_string(getpid());
    }
    return n;
}

// The encode of a ten-second source cut to half its size, as an interrupted copy leaves it: its
// header still promises ten seconds, and ffmpeg ends with status 0 after five, having said the
// file ended early. All the source holds is then a whole result, whatever the user's log level.
std::string SourceCutShort(const std::string& cmd, const std::string& out, const char* level) {
    const std::string whole = Q(out + ".whole.mkv"), cut = Q(out + ".cut.mkv");
    const size_t input = cmd.find(" -i ") + 4;
    return Q(RealFfmpeg()) + " -v error -f lavfi -i testsrc=size=320x240:rate=25:duration=10 " +
           whole + " && head -c $(( $(stat -c %s " + whole + ") / 2 )) " + whole + " > " + cut +
           " && " + cmd.substr(0, input) + cut + cmd.substr(cmd.find(' ', input + 1)) + " " + level;
}

class KeepsEarlierOutput : public ::testing::TestWithParam<EarlierOutputCase> {};

TEST_P(KeepsEarlierOutput, UnlessTheRunSucceeded) {
    const EarlierOutputCase& c = GetParam();
    ProgramFolder folder;
    fs::path dir = folder.File("out");
    fs::create_directories(dir);
    const std::map<std::string, const char*> mounts = {{"FullDisk", "size=256k"},
                                                       {"NoInodeLeft", "size=1m,nr_inodes=2"}};
    if (mounts.count(c.label) && ::mount("tmpfs", dir.c_str(), "tmpfs", 0, mounts.at(c.label)))
        GTEST_SKIP() << "cannot mount a small tmpfs here; the " << c.label << " case needs one";
    const std::string out = (dir / "movie.mpg").string();
    const std::string earlier(150 * 1024, 'e');
    std::ofstream(out, std::ios::binary) << earlier;
    chmod(out.c_str(), 0640);
    const std::string input = c.slow ? "-re -f lavfi -i testsrc=size=320x240:rate=25:duration=60"
                                     : "-i " + Q(ClipPath(Clip::PalAvi));
    const std::string cmd =
        Q(folder.File("ffmpeg")) + " " + input + " -target pal-dvd -y " + Q(out);
    const ShellRun run = RunShell(c.line(cmd, out), 60);
    for (int i = 0; i < 300 && ProcessesNaming(dir.string()) > 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    const int leftProcesses = ProcessesNaming(dir.string());
    const std::string after = ReadFile(out);
    struct stat st = {};
    stat(out.c_str(), &st);
    const int leftovers = LeftoversBeside(out);
    ::umount2(dir.c_str(), MNT_DETACH);

    EXPECT_FALSE(run.timedOut);
    EXPECT_EQ(run.exitCode == 0, c.replaced) << run.output;
    EXPECT_EQ(after != earlier, c.replaced) << run.output;
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(leftovers, 0);
    EXPECT_EQ(leftProcesses, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Runs, KeepsEarlierOutput,
    ::testing::Values(
        EarlierOutputCase{"GoodRun", [](auto& cmd, auto&) { return cmd; }, false, true},
        EarlierOutputCase{"FfmpegFails", [](auto& cmd, auto&) { return cmd + " -bogus 1"; }, false,
                          false},
        EarlierOutputCase{"FileSizeLimit", [](auto& cmd, auto&) { return "ulimit -f 100; " + cmd; },
                          false, false},
        EarlierOutputCase{"FullDisk", [](auto& cmd, auto&) { return cmd; }, false, false},
        EarlierOutputCase{"Sigint", [](auto& cmd, auto& out) { return StopWith("INT", cmd, out); },
                          true, false},
        EarlierOutputCase{"Sigterm",
                          [](auto& cmd, auto& out) { return StopWith("TERM", cmd, out); }, true,
                          false},
        EarlierOutputCase{"Sighup", [](auto& cmd, auto& out) { return StopWith("HUP", cmd, out); },
                          true, false},
        // ffmpeg 5 ends with status 0 when only the last write fails; "-v quiet" hides its line.
        EarlierOutputCase{"QuietCutAtTheEnd",
                          [](auto& cmd, auto& out) {
                              const std::string whole = Q(out + ".whole.mpg");
                              return cmd.substr(0, cmd.rfind(Q(out))) + whole +
                                     " && B=$(( $(stat -c %s " + whole +
                                     ") / 512 - 8 )) && trap '' XFSZ && ulimit -f $B && " + cmd +
                                     " -v quiet";
                          },
                          false, false},
        EarlierOutputCase{"QuietSourceCutShort",
                          [](auto& cmd, auto& out) { return SourceCutShort(cmd, out, "-v quiet"); },
                          false, true},
        EarlierOutputCase{
            "TaggedSourceCutShort",
            [](auto& cmd, auto& out) { return SourceCutShort(cmd, out, "-loglevel level+info"); },
            false, true},
        EarlierOutputCase{"NoInodeLeft", [](auto& cmd, auto&) { return cmd; }, false, false},
        // The user owns the output but may not create a file in its folder.
        EarlierOutputCase{"FolderNotWritable",
                          [](auto& cmd, auto& out) {
                              const std::string dir = Q(fs::path(out).parent_path().string());
                              return "chmod 755 " + dir + "/.. " + dir + " && chown 65534 " +
                                     Q(out) +
                                     " && setpriv --reuid=65534 --regid=65534 "
                                     "--clear-groups " +
                                     cmd;
                          },
                          false, false},
        EarlierOutputCase{"CliKilled", [](auto&, auto& out) { return CliKilled(out); }, true,
                          false},
        // The user may create files in the folder but not write the output (another's file).
        EarlierOutputCase{"FileNotWritable",
                          [](auto& cmd, auto& out) {
                              const std::string dir = Q(fs::path(out).parent_path().string());
                              return "chmod 755 " + dir + "/.. && chown 65534 " + dir +
                                     " && setpriv --reuid=65534 --regid=65534 --clear-groups " +
                                     cmd;
                          },
                          false, false}),
    [](const auto& info) { return std::string(info.param.label); });

// A link as the output is written through, as ffmpeg does, whether its file exists or not.
TEST(OutputSafety, WritesThroughALinkedOutput) {
    for (const bool dangling : {false, true}) {
        ProgramFolder folder;
        const fs::path target = folder.File("target.mpg"), link = folder.File("link.mpg");
        if (!dangling)
            std::ofstream(target) << "earlier";
        fs::create_symlink(target, link);
        const ShellRun run =
            RunShell(Q(folder.File("ffmpeg")) + " -i " + Q(ClipPath(Clip::PalAvi)) +
                     " -target pal-dvd -y " + Q(link.string()));
        EXPECT_EQ(run.exitCode, 0) << run.output;
        EXPECT_TRUE(fs::is_symlink(link)) << dangling;
        EXPECT_EQ(CountOf(ProbeStreams(target.string()), "video"), 1) << dangling;
    }
}

}  // namespace
}  // namespace mk::e2e
