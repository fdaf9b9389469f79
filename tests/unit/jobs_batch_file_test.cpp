// The batch file keeps every line the user has and every character of each command.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <latch>
#include <map>
#include <mutex>
#include <sstream>
#include <thread>
#include <vector>

#include "form/form_model.h"
#include "jobs/batch_commands.h"
#include "jobs/batch_file.h"
#include "support/files.h"
#include "support/temp_dir.h"

namespace mk {
namespace {

using namespace std::string_literals;

class JobsBatchFile : public ::testing::Test {
protected:
    std::string Contents() const { return test::ReadFile(m_path); }
    void Write(const std::string& text) const { test::WriteFile(m_path, text); }

    test::TempDir m_temp{"mk_batch"};
    std::filesystem::path m_dir = m_temp.Path();
    std::string m_path = (m_dir / "batch.sh").string();
};

// Commands with the characters a shell or echo might touch: quotes, the AviSynth pipe, %, $,
// redirections, backslashes, non-ASCII.
const std::string kCommands[] = {
    "\"/opt/mk/ffmpeg\" -i \"/v/a b.avi\" -target pal-dvd -y \"/v/out.mpg\"",
    "\"/opt/mk/avs2yuv\" \"/opt/mk/TV.avs\" - | \"/opt/mk/ffmpeg\" -f yuv4mpegpipe -i - -acodec "
    "ac3 -i \"/v/a.avi\" -hq -y \"/v/o.mpg\"",
    "echo 100% $HOME `id` > & < ^ \\n \\\\ \xC3\xA4\xC3\x9F",
};

TEST_F(JobsBatchFile, AddWithoutFileWritesHeaderThenCommandPerDialect) {
    for (const auto& d : {ShellDialect::Posix(), ShellDialect::Windows()}) {
        std::filesystem::remove(m_path);
        ASSERT_TRUE(AppendBatchCommand(m_path, d, kCommands[1]));
        EXPECT_EQ(Contents(), d.BatchHeader() + d.LineEnd() + kCommands[1] + " " + d.LineEnd());
    }
}

TEST_F(JobsBatchFile, AddsKeepEveryLineAndCharacter) {
    const auto d = ShellDialect::Posix();
    // The user's own edits, including an empty line and a line left without its line end.
    Write("# my header\n\nmy own line");
    for (const auto& command : kCommands) {
        ASSERT_TRUE(AppendBatchCommand(m_path, d, command));
    }
    std::string expected = "# my header\n\nmy own line\n";
    for (const auto& command : kCommands) {
        expected += command + " \n";
    }
    EXPECT_EQ(Contents(), expected);
}

TEST_F(JobsBatchFile, EmptyExistingFileGetsNoHeader) {
    Write("");
    ASSERT_TRUE(AppendBatchCommand(m_path, ShellDialect::Windows(), "x"));
    EXPECT_EQ(Contents(), "x \r\n");
}

TEST_F(JobsBatchFile, ClearLeavesOnlyTheHeader) {
    const auto d = ShellDialect::Windows();
    Write("REM Batch file for Morvakelin \r\none \r\ntwo \r\n");
    ASSERT_TRUE(WriteBatchHeader(m_path, d));
    EXPECT_EQ(Contents(), "REM Batch file for Morvakelin \r\n");
}

TEST_F(JobsBatchFile, MissingFolderFailsAndCreatesNothing) {
    const std::string path = (m_dir / "no_conf" / "batch.sh").string();
    EXPECT_FALSE(WriteBatchHeader(path, ShellDialect::Posix()));
    EXPECT_FALSE(AppendBatchCommand(path, ShellDialect::Posix(), "x"));
    EXPECT_FALSE(std::filesystem::exists(m_dir / "no_conf"));
}

// Batch > Add in several windows and CLI runs at once, starting with no batch file: every line
// arrives once and whole, also lines longer than one 4 KiB page.
TEST_F(JobsBatchFile, ParallelAddsLoseNoLineAndSplitNone) {
    const auto d = ShellDialect::Posix();
    const FormEnv env{d, m_dir.string() + "/", true};
    std::filesystem::create_directory(m_dir / "Conf");
    m_path = BatchFilePath(env);
    constexpr int kRuns = 8;
    constexpr int kAdds = 6;
    for (int round = 0; round < 10; ++round) {
        std::filesystem::remove(m_path);
        std::vector<std::string> expected;
        std::mutex expectedMutex;
        std::latch start(kRuns);
        std::vector<std::thread> runs;
        for (int r = 0; r < kRuns; ++r) {
            runs.emplace_back([&, r] {
                start.arrive_and_wait();
                for (int i = 0; i < kAdds; ++i) {
                    EncoderFields f;
                    f.m_strSourceFile = "/v/" + std::to_string(r) + "-" + std::to_string(i);
                    f.m_strOutputFile = "/v/out.mpg";
                    f.m_strMoreOptions = "-metadata c=" + std::string(i % 2 ? 6000 : 10, 'c');
                    EncoderFields copy = f;
                    {
                        const std::lock_guard<std::mutex> hold(expectedMutex);
                        expected.push_back(Generate(copy, env).command + " ");
                    }
                    EXPECT_TRUE(AddToBatch(f, env).written);
                }
            });
        }
        for (std::thread& t : runs) {
            t.join();
        }
        std::map<std::string, int> seen;
        std::istringstream lines(Contents());
        std::string first;
        std::getline(lines, first);
        EXPECT_EQ(first, d.BatchHeader());
        for (std::string line; std::getline(lines, line);) {
            ++seen[line];
        }
        int lost = 0;
        for (const std::string& line : expected) {
            lost += seen[line] != 1;
        }
        ASSERT_EQ(lost, 0) << "round " << round;
        ASSERT_EQ(seen.size(), expected.size()) << "round " << round;
    }
}

// What Add writes is read back as sh reads it: one command per Add, its output by the name the
// shell gives it, whatever the name holds; the user's continued lines and comments as sh has them.
TEST_F(JobsBatchFile, CommandsAreReadWholeAsTheShellReadsThem) {
    const auto d = ShellDialect::Posix();
    std::filesystem::create_directory(m_dir / "Conf");
    const FormEnv env{d, m_dir.string() + "/", true};
    const std::string names[] = {"a\nb", "$x`y`\"z\\", "a\\\nb # c", "'q'\n#d\n", "e)$(f"};
    for (const std::string& name : names) {
        EncoderFields f;
        f.m_strSourceFile = "/v/" + name + ".avi";
        f.m_strOutputFile = "/v/" + name + ".mpg";
        ASSERT_TRUE(AddToBatch(f, env).written);
    }
    std::ofstream(BatchFilePath(env), std::ios::app)
        << "echo a \\\n  \"/v/cont\" # \"/v/no\"\n"
        << "f 2>&1 2> \"/v/log\" </dev/null -y /v/m\"i\"'x e'd\\ n\r\nf -y \"$HOME/x\"\n";
    const std::vector<BatchCommand> commands = BatchCommands(test::ReadFile(BatchFilePath(env)), d);
    ASSERT_EQ(commands.size(), std::size(names) + 3);
    for (std::size_t i = 0; i < std::size(names); ++i) {
        EXPECT_EQ(commands[i].output, "/v/" + names[i] + ".mpg") << i;
    }
    EXPECT_EQ(commands[1].line, 5u);  // the first spans lines 2 to 4
    EXPECT_EQ(commands[std::size(names)].output, "/v/cont");
    EXPECT_EQ(commands[std::size(names) + 1].output, "/v/mix ed n");  // any quoting
    EXPECT_EQ(commands.back().output, "");  // what the shell expands is not known here
}

TEST_F(JobsBatchFile, AFileThatCannotRunNamesItselfAndTheLine) {
    const auto d = ShellDialect::Posix();
    const std::string head = "# h\n\"/p/ffmpeg\" -i \"/v/a\" \n";
    const struct {
        const char* name;
        std::function<void()> make;
        std::string says;
    } cases[] = {
        {"folder", [&] { std::filesystem::create_directory(m_path); }, m_path + " is a folder"},
        {"fifo", [&] { ::mkfifo(m_path.c_str(), 0644); }, m_path + " is not a plain file"},
        {"too long", [&] { Write(head + "\n\n" + std::string(200, 'x')); }, "line 5 of the"},
        {"zero byte", [&] { Write(head + "a\0b\n"s); }, "line 3 of the batch file " + m_path},
    };
    for (const auto& c : cases) {
        std::filesystem::remove_all(m_path);
        c.make();
        const BatchRead read = ReadBatchFile(m_path, d, 100);
        EXPECT_NE(read.problem.find(c.says), std::string::npos) << c.name << ": " << read.problem;
        EXPECT_TRUE(read.commands.empty()) << c.name;
    }
}

}  // namespace
}  // namespace mk
