// Stop in the console during a real encode and during a batch run: within two seconds every
// process of the command is gone, and a batch does not go on to its next line.
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <thread>

#include "platform/shell_dialect.h"
#include "qt/console_window.h"
#include "support/process_watch.h"

namespace mk {
namespace {

// What Stop promises: every process ended within this long after the click.
constexpr int kStopDeadlineMs = 2000;

// An encode through our ffmpeg that reads its input at its own pace for a minute, so it is
// surely still running when Stop comes.
std::string SlowEncode(const std::string& output) {
    const ShellDialect d = ShellDialect::Posix();
    return "\"" + d.Escape(MORVAKELIN_PROGRAM_DIR) +
           "/ffmpeg\" -re -f lavfi -i testsrc=size=320x240:rate=25:duration=60 -f lavfi -i "
           "sine=duration=60 -target pal-dvd -b 2000000 -acodec ac3 -ab 192000 -ac 2 -y \"" +
           d.Escape(output) + "\"";
}

// Waits until ffmpeg reports its progress, clicks Stop and waits for every process to end.
void StopMidEncode(ConsoleWindow& window) {
    window.Start();
    const qint64 group = window.ProcessGroup();
    ASSERT_GT(group, 0);
    ASSERT_TRUE(
        WaitFor([&] { return window.OutputText().contains(QStringLiteral("frame=")); }, 60000))
        << window.OutputText().toStdString();

    window.StopButton()->click();
    EXPECT_TRUE(
        WaitFor([&] { return !window.IsRunning() && LiveMembers(group).empty(); }, kStopDeadlineMs))
        << LiveMembers(group).size() << " processes left";
    EXPECT_TRUE(WaitFor([&] { return LiveMembers(group).empty(); }, 10000));
    EXPECT_TRUE(window.Result().stopped);
    EXPECT_EQ(window.Result().exitStatus, -1);
    EXPECT_TRUE(window.StatusText().contains(QStringLiteral("Stopped")));
}

TEST(FaultConsoleStop, StopDuringAnEncodeEndsItsProcesses) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ConsoleWindow window(SlowEncode(dir.filePath(QStringLiteral("out.mpg")).toStdString()),
                         ConsoleOptions{});
    StopMidEncode(window);
}

TEST(FaultConsoleStop, StopDuringABatchRunEndsItAndRunsNoFurtherLine) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string folder = dir.path().toStdString() + "/";
    const ShellDialect d = ShellDialect::Posix();
    const std::string batch = folder + "batch.sh";
    std::ofstream(batch) << d.BatchHeader() << "\n"
                         << SlowEncode(folder + "one.mpg") << " \n"
                         << SlowEncode(folder + "two.mpg") << " \n";

    ConsoleOptions options;
    options.batch = true;
    ConsoleWindow window(d.BatchRunLine("\"" + d.Escape(batch) + "\""), options);
    StopMidEncode(window);
    // The stopped encode leaves no cut-off file under its name, and the next line never ran.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"batch.sh"});
}

TEST(FaultConsoleStop, ARunThatFailsSaysSoInItsStatus) {
    ConsoleOptions options;
    options.closeWhenDone = true;
    const struct {
        const char* command;
        bool failed;
    } cases[] = {
        {"true", false},
        {"exit 1", true},
        {"kill -KILL $$", true},  // the shell itself killed: no exit status at all
        {"sh -c 'kill -KILL $$'", true},
        {"/nonexistent/ffmpeg -i x", true},
    };
    for (const auto& c : cases) {
        ConsoleWindow window(c.command, options);
        window.Start();
        ASSERT_TRUE(WaitFor([&] { return !window.IsRunning(); }, 30000)) << c.command;
        EXPECT_EQ(window.Result().exitStatus != 0, c.failed) << c.command;
        EXPECT_EQ(window.StatusText().startsWith(QStringLiteral("Finished")), !c.failed)
            << c.command << ": " << window.StatusText().toStdString();
    }
}

}  // namespace
}  // namespace mk
