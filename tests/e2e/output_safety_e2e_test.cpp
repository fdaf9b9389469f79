// Our ffmpeg never destroys a source or an earlier output: an output that is an input under
// another name is refused, and a run that fails or is stopped leaves the earlier output as it was.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

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

class KeepsEarlierOutput : public ::testing::TestWithParam<EarlierOutputCase> {};

TEST_P(KeepsEarlierOutput, UnlessTheRunSucceeded) {
    const EarlierOutputCase& c = GetParam();
    ProgramFolder folder;
    fs::path dir = folder.File("out");
    fs::create_directories(dir);
    if (std::string(c.label) == "FullDisk") {
        if (::mount("tmpfs", dir.c_str(), "tmpfs", 0, "size=256k") != 0)
            GTEST_SKIP() << "cannot mount a small tmpfs here; the full-disk case needs one";
    }
    const std::string out = (dir / "movie.mpg").string();
    const std::string earlier(150 * 1024, 'e');
    std::ofstream(out, std::ios::binary) << earlier;
    chmod(out.c_str(), 0640);
    const std::string input = c.slow ? "-re -f lavfi -i testsrc=size=320x240:rate=25:duration=60"
                                     : "-i " + Q(ClipPath(Clip::PalAvi));
    const std::string cmd =
        Q(folder.File("ffmpeg")) + " " + input + " -target pal-dvd -y " + Q(out);
    const ShellRun run = RunShell(c.line(cmd, out), 60);
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
                          true, false}),
    [](const auto& info) { return std::string(info.param.label); });

}  // namespace
}  // namespace mk::e2e
