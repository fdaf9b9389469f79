// The batch file keeps every line the user has and every character of each command.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <latch>
#include <map>
#include <mutex>
#include <sstream>
#include <thread>
#include <vector>

#include "form/form_model.h"
#include "jobs/batch_file.h"
#include "support/files.h"
#include "support/temp_dir.h"

namespace mk {
namespace {

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

}  // namespace
}  // namespace mk
