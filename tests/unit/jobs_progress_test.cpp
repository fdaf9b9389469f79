// Reading ffmpeg's stderr for progress, what the console shows of it, and the one pipeline that
// watches and judges every run.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "jobs/console_text.h"
#include "jobs/job_pool.h"
#include "jobs/progress.h"
#include "support/temp_dir.h"

namespace mk {
namespace {

// ffmpeg 5.1 on a 10-second clip, status line rewritten with carriage returns.
const std::string kEncodeOutput =
    "ffmpeg version 5.1.9 Copyright (c) 2000-2026 the FFmpeg developers\n"
    "Input #0, matroska,webm, from 'clip.mkv':\n"
    "  Metadata:\n"
    "    DURATION        : 00:00:07.000000000\n"
    "  Duration: 00:00:10.00, start: 0.000000, bitrate: 1520 kb/s\n"
    "  Stream #0:0: Video: ffv1, yuv420p, 640x480, 25 fps\n"
    "Output #0, mpeg, to 'out.mpg':\n"
    "  Duration: 00:00:30.00\n"  // not the input's; only the first counts
    "frame=    1 fps=0.0 q=0.0 size=       0kB time=-00:00:00.04 bitrate=N/A speed=N/A    \r"
    "frame=   62 fps=0.0 q=2.0 size=     512kB time=00:00:02.50 bitrate=1677.7kbits/s    \r"
    "frame=  125 fps=124 q=2.0 size=    1024kB time=00:00:05.00 bitrate=1677.7kbits/s    \r"
    "frame=  250 fps=125 q=-0.0 Lsize=   2048kB time=00:00:10.00 bitrate=1677.7kbits/s    \n"
    "video:2000kB audio:0kB subtitle:0kB other streams:0kB global headers:0kB\n";

// Feeds the text in chunks of `size` and records the percentage after each status line.
std::vector<std::optional<int>> PercentsAfterStatusLines(const std::string& text, std::size_t size,
                                                         ProgressParser& parser) {
    std::vector<std::optional<int>> seen;
    std::optional<double> last;
    for (std::size_t at = 0; at < text.size(); at += size) {
        parser.Feed(std::string_view(text).substr(at, size));
        if (parser.Position() != last) {
            last = parser.Position();
            seen.push_back(parser.Percent());
        }
    }
    return seen;
}

TEST(JobsProgress, RealisticOutputInAnyChunking) {
    for (std::size_t size :
         {std::size_t{1}, std::size_t{7}, std::size_t{100}, kEncodeOutput.size()}) {
        ProgressParser parser;
        const auto seen = PercentsAfterStatusLines(kEncodeOutput, size, parser);
        EXPECT_EQ(parser.Duration(), 10.0) << size;
        EXPECT_EQ(parser.Percent(), 100) << size;
        if (size == 1) {
            // Every status line is seen on its own: 0 (the negative start), 25, 50, 100.
            const std::vector<std::optional<int>> expected = {0, 25, 50, 100};
            EXPECT_EQ(seen, expected);
        }
    }
}

TEST(JobsProgress, TimeLeftFromElapsedWallTime) {
    ProgressParser parser;
    parser.Feed("  Duration: 00:01:40.00, start: 0.0\nframe=1 time=00:00:05.00 bitrate=1\r");
    EXPECT_FALSE(parser.SecondsLeft(2.0).has_value());  // too early to tell
    parser.Feed("frame=2 time=00:00:25.00 bitrate=1\r");
    EXPECT_EQ(parser.Percent(), 25);
    ASSERT_TRUE(parser.SecondsLeft(10.0).has_value());
    EXPECT_DOUBLE_EQ(*parser.SecondsLeft(10.0), 30.0);  // 20 s of media took 8 s: 75 s take 30
    EXPECT_FALSE(parser.SecondsLeft(0.0).has_value());
}

// Encodes simulated at the console's pace: asked every 0.2 s, ffmpeg reporting every 0.5 s.
// No estimate before the encode has shown its speed; then one that only counts down or moves
// gradually, and ends near the truth.
TEST(JobsProgress, TimeLeftWaitsUntilMeaningfulThenStaysSteady) {
    const struct {
        const char* name;
        double duration;
        double (*position)(double wall);  // media seconds done after `wall` seconds
        double end;                       // wall time the encode ends
    } cases[] = {
        {"two seconds of start-up, then real time", 17,
         [](double t) { return std::max(0.0, t - 2); }, 19},
        {"fast, then a quarter of that speed", 60,
         [](double t) { return t < 5 ? std::max(0.0, 4 * (t - 1)) : 16 + (t - 5); }, 49},
    };
    for (const auto& c : cases) {
        TimeLeftEstimate estimate;
        std::optional<double> previous;
        double reported = 0;
        for (double t = 0.2; t < c.end; t += 0.2) {
            if (std::fmod(t + 1e-9, 0.5) < 0.2) {
                reported = c.position(t);
            }
            const auto left = estimate.Update(reported, c.duration, t);
            if (reported < c.duration * 0.03 || t < 3) {
                EXPECT_FALSE(left.has_value()) << c.name << " at " << t;
                continue;
            }
            if (previous && left) {
                EXPECT_NEAR(*left, *previous - 0.2, 0.2 * *previous + 0.5) << c.name << " at " << t;
            }
            if (left && t > c.end * 0.7) {
                EXPECT_NEAR(*left, c.end - t, std::max(2.0, 0.25 * (c.end - t))) << c.name << t;
            }
            previous = left;
        }
        EXPECT_TRUE(previous.has_value()) << c.name;
    }
}

TEST(JobsProgress, UnknownCases) {
    struct Case {
        const char* name;
        std::string text;
        bool batch;
    };
    const Case cases[] = {
        {"no duration", "Input #0, lavfi\n  Duration: N/A, start: 0\nframe=1 time=00:00:01.00 \r",
         false},
        {"batch", "  Duration: 00:00:10.00, start\nframe=1 time=00:00:05.00 \r", true},
        {"nothing yet", "", false},
    };
    for (const auto& c : cases) {
        ProgressParser parser(c.batch);
        parser.Feed(c.text);
        EXPECT_FALSE(parser.Percent().has_value()) << c.name;
        EXPECT_FALSE(parser.SecondsLeft(5).has_value()) << c.name;
    }
}

TEST(JobsProgress, PipeTakesTheFirstKnownDurationAndIgnoresTimeNA) {
    ProgressParser parser;
    parser.Feed(
        "Input #0, yuv4mpegpipe, from 'pipe:':\n  Duration: N/A, start: 0.000000\n"
        "Input #1, avi, from 'a.avi':\n  Duration: 00:00:04.00, start: 0.000000\n"
        "frame=50 time=00:00:02.00 bitrate=1\rframe=51 time=N/A bitrate=N/A\r");
    EXPECT_EQ(parser.Duration(), 4.0);
    EXPECT_EQ(parser.Percent(), 50);
}

TEST(JobsProgress, ClockTexts) {
    EXPECT_EQ(ParseClock("01:02:03.50"), 3723.5);
    EXPECT_EQ(ParseClock("123:00:00"), 123 * 3600.0);
    EXPECT_EQ(ParseClock("-00:00:00.04"), -0.04);
    EXPECT_FALSE(ParseClock("N/A").has_value());
    EXPECT_FALSE(ParseClock("12:34").has_value());
    EXPECT_EQ(FormatClock(59.6), "1:00");
    EXPECT_EQ(FormatClock(3725), "1:02:05");
    EXPECT_EQ(FormatClock(-3), "0:00");
}

TEST(JobsConsoleText, StatusLineRewritesItselfInAnyChunking) {
    for (std::size_t size : {std::size_t{1}, std::size_t{5}, kEncodeOutput.size()}) {
        ConsoleText text(1000);
        std::vector<std::string> lines;
        for (std::size_t at = 0; at < kEncodeOutput.size(); at += size) {
            text.Feed(std::string_view(kEncodeOutput).substr(at, size));
            for (auto& line : text.TakeFinishedLines()) {
                lines.push_back(line);
            }
        }
        ASSERT_EQ(lines.size(), 10u) << size;
        EXPECT_EQ(lines[8],
                  "frame=  250 fps=125 q=-0.0 Lsize=   2048kB time=00:00:10.00 "
                  "bitrate=1677.7kbits/s    ")
            << size;
        EXPECT_EQ(text.CurrentLine(), "");
    }
}

TEST(JobsConsoleText, CurrentLineAndCrLf) {
    ConsoleText text(10);
    text.Feed("a\r\nb\r");
    EXPECT_EQ(text.CurrentLine(), "b");  // shown until something replaces it
    text.Feed("cc");
    EXPECT_EQ(text.CurrentLine(), "cc");
    text.Finish();
    EXPECT_EQ(text.TakeFinishedLines(), (std::vector<std::string>{"a", "cc"}));
}

TEST(JobsConsoleText, PendingLinesAreBoundedAndLongLinesSplit) {
    ConsoleText text(3);
    text.Feed("1\n2\n3\n4\n5\n");
    EXPECT_EQ(text.TakeFinishedLines(), (std::vector<std::string>{"3", "4", "5"}));
    EXPECT_EQ(text.DroppedLines(), 2u);

    ConsoleText wide(100);
    const std::string big(40 * 1024, 'x');
    wide.Feed(big);
    wide.Finish();
    std::string joined;
    for (const auto& line : wide.TakeFinishedLines()) {
        EXPECT_LE(line.size(), 16u * 1024);
        joined += line;
    }
    EXPECT_EQ(joined, big);
}

// Every job watched and judged alike (damage counted, long lines shortened, no size asked of a
// device), and never more jobs at once than the pool is given.
TEST(JobsPipeline, EveryJobWatchedAndJudgedWithinItsLimit) {
    const test::TempDir dir;
    std::ofstream(dir.File("empty"));
    const std::string why = std::string(900, 'p') + " the reason";
    const std::vector<JobSpec> jobs = {
        {"damaged", "echo 'Error while decoding stream #0:0' >&2", "/dev/null", {}},
        {"failed", "echo '" + why + "' >&2; echo 'frame=1 time=00:00:01.00' >&2; exit 3", "", {}},
        {"missing", "true", dir.File("none"), {}},
        {"empty", "true", dir.File("empty"), {}}};
    const RunResult results[] = {RunResult::Good, RunResult::Failed, RunResult::NoOutput,
                                 RunResult::EmptyOutput};
    for (const std::size_t limit : {1, 3}) {
        JobPool pool(jobs, limit);
        std::size_t most = 0;
        JobPool::Events events;
        events.onStart = [&](std::size_t) {
            most = std::max<std::size_t>(
                most,
                std::count_if(pool.States().begin(), pool.States().end(),
                              [](const JobState& s) { return s.phase == JobPhase::Running; }));
        };
        pool.Run(events);
        EXPECT_EQ(most, limit);
        for (std::size_t i = 0; i < jobs.size(); ++i) {
            EXPECT_EQ(pool.States()[i].verdict.result, results[i]) << jobs[i].name;
            EXPECT_EQ(pool.States()[i].watch.Damage().Count(), i == 0 ? 1u : 0u) << i;
        }
        const std::string reason = pool.States()[1].watch.Reason();
        EXPECT_TRUE(reason.size() <= 400 && reason.ends_with("the reason")) << reason;
    }
}

}  // namespace
}  // namespace mk
