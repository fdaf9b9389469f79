#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "probe/probe_command.h"
#include "support/shell.h"
#include "support/temp_dir.h"

namespace mk {
namespace {

TEST(ProbeCommand, WindowsStringByteForByte) {
    EXPECT_EQ(ProbeCommand(ShellDialect::Windows(), R"(C:\Program Files\Morvakelin\)",
                           R"(D:\My Videos\movie.VOB)"),
              R"(""C:\Program Files\Morvakelin\ffmpeg.exe" -i "D:\My Videos\movie.VOB" -an -vn )"
              R"(2>"C:\Program Files\Morvakelin\Conf\test.txt"")");
}

TEST(ProbeCommand, PosixInnerCommandWithEscapedPaths) {
    EXPECT_EQ(ProbeCommand(ShellDialect::Posix(), "/opt/Morvakelin/", "/home/u/my clip.avi"),
              R"("/opt/Morvakelin/ffmpeg" -i "/home/u/my clip.avi" -an -vn )"
              R"(2>"/opt/Morvakelin/Conf/test.txt")");
    EXPECT_EQ(ProbeCommand(ShellDialect::Posix(), "/opt/a`b`/", "/v/$(touch pwned).avi"),
              R"("/opt/a\`b\`/ffmpeg" -i "/v/\$(touch pwned).avi" -an -vn )"
              R"(2>"/opt/a\`b\`/Conf/test.txt")");
}

TEST(ProbeCommand, PosixShellRunsOurToolOnTheNamedFiles) {
    const test::TempDir temp("mk_probe");
    const std::filesystem::path& root = temp.Path();
    // A program folder and a source whose names would run code if left unescaped.
    const std::filesystem::path program = root / "prog $(touch pwned) \"q\" \\";
    std::filesystem::create_directories(program / "Conf");
    const auto tool = program / "ffmpeg";
    std::ofstream(tool) << "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\" >&2; done\n";
    std::filesystem::permissions(tool, std::filesystem::perms::owner_all);
    const std::string source = (root / "`touch pwned2`.avi").string();

    const std::string command = "cd \"" + root.string() + "\" && " +
                                ProbeCommand(ShellDialect::Posix(), program.string() + "/", source);
    EXPECT_EQ(test::RunSh(command), 0) << command;

    std::ifstream report(program / "Conf" / "test.txt");
    std::vector<std::string> lines;
    for (std::string line; std::getline(report, line);) {
        lines.push_back(line);
    }
    EXPECT_EQ(lines, (std::vector<std::string>{"-i", source, "-an", "-vn"}));
    EXPECT_FALSE(std::filesystem::exists(root / "pwned"));
    EXPECT_FALSE(std::filesystem::exists(root / "pwned2"));
}

TEST(ExtensionOf, LettersAfterTheLastDotOfTheName) {
    const struct {
        std::string path, ext;
    } cases[] = {
        {"/home/u/movie.VOB", "VOB"},
        {"/home/u/movie.Vob", "Vob"},
        {"movie.tar.gz", "gz"},
        {"/home/u/my.videos/movie", ""},
        {R"(D:\My.Videos\movie)", ""},
        {R"(D:\Videos\movie.mp4)", "mp4"},
        {"/home/u/movie.", ""},
        {"movie", ""},
        {"", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ExtensionOf(c.path), c.ext) << c.path;
    }
}

}  // namespace
}  // namespace mk
