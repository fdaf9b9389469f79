// Bad input at the readers and writers of the program's files: probe reports of megabytes and
// with zero bytes, scripts of binary garbage, batch files that cannot be written or end oddly,
// names the shell must read back byte for byte, sources that would never let the probe end.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <thread>

#include "avs2yuv/avs_script.h"
#include "jobs/avs_script.h"
#include "jobs/batch_file.h"
#include "platform/file_checks.h"
#include "platform/shell_dialect.h"
#include "probe/probe_run.h"
#include "probe/probe_watch.h"
#include "probe/report_parser.h"
#include "probe/report_text.h"
#include "support/files.h"
#include "support/shell.h"
#include "support/temp_dir.h"
#include "translate/probe_report.h"

namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

using mk::test::ReadFile;
using mk::test::TempDir;
using mk::test::WriteFile;

std::string Garbage(std::size_t size, unsigned seed) {
    std::mt19937 random(seed);
    std::string bytes(size, '\0');
    for (char& c : bytes) {
        c = static_cast<char>(random());
    }
    return bytes;
}

// A report as our ffmpeg writes it, with `streams` audio stream lines after the picture.
std::string LongReport(int streams) {
    std::string text =
        "Input #0, mpegts, from 'x.ts':\n  Duration: 00:01:00.00, start: 0.0, bitrate: 9 kb/s\n"
        "    Stream #0.0[0x100]: Video: mpeg2video, yuv420p, 720x576, 25 fps\n";
    for (int i = 1; i <= streams; ++i) {
        text += "    Stream #0." + std::to_string(i) + "[0x101]: Audio: mp2, 48000 Hz, stereo\n";
    }
    return text + "Must supply at least one output file\n";
}

TEST(FaultProbeReport, OnlyTheFirst1800BytesOfAHugeReportAreRead) {
    TempDir dir;
    const std::string huge = LongReport(100000);
    ASSERT_GT(huge.size(), 5'000'000u);
    const auto read = mk::ReadProbeReport(WriteFile(dir.File("test.txt"), huge));
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(*read, huge.substr(0, 1800));

    const mk::ProbeFacts facts = mk::ParseProbeText(*read);
    EXPECT_EQ(facts.width, 720);
    EXPECT_EQ(facts.height, 576);
    EXPECT_EQ(facts.sourceInfo, "  ");  // its closing line lies beyond what is read
    EXPECT_EQ(mk::GetSourceAudioCodec(dir.File("test.txt")), "mp2");
}

TEST(FaultProbeReport, ZeroBytesAndFoldersEndTheReport) {
    TempDir dir;
    const std::string report = LongReport(1);
    const struct {
        const char* name;
        std::string bytes;
        std::string expected;
    } cases[] = {
        {"zero byte in the stream line", report.substr(0, 100) + '\0' + report.substr(100),
         report.substr(0, 100)},
        {"zero byte first", '\0' + report, ""},
        {"empty file", "", ""},
    };
    for (const auto& c : cases) {
        const auto read = mk::ReadProbeReport(WriteFile(dir.File("test.txt"), c.bytes));
        ASSERT_TRUE(read.has_value()) << c.name;
        EXPECT_EQ(*read, c.expected) << c.name;
        mk::ParseProbeText(*read);
    }
    fs::create_directory(dir.File("folder.txt"));
    EXPECT_FALSE(mk::ReadProbeReport(dir.File("folder.txt")).has_value());
    EXPECT_EQ(mk::GetSourceAudioCodec(dir.File("folder.txt")), "");
}

TEST(FaultProbeReport, OurFfmpegRewritesAMegabyteReportCompletely) {
    // Today's ffmpeg on a file with fifty thousand streams and as many metadata lines.
    std::string modern = "Input #0, mpegts, from 'x.ts':\n  Duration: 00:00:01.00, start: 0.0\n";
    for (int i = 0; i < 50000; ++i) {
        modern += "  Stream #0:" + std::to_string(i) +
                  "[0x101](eng): Audio: mp2 ([3][0][0][0] / 0x0003), 48000 Hz, stereo, fltp\n"
                  "    Metadata:\n      title           : (" +
                  std::string(40, 'x') + ")\n";
    }
    modern += "At least one output file must be specified\n";
    const mk::toolkit::ProbeReport report = mk::toolkit::RewriteProbeReport(modern);
    ASSERT_TRUE(report.describedInput);
    EXPECT_EQ(report.text.find("Metadata"), std::string::npos);
    EXPECT_NE(report.text.find("    Stream #0.49999[0x101](eng): Audio: mp2, 48000 Hz"),
              std::string::npos);
    EXPECT_TRUE(report.text.ends_with("Must supply at least one output file\n"));
}

TEST(FaultScript, BinaryGarbageNamesNoSourceAndRendersNothing) {
    for (unsigned seed = 1; seed <= 20; ++seed) {
        const std::string garbage = Garbage(16 * 1024, seed);
        const mk::toolkit::AvsScript script = mk::toolkit::ReadAvsScript(garbage);
        EXPECT_FALSE(script.problems.empty()) << "seed " << seed;
        EXPECT_FALSE(mk::ScriptNamesSource(garbage.substr(0, 5000), "/v/some source.avi"));
    }
}

TEST(FaultScript, UnfinishedSyntaxIsReportedNotRunPast) {
    const struct {
        const char* name;
        std::string text;
    } cases[] = {
        {"string without end", "AviSource(\"/v/a.avi)\n"},
        {"block comment without end", "AviSource(\"/v/a.avi\")\n/* Trim(0, 10)\n"},
        {"nested comment without end", "[* [* *] AviSource(\"/v/a.avi\")"},
        {"triple string without end", "AviSource(\"\"\"/v/a.avi)\nTrim(0,1)\n"},
        {"zero byte inside the call", "AviSource(\"/v/a\0.avi\")\n"s},
        {"a megabyte on one line", "AviSource(\"" + std::string(1 << 20, 'a') + "\")).x("},
        {"call without closing parenthesis", "AviSource(\"/v/a.avi\"\nTrim(0,1)\n"},
    };
    for (const auto& c : cases) {
        const mk::toolkit::AvsScript script = mk::toolkit::ReadAvsScript(c.text);
        // Either a clean source that exists in the text, or a problem that stops avs2yuv.
        if (script.problems.empty()) {
            EXPECT_NE(c.text.find(script.sourcePath), std::string::npos) << c.name;
        }
        EXPECT_TRUE(!script.problems.empty() || script.sourceLine > 0) << c.name;
    }
}

TEST(FaultScript, TheSourceKeyIsFoundPastZeroBytesOnlyWithinTheBytesRead) {
    TempDir dir;
    const std::string source = "/v/My Film.avi";
    const std::string key = "AviSource(\"/v/My Film.avi\")";
    const std::string near = Garbage(1000, 7) + '\0' + key;
    const std::string far = Garbage(6000, 7) + key;
    const auto nearText = mk::ReadFilePrefix(WriteFile(dir.File("near.avs"), near), 5000);
    const auto farText = mk::ReadFilePrefix(WriteFile(dir.File("far.avs"), far), 5000);
    ASSERT_TRUE(nearText && farText);
    EXPECT_TRUE(mk::ScriptNamesSource(*nearText, source));
    EXPECT_FALSE(mk::ScriptNamesSource(*farText, source));
    EXPECT_FALSE(mk::ReadFilePrefix(dir.File("missing.avs"), 5000).has_value());
    EXPECT_FALSE(mk::ReadFilePrefix(dir.Path().string(), 5000).has_value());
}

TEST(FaultBatchFile, NoLineIsLostOrMixedWithAnother) {
    TempDir dir;
    const mk::ShellDialect d = mk::ShellDialect::Posix();
    const std::string batch = dir.File("batch.sh");
    const struct {
        const char* name;
        std::string before;  // "" : no file yet
        std::string command;
        std::string after;
    } cases[] = {
        {"no file", "", "\"/p/ffmpeg\" -i \"/v/a.avi\"",
         "# Batch file for Morvakelin \n\"/p/ffmpeg\" -i \"/v/a.avi\" \n"},
        {"user's last line without its end", "# x\nuser line", "cmd", "# x\nuser line\ncmd \n"},
        {"zero bytes and CRLF kept", "# x\r\nA\0B\r\n"s, "c", "# x\r\nA\0B\r\nc \n"s},
        {"a name with a line break stays inside its quotes", "# x\n",
         "\"/p/ffmpeg\" -i \"/v/a\nb.avi\"", "# x\n\"/p/ffmpeg\" -i \"/v/a\nb.avi\" \n"},
    };
    for (const auto& c : cases) {
        fs::remove(batch);
        if (!c.before.empty()) {
            WriteFile(batch, c.before);
        }
        EXPECT_TRUE(mk::AppendBatchCommand(batch, d, c.command)) << c.name;
        EXPECT_EQ(ReadFile(batch), c.after) << c.name;
    }
}

TEST(FaultBatchFile, UnwritablePlacesFailWithoutCreatingAnything) {
    TempDir dir;
    const mk::ShellDialect d = mk::ShellDialect::Posix();
    const std::string inMissingFolder = dir.File("no Conf/batch.sh");
    EXPECT_FALSE(mk::WriteBatchHeader(inMissingFolder, d));
    EXPECT_FALSE(mk::AppendBatchCommand(inMissingFolder, d, "cmd"));
    EXPECT_FALSE(fs::exists(dir.File("no Conf")));

    // A folder where the batch file should be is left alone.
    fs::create_directory(dir.File("batch.sh"));
    EXPECT_FALSE(mk::AppendBatchCommand(dir.File("batch.sh"), d, "cmd"));
    EXPECT_FALSE(mk::WriteBatchHeader(dir.File("batch.sh"), d));
    EXPECT_TRUE(fs::is_directory(dir.File("batch.sh")));
}

TEST(FaultBatchFile, AFullDiskLeavesTheEarlierLinesWhole) {
    // /dev/full takes nothing: every write fails with "no space left on device".
    if (!fs::exists("/dev/full")) {
        GTEST_SKIP() << "no /dev/full on this machine";
    }
    const mk::ShellDialect d = mk::ShellDialect::Posix();
    EXPECT_FALSE(mk::WriteBatchHeader("/dev/full", d));
    EXPECT_FALSE(mk::AppendBatchCommand("/dev/full", d, "\"/p/ffmpeg\" -i \"/v/a.avi\""));
}

// Every byte string of one to three bytes, and long ones that sh itself reads back (no zero byte:
// no argument can hold one).
TEST(FaultShellDialect, UnescapeUndoesEscapeAsTheShellDoes) {
    const mk::ShellDialect d = mk::ShellDialect::Posix();
    std::size_t wrong = 0;
    for (std::size_t length = 1; length <= 3; ++length) {
        for (std::uint32_t n = 0; n < (1u << (8 * length)); ++n) {
            const char bytes[] = {char(n), char(n >> 8), char(n >> 16)};
            const std::string s(bytes, length);
            wrong += d.Unescape(d.Escape(s)) != s;
        }
    }
    EXPECT_EQ(wrong, 0u);
    std::mt19937 random(5);
    const std::string mean = "\\\"$`\n'#;|&(){} \x80\xff";
    for (std::size_t size : {200u, 5000u}) {
        std::string name;
        for (std::size_t i = 0; i < size; ++i) {
            name += random() % 2 ? mean[random() % mean.size()] : char(1 + random() % 255);
        }
        const std::string escaped = d.Escape(name);
        EXPECT_TRUE(mk::test::RunShell("printf %s \"" + escaped + "\"", 30).output == name);
        EXPECT_EQ(d.Unescape(escaped), name);
    }
}

TEST(FaultProbeSource, FifosAndDevicesAreRefusedBeforeTheProbeRuns) {
    TempDir dir;
    ASSERT_EQ(::mkfifo(dir.File("f.avi").c_str(), 0644), 0);
    WriteFile(dir.File("plain.avi"), "x");
    fs::create_directory(dir.File("Conf"));
    const struct {
        std::string source;
        const char* refusedAs;  // nullptr: not refused
        int probes;             // a stream is not probed
    } cases[] = {
        {dir.File("f.avi"), "a FIFO", 0},
        {"/dev/zero", "a character device", 0},
        {dir.File("plain.avi"), nullptr, 1},
        {"-", nullptr, 0},
        {"pipe:0", nullptr, 0},
    };
    for (const auto& c : cases) {
        int runs = 0;
        const mk::ProbeOutcome outcome = mk::RunProbe(
            mk::ShellDialect::Posix(), dir.Folder(), c.source, [&](const auto&) { return runs++; });
        EXPECT_EQ(runs, c.probes) << c.source;
        EXPECT_EQ(outcome.problem.find(c.source + " is " + (c.refusedAs ? c.refusedAs : "")),
                  c.refusedAs ? 0 : std::string::npos)
            << outcome.problem;
    }
}

TEST(FaultProbeSource, ASilentOrStoppedProbeEndsWithItsWholeGroup) {
    TempDir dir;
    // A child that ignores SIGINT and SIGTERM, as ffmpeg blocked on a FIFO does.
    const std::string line = "echo $$ > " + mk::test::Quoted(dir.File("group")) +
                             "; sh -c 'trap \"\" INT TERM; sleep 600' & sleep 600";
    for (const bool userStops : {false, true}) {
        mk::ProbeWatch watch(dir.File("report"),
                             std::chrono::milliseconds(userStops ? 60000 : 300));
        ASSERT_TRUE(watch.Start(line, mk::Route::Null, mk::Route::Null));
        for (int look = 0; !watch.Step() && look < 1000; ++look) {
            if (userStops && look == 5) {
                watch.Stop(SIGTERM);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        const mk::ProbeEnd end = watch.End();
        EXPECT_EQ(end.silent, !userStops);
        EXPECT_EQ(end.stopSignal, userStops ? SIGTERM : 0);
        const std::string group = std::to_string(std::atoi(ReadFile(dir.File("group")).c_str()));
        const mk::test::ShellRun left = mk::test::RunShell(
            "ps -e -o pgid=,stat= | awk '$1 == " + group + " && $2 !~ /^Z/'", 30);
        EXPECT_EQ(left.output, "") << "group " << group;
    }
}

}  // namespace
