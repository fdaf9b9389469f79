// morvakelin-cli when the probe cannot do its work: the report cannot be written, it is a link,
// the source is no video, there is no ffmpeg. A run left a report of another source before;
// every row either refuses, naming the report, or gives exactly what a run in a fresh program
// folder gives. Never the old source's size.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "e2e_support.h"
#include "support/files.h"
#include "support/read_only.h"

namespace mk::e2e {
namespace {

namespace fs = std::filesystem;

using test::ReadFile;

struct CliResult {
    int exitCode;
    std::string out;
    std::string err;
};

CliResult RunCli(const ProgramFolder& folder, const std::string& source,
                 const std::vector<std::string>& env) {
    const std::string cli = folder.File("morvakelin-cli");
    if (!fs::exists(cli)) {
        fs::copy_file(fs::path(MORVAKELIN_PROGRAM_DIR) / "morvakelin-cli", cli);
    }
    const std::string err = folder.File("stderr.txt");
    const ShellRun run =
        RunShell("'" + cli + "' --source '" + source + "' --output '" + folder.File("out.mpg") +
                     "' --print --correct-ratio 2>'" + err + "'",
                 60, env);
    // The printed command names the program folder; runs in two folders compare without it.
    std::string out = run.output;
    for (std::size_t at; (at = out.find(folder.Path())) != std::string::npos;) {
        out.replace(at, folder.Path().size(), "<folder>/");
    }
    return {run.exitCode, out, ReadFile(err)};
}

struct ProbeFault {
    const char* name;
    std::function<std::string()> source;  // made on first use
    // Sets the fault up in the program folder; returns what undoes it (or nothing).
    std::function<std::shared_ptr<ReadOnlyPath>(const ProgramFolder&)> setUp;
    std::vector<std::string> env;
    bool refused;         // the report cannot be written: exit 1 naming it
    const char* errPart;  // what stderr must hold otherwise ("" for nothing)
};

void PrintTo(const ProbeFault& fault, std::ostream* os) {
    *os << fault.name;
}

std::string TextNamedAvi() {
    static const std::string path = [] {
        const std::string p = (fs::temp_directory_path() / "mk-probe-text.avi").string();
        std::ofstream(p) << "this is not a video\n";
        return p;
    }();
    return path;
}

std::shared_ptr<ReadOnlyPath> MakeReadOnly(const fs::path& path) {
    return std::make_shared<ReadOnlyPath>(path);
}

const ProbeFault kFaults[] = {
    {"ReadOnlyConf",
     [] { return ClipPath(Clip::Mpeg4Avi); },
     [](const ProgramFolder& f) { return MakeReadOnly(f.File("Conf")); },
     {},
     true,
     ""},
    // A user replaces a report it cannot write but may remove; root cannot remove a mount.
    {"ReadOnlyReport",
     [] { return ClipPath(Clip::Mpeg4Avi); },
     [](const ProgramFolder& f) { return MakeReadOnly(f.File("Conf/test.txt")); },
     {},
     geteuid() == 0,
     ""},
    {"ReportIsALink",
     [] { return ClipPath(Clip::Mpeg4Avi); },
     [](const ProgramFolder& f) {
         std::ofstream(f.File("elsewhere.txt")) << "not ours";
         fs::remove(f.File("Conf/test.txt"));
         fs::create_symlink(f.File("elsewhere.txt"), f.File("Conf/test.txt"));
         return std::shared_ptr<ReadOnlyPath>();
     },
     {},
     false,
     ""},
    {"TextFileNamedAvi",
     TextNamedAvi,
     [](const ProgramFolder&) { return std::shared_ptr<ReadOnlyPath>(); },
     {},
     false,
     "Invalid data found"},
    {"NoFfmpeg",
     [] { return ClipPath(Clip::Mpeg4Avi); },
     [](const ProgramFolder&) { return std::shared_ptr<ReadOnlyPath>(); },
     {"PATH=/nonexistent/bin", "MORVAKELIN_FFMPEG=/nonexistent/ffmpeg"},
     false,
     "no ffmpeg found"},
};

class ProbeFailures : public ::testing::TestWithParam<ProbeFault> {};

TEST_P(ProbeFailures, RefuseOrGiveWhatAFreshFolderGives) {
    const ProbeFault& fault = GetParam();
    const std::string source = fault.source();
    ProgramFolder fresh;
    const CliResult alone = RunCli(fresh, source, fault.env);

    ProgramFolder used;
    ASSERT_EQ(RunCli(used, ClipPath(Clip::PalAvi), {}).exitCode, 0);  // the old report
    const std::string report = used.File("Conf/test.txt");
    const std::string oldReport = ReadFile(report);
    ASSERT_NE(oldReport.find("720x576"), std::string::npos) << oldReport;
    {
        const std::shared_ptr<ReadOnlyPath> readOnly = fault.setUp(used);
        if (std::string why; readOnly && !readOnly->Works(why)) {
            GTEST_SKIP() << why;
        }
        const CliResult run = RunCli(used, source, fault.env);
        if (fault.refused) {
            EXPECT_EQ(run.exitCode, 1) << run.err;
            EXPECT_NE(run.err.find("Cannot write the probe report " + report), std::string::npos)
                << run.err;
            EXPECT_EQ(run.out, "");
        } else {
            EXPECT_EQ(run.exitCode, 0) << run.err;
            EXPECT_EQ(run.out, alone.out);
            EXPECT_NE(run.err.find(fault.errPart), std::string::npos) << run.err;
        }
    }
    if (fault.name == std::string("ReportIsALink")) {
        EXPECT_EQ(ReadFile(used.File("elsewhere.txt")), "not ours");
        EXPECT_FALSE(fs::is_symlink(report));
    }
}

INSTANTIATE_TEST_SUITE_P(Probe, ProbeFailures, ::testing::ValuesIn(kFaults),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace mk::e2e
