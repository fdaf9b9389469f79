// The stream test and encode console lines, and the TV.avs source check.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "jobs/avs_script.h"
#include "jobs/encode_command.h"
#include "jobs/stream_test.h"
#include "support/files.h"
#include "support/temp_dir.h"

namespace mk {
namespace {

TEST(JobsStreamTest, WindowsArgumentsAndConsoleLineAsDocumented) {
    EncoderFields f;
    f.m_strSourceFile = "C:\\Videos\\My Film.vob";
    f.m_strAudioStream = "2";
    const std::string folder = "C:\\Program Files\\Morvakelin\\";
    const auto d = ShellDialect::Windows();

    const std::string args = StreamTestArguments(d, folder, f);
    EXPECT_EQ(args,
              " -i \"C:\\Videos\\My Film.vob\" -vn -acodec mp2 -ar 48000 -ab 224000 -ac 2 -y "
              "\"C:\\Program Files\\Morvakelin\\StreamTest.mp2\" -map 0.2:0.0\"");
    EXPECT_EQ(StreamTestConsoleLine(d, folder, args),
              "cmd /K \"\"C:\\Program Files\\Morvakelin\\ffmpeg.exe\"" + args);
}

TEST(JobsStreamTest, PosixEscapesPathsAndAddsNoWrapping) {
    EncoderFields f;
    f.m_strSourceFile = "/home/u/$(rm -rf ~) \"a\".vob";
    f.m_strAudioStream = "1";
    const std::string folder = "/opt/mk `x`/";
    const auto d = ShellDialect::Posix();

    const std::string args = StreamTestArguments(d, folder, f);
    EXPECT_EQ(args,
              " -i \"/home/u/\\$(rm -rf ~) \\\"a\\\".vob\" -vn -acodec mp2 -ar 48000 -ab 224000 "
              "-ac 2 -y \"/opt/mk \\`x\\`/StreamTest.mp2\" -map 0.1:0.0");
    EXPECT_EQ(StreamTestConsoleLine(d, folder, args), "\"/opt/mk \\`x\\`/ffmpeg\"" + args);
}

TEST(JobsEncodeCommand, ConsoleLinePerDialect) {
    struct Case {
        ShellDialect dialect;
        std::string programPart, args, expected;
    };
    const Case cases[] = {
        {ShellDialect::Windows(), "C:\\Mk\\ffmpeg.exe\"", " -i \"C:\\a.avi\" -y \"C:\\b.mpg\"\"",
         "cmd /K \"\"C:\\Mk\\ffmpeg.exe\" -i \"C:\\a.avi\" -y \"C:\\b.mpg\"\""},
        // The AviSynth route: the pipe stays inside the wrapping quotes.
        {ShellDialect::Windows(),
         "C:\\Mk\\avs2yuv.exe\" \"C:\\Mk\\TV.avs\" - | \"C:\\Mk\\ffmpeg.exe\" -f yuv4mpegpipe "
         "-i - -acodec ac3 -i \"C:\\a.avi\" ",
         "-y \"C:\\b.mpg\"\"",
         "cmd /K \"\"C:\\Mk\\avs2yuv.exe\" \"C:\\Mk\\TV.avs\" - | \"C:\\Mk\\ffmpeg.exe\" -f "
         "yuv4mpegpipe -i - -acodec ac3 -i \"C:\\a.avi\" -y \"C:\\b.mpg\"\""},
        {ShellDialect::Posix(), "/opt/mk/ffmpeg\"", " -i \"/a.avi\" -y \"/b.mpg\"",
         "\"/opt/mk/ffmpeg\" -i \"/a.avi\" -y \"/b.mpg\""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(EncodeConsoleLine(c.dialect, c.programPart, c.args), c.expected);
    }
}

TEST(JobsAvsScript, SourceKeyTable) {
    const std::pair<std::string, std::string> cases[] = {
        {"C:\\Videos\\film.avi", "\"C:\\Videos\\film"},
        {"/home/u/a.b/film.part1.mkv", "\"/home/u/a.b/film.part1"},
        {"/home/u/noext", "\""},
        {"", "\""},
        {"/home/u/a.b/noext", "\"/home/u/a"},  // the last "." of the whole path counts
        {"film.", "\"film"},
    };
    for (const auto& [source, key] : cases) {
        EXPECT_EQ(SourceKey(source), key) << source;
    }
}

TEST(JobsAvsScript, ScriptNamesSourceTable) {
    const std::string source = "/v/Film.avi";
    struct Case {
        std::string script;
        bool names;
    };
    const Case cases[] = {
        {"AviSource(\"/v/Film.avi\")", true},
        {"DirectShowSource(\"/v/Film.mkv\", fps=25)", true},  // any extension
        {"AviSource(\"/v/film.avi\")", false},                // letter case matters
        {"AviSource(/v/Film.avi)", false},                    // no quote before the path
        {"AviSource(\" /v/Film.avi\")", false},
        {"", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ScriptNamesSource(c.script, source), c.names) << c.script;
    }
    EXPECT_TRUE(ScriptNamesSource("x = \"anything\"", "/v/noext"));
    EXPECT_FALSE(ScriptNamesSource("no quote at all", "/v/noext"));
}

TEST(JobsAvsScript, OnlyTheFirst5000BytesAreSearched) {
    const test::TempDir temp("mk_avs");
    const std::filesystem::path& dir = temp.Path();
    const std::string key = "AviSource(\"/v/Film.avi\")";
    const std::string path = (dir / "TV.avs").string();
    for (std::size_t padding : {kScriptSearchBytes - key.size(), kScriptSearchBytes - 1}) {
        test::WriteFile(path, std::string(padding, '#') + key);
        const auto text = ReadFilePrefix(path, kScriptSearchBytes);
        ASSERT_TRUE(text.has_value());
        EXPECT_EQ(text->size(), kScriptSearchBytes);
        EXPECT_EQ(ScriptNamesSource(*text, "/v/Film.avi"), padding + key.size() <= 5000) << padding;
    }
    EXPECT_FALSE(ReadFilePrefix((dir / "missing.avs").string(), 10).has_value());
    EXPECT_FALSE(ReadFilePrefix(dir.string(), 10).has_value());  // a folder is no script
}

}  // namespace
}  // namespace mk
