// The process runner: where a command's streams go, its status, and that a stopped or abandoned
// command is over only when every process of its group has ended.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "platform/process_runner.h"

namespace mk {
namespace {

using namespace std::chrono_literals;

// Fields of /proc/PID/stat after the name: state and process group; false when it is gone.
bool ReadStat(const std::string& pid, char& state, long& group) {
    std::ifstream stat("/proc/" + pid + "/stat");
    std::string line;
    if (!std::getline(stat, line) || line.rfind(')') == std::string::npos) {
        return false;
    }
    std::istringstream rest(line.substr(line.rfind(')') + 1));
    long parent = 0;
    return static_cast<bool>(rest >> state >> parent >> group);
}

bool Live(const std::string& pid) {
    char state = 0;
    long group = 0;
    return ReadStat(pid, state, group) && state != 'Z' && state != 'X';
}

int LiveMembers(long group) {
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        char state = 0;
        long pgrp = 0;
        const std::string pid = entry.path().filename().string();
        if (ReadStat(pid, state, pgrp) && pgrp == group && state != 'Z' && state != 'X') {
            ++count;
        }
    }
    return count;
}

// Polls and reads stdout until `done` holds or five seconds pass.
template <typename F>
bool PollUntil(ShellProcess& p, std::string& out, F done) {
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        p.Poll();
        p.ReadOut(out);
        std::this_thread::sleep_for(5ms);
    }
    return true;
}

TEST(ProcessRunner, StreamsStatusAndArguments) {
    const struct {
        const char* line;
        Route err;
        std::vector<std::string> args;
        std::string out, errText;
        int status;
    } cases[] = {
        {"echo out; echo err >&2; exit 3", Route::Pipe, {}, "out\n", "err\n", 3},
        {"echo out; echo err >&2", Route::OtherOne, {}, "out\nerr\n", "", 0},
        {"cat; echo after", Route::Pipe, {}, "after\n", "", 0},  // input is /dev/null
        {"printf '%s|' \"$@\"", Route::Pipe, {"a b", "$(c)"}, "a b|$(c)|", "", 0},
        {"kill -KILL $$", Route::Pipe, {}, "", "", 128 + 9},
    };
    for (const auto& c : cases) {
        ShellProcess p;
        ShellOptions options;
        options.err = c.err;
        options.args = c.args;
        ASSERT_TRUE(p.Start(c.line, options)) << c.line;
        std::string out, err;
        Pump(p, {[&](std::string_view s) { out += s; }, [&](std::string_view s) { err += s; }, {}});
        EXPECT_EQ(out, c.out) << c.line;
        EXPECT_EQ(err, c.errText) << c.line;
        EXPECT_EQ(p.Status(), c.status) << c.line;
        EXPECT_EQ(p.ExitCode().has_value(), c.status < 128) << c.line;
    }
}

// The shell dies of the first SIGINT, but a grandchild that ignores SIGINT and SIGTERM is still
// there: the command is over only after the SIGKILL that ends it.
TEST(ProcessRunner, StopEndsAGrandchildDeafToPoliteSignals) {
    ShellProcess p({100ms, 100ms});
    ASSERT_TRUE(p.Start("sh -c 'trap \"\" INT TERM; echo $$; exec sleep 100' & wait"));
    std::string out;
    ASSERT_TRUE(PollUntil(p, out, [&] { return out.find('\n') != std::string::npos; }));
    const std::string grandchild = out.substr(0, out.find('\n'));
    ASSERT_TRUE(Live(grandchild));

    p.Stop();
    bool sawShellEndBeforeGroup = false;
    ASSERT_TRUE(PollUntil(p, out, [&] {
        if (p.Over()) {
            return true;
        }
        sawShellEndBeforeGroup |= p.ShellEnded() && Live(grandchild);
        return false;
    }));
    EXPECT_TRUE(sawShellEndBeforeGroup);
    EXPECT_FALSE(Live(grandchild));
    EXPECT_EQ(LiveMembers(p.Pid()), 0);
}

// A command that writes without end: each read returns, so a window stays responsive.
TEST(ProcessRunner, ReadingAFloodReturns) {
    ShellProcess p;
    ASSERT_TRUE(p.Start("yes"));
    for (int i = 0; i < 3; ++i) {
        std::string out;
        p.ReadOut(out);
        EXPECT_LE(out.size(), 2u << 20);
        std::this_thread::sleep_for(20ms);
    }
}

TEST(ProcessRunner, AbandonedCommandLeavesNoProcessBehind) {
    long group = 0;
    {
        ShellProcess p;
        ASSERT_TRUE(p.Start("sleep 100 | sleep 100"));
        group = p.Pid();
        std::string out;
        ASSERT_TRUE(PollUntil(p, out, [&] { return LiveMembers(group) >= 2; }));
    }
    // SIGKILL has been sent; its delivery takes a moment.
    const auto deadline = std::chrono::steady_clock::now() + 2s;
    while (LiveMembers(group) > 0 && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(5ms);
    }
    EXPECT_EQ(LiveMembers(group), 0);
}

}  // namespace
}  // namespace mk
