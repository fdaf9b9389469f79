// morvakelin-cli --disc against the authoring tools: what lsdvd, isoinfo and vcd-info read off the
// finished disc, the fill --fit reaches, and what a refusal or a failure leaves (nothing new).
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

#include "e2e_support.h"
#include "support/files.h"

namespace mk::e2e {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using test::WriteFile;

class Disc : public ::testing::Test {
protected:
    void SetUp() override {
        fs::copy_file(fs::path(MORVAKELIN_PROGRAM_DIR) / "morvakelin-cli",
                      m_folder.File("morvakelin-cli"));
        fs::create_directory(m_folder.File("out"));
        for (const char* name : {"Beach day", "Garden"}) {
            const std::string clip = m_folder.File(std::string(name) + ".avi");
            ASSERT_EQ(RunShell(Quoted(RealFfmpeg()) +
                               " -v error -f lavfi -i testsrc=rate=25:duration=2:size=320x240 -f "
                               "lavfi -i sine=duration=2 -c:v mpeg4 -c:a libmp3lame -shortest " +
                               Quoted(clip))
                          .exitCode,
                      0);
            m_sources += " " + Quoted(clip);
        }
    }
    ShellRun Cli(const std::string& options) const {
        return RunShell(Quoted(m_folder.File("morvakelin-cli")) + " " + options + m_sources);
    }
    std::string Out(const std::string& name) const { return m_folder.File("out/" + name); }
    // Nothing but `names` in out/: no work folder left behind.
    void ExpectOnly(std::vector<std::string> names) const {
        std::vector<std::string> found;
        for (const auto& entry : fs::directory_iterator(m_folder.File("out"))) {
            found.push_back(entry.path().filename().string());
        }
        std::sort(found.begin(), found.end());
        EXPECT_EQ(found, names);
    }

    ProgramFolder m_folder;
    std::string m_sources;
};

TEST_F(Disc, TwoTitleIsoReadsBackWithChaptersAndMenu) {
    const ShellRun run = Cli("--target dvd --chapters 0:01 --disc " + Quoted(Out("holiday.iso")));
    ASSERT_EQ(run.exitCode, 0) << run.output;
    const std::string read = RunShell("lsdvd -c -v " + Quoted(Out("holiday.iso")) +
                                      " 2>/dev/null | grep -E '^(Title|.(Chapter|VTS))' | "
                                      "cut -d, -f1-5")
                                 .output;
    // A mark on the GOP start nearest to 1 s (two GOPs of 0.6 s); none in the last GOP.
    const std::string title =
        ", Length: 00:00:02.040 Chapters: 02, Cells: 02, Audio streams: 01, Subpictures: 00\n"
        "\tVTS: 01, TTN: 0N, FPS: 25.00, Format: PAL, Aspect ratio: 4/3\n"
        "\tChapter: 01, Length: 00:00:01.200, Start Cell: 01\n"
        "\tChapter: 02, Length: 00:00:00.840, Start Cell: 02\n";
    EXPECT_EQ(read, "Title: 01" + std::regex_replace(title, std::regex("0N"), "01") + "Title: 02" +
                        std::regex_replace(title, std::regex("0N"), "02"));
    // The menu: a subpicture over the table of contents' VOB framing both buttons.
    const std::string menu = m_folder.File("menu.vob");
    ASSERT_EQ(RunShell("isoinfo -i " + Quoted(Out("holiday.iso")) +
                       " -x '/VIDEO_TS/VIDEO_TS.VOB;1' > " + Quoted(menu))
                  .exitCode,
              0);
    const ShellRun spu = RunShell("cd " + Quoted(m_folder.Path()) +
                                  " && spuunmux -o spu menu.vob 2>/dev/null && cat spu.xml");
    EXPECT_NE(spu.output.find("image=\"spu00000.png\""), std::string::npos) << spu.output;
    const Stream buttons = FirstOf(ProbeStreams(m_folder.File("spu00000.png")), "video");
    EXPECT_GT(std::stoi("0" + buttons["height"]), 80) << "one button high only";
    ExpectOnly({"holiday.iso"});
}

TEST_F(Disc, VcdCueAndBinHoldOneTrackPerSource) {
    const ShellRun run = Cli("--target vcd --disc " + Quoted(Out("trip.cue")));
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_NE(ReadFile(Out("trip.cue")).find("FILE \"trip.bin\" BINARY"), std::string::npos);
    const std::string info =
        RunShell("vcd-info --no-banner --cue-file " + Quoted(Out("trip.cue"))).output;
    EXPECT_NE(info.find("VCD 2.0 detected"), std::string::npos) << info;
    EXPECT_NE(info.find(" entries: 2"), std::string::npos) << info;
    ExpectOnly({"trip.bin", "trip.cue"});
}

TEST_F(Disc, FitFillsTheSizeWithoutGoingOver) {
    for (const char* passes : {"", " --two-pass"}) {
        const ShellRun run = Cli(std::string("--target dvd --fit 6M --jobs 2") + passes +
                                 " --disc " + Quoted(Out("fit.iso")));
        ASSERT_EQ(run.exitCode, 0) << run.output;
        const double fill = static_cast<double>(fs::file_size(Out("fit.iso"))) / 6e6;
        EXPECT_GE(fill, 0.95) << passes << run.output;
        EXPECT_LE(fill, 1.0) << passes << run.output;
        fs::remove(Out("fit.iso"));
    }
}

// Refused in one line, exit 2, before a single encode: nothing is written.
TEST_F(Disc, RefusalsComeBeforeAnythingRuns) {
    const struct {
        const char* options;
        const char* says;
    } cases[] = {
        {"--target mpeg4 --disc x.iso", "makes no disc"},
        {"--target svcd --disc x.iso", "must end in .cue"},
        {"--target dvd --fit 1M --disc x.iso", "do not fit 1M"},
        {"--target vcd --fit dvd5 --disc x.cue", "dvd5 is a DVD size"},
        {"--target dvd --chapters 1:75 --disc x.iso", "invalid value for --chapters"},
    };
    for (const auto& c : cases) {
        const ShellRun run = RunShell("cd " + Quoted(m_folder.File("out")) + " && " +
                                      Quoted(m_folder.File("morvakelin-cli")) + " " + c.options +
                                      m_sources + " 2>&1 >/dev/null");
        EXPECT_EQ(run.exitCode, 2) << c.options << ": " << run.output;
        EXPECT_NE(run.output.find(c.says), std::string::npos) << run.output;
        EXPECT_EQ(std::count(run.output.begin(), run.output.end(), '\n'), 1) << run.output;
    }
    ExpectOnly({});
}

TEST_F(Disc, FailingSourceLeavesTheEarlierDiscAsItWas) {
    WriteFile(Out("old.iso"), "an earlier disc");
    // An ffmpeg that fails the encode of one source (and probes it as the real one does).
    const std::string fake = m_folder.File("failing-ffmpeg");
    WriteFile(fake,
              "#!/bin/sh\ncase \"$*\" in *Garden.avi*title02*) echo 'Garden: broken' >&2; "
              "exit 1;; esac\nexec " +
                  Quoted(RealFfmpeg()) + " \"$@\"\n");
    fs::permissions(fake, fs::perms::owner_all);
    const ShellRun run = RunShell("MORVAKELIN_FFMPEG=" + Quoted(fake) + " " +
                                  Quoted(m_folder.File("morvakelin-cli")) +
                                  " --target dvd --disc " + Quoted(Out("old.iso")) + m_sources);
    EXPECT_EQ(run.exitCode, 1) << run.output;
    EXPECT_NE(run.output.find("title 2 (Garden)"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("Garden: broken"), std::string::npos) << run.output;
    EXPECT_TRUE(ReadFile(Out("old.iso")) == "an earlier disc");
    ExpectOnly({"old.iso"});
}

}  // namespace
}  // namespace mk::e2e
