#include <gtest/gtest.h>

#include <stdlib.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "command/arguments.h"
#include "command/executable_part.h"
#include "form/form_model.h"
#include "support/shell.h"
#include "support/temp_dir.h"

namespace mk {
namespace {

// The form's defaults with an ordinary source and output.
EncoderFields Defaults() {
    EncoderFields f;
    f.m_strSourceFile = "in.avi";
    f.m_strSourceExt = "avi";
    f.m_strOutputFile = "out.mpg";
    return f;
}

TEST(BuildArguments, WorkedExampleWithTheDefaults) {
    EncoderFields f;
    f.m_strSourceFile = R"(C:\Videos\holiday.avi)";
    f.m_strSourceExt = "avi";
    f.m_strOutputFile = R"(C:\Videos\holiday.mpg)";
    const std::string args = BuildArguments(f, ShellDialect::Windows());
    EXPECT_EQ(args,
              R"( -i "C:\Videos\holiday.avi" -target pal-dvd -b 6000000 -aspect 4:3 -s 720x576 )"
              R"(-acodec ac3 -ab 448000 -ac 6 -mbd 2 -qmin 2 -async 1 -y "C:\Videos\holiday.mpg")");
    EXPECT_EQ(f.m_strArguments, args);
    EXPECT_EQ(f.m_strMoreOptions, "-mbd 2 -qmin 2");
}

struct ArgumentsCase {
    const char* name;
    std::function<void(EncoderFields&)> setup;
    std::string expectedArgs;
    std::string expectedMore;
};

TEST(BuildArguments, PiecesByCondition) {
    const ArgumentsCase cases[] = {
        {"dvd ntsc", [](EncoderFields& f) { f.m_strFormat = "ntsc"; },
         R"( -i "in.avi" -target ntsc-dvd -b 6000000 -aspect 4:3 -s 720x576 -acodec ac3 -ab 448000 -ac 6 -mbd 2 -qmin 2 -async 1 -y "out.mpg")",
         "-mbd 2 -qmin 2"},
        {"dvd with a qmin of the user's", [](EncoderFields& f) { f.m_strMoreOptions = "-qmin 3"; },
         R"( -i "in.avi" -target pal-dvd -b 6000000 -aspect 4:3 -s 720x576 -acodec ac3 -ab 448000 -ac 6 -qmin 3 -async 1 -y "out.mpg")",
         "-qmin 3"},
        {"dvd from MP4",
         [](EncoderFields& f) {
             f.m_strSourceFile = "in.MP4";
             f.m_strSourceExt = "MP4";
         },
         R"( -i "in.MP4" -target pal-dvd -b 6000000 -aspect 4:3 -s 720x576 -acodec ac3 -ab 448000 -ac 6 -mbd 2 -qmin 2 -sameq -async 1 -y "out.mpg")",
         "-mbd 2 -qmin 2 -sameq"},
        {"dvd from Mp4 (no sameq)",
         [](EncoderFields& f) {
             f.m_strSourceFile = "in.Mp4";
             f.m_strSourceExt = "Mp4";
         },
         R"( -i "in.Mp4" -target pal-dvd -b 6000000 -aspect 4:3 -s 720x576 -acodec ac3 -ab 448000 -ac 6 -mbd 2 -qmin 2 -async 1 -y "out.mpg")",
         "-mbd 2 -qmin 2"},
        {"dvd from mp4 with qmin, no sameq",
         [](EncoderFields& f) {
             f.m_strSourceExt = "mp4";
             f.m_strMoreOptions = "-qmin 3";
         },
         R"( -i "in.avi" -target pal-dvd -b 6000000 -aspect 4:3 -s 720x576 -acodec ac3 -ab 448000 -ac 6 -qmin 3 -sameq -async 1 -y "out.mpg")",
         "-qmin 3 -sameq"},
        {"mpeg4 pal", [](EncoderFields& f) { f.m_strTarget = "mpeg4"; },
         R"( -i "in.avi" -vcodec mpeg4 -g 240 -b 6000000 -aspect 4:3 -s 720x576 -acodec ac3 -ab 448000 -ac 6 -mbd 2 -vtag xvid -qmin 2 -async 1 -y "out.mpg")",
         "-mbd 2 -vtag xvid -qmin 2"},
        {"mpeg4 ntsc",
         [](EncoderFields& f) {
             f.m_strTarget = "mpeg4";
             f.m_strFormat = "ntsc";
         },
         R"( -i "in.avi" -vcodec mpeg4 -g 300 -b 6000000 -aspect 4:3 -s 720x576 -acodec ac3 -ab 448000 -ac 6 -mbd 2 -vtag xvid -qmin 2 -async 1 -y "out.mpg")",
         "-mbd 2 -vtag xvid -qmin 2"},
        {"mpeg4 with a vtag of the user's",
         [](EncoderFields& f) {
             f.m_strTarget = "mpeg4";
             f.m_strMoreOptions = "-vtag DX50";
         },
         R"( -i "in.avi" -vcodec mpeg4 -g 240 -b 6000000 -aspect 4:3 -s 720x576 -acodec ac3 -ab 448000 -ac 6 -vtag DX50 -async 1 -y "out.mpg")",
         "-vtag DX50"},
        {"mpeg4 with a qmin of the user's",
         [](EncoderFields& f) {
             f.m_strTarget = "mpeg4";
             f.m_strMoreOptions = "-qmin 3";
         },
         R"( -i "in.avi" -vcodec mpeg4 -g 240 -b 6000000 -aspect 4:3 -s 720x576 -acodec ac3 -ab 448000 -ac 6 -qmin 3 -vtag xvid -async 1 -y "out.mpg")",
         "-qmin 3 -vtag xvid"},
        {"h263", [](EncoderFields& f) { f.m_strTarget = "h263"; },
         R"( -i "in.avi" -vcodec h263 -b 6000000 -aspect 4:3 -s 720x576 -acodec ac3 -ab 448000 -ac 6 -mbd 2 -ar 8000 -y "out.mpg")",
         "-mbd 2"},
        {"h263 without video",
         [](EncoderFields& f) {
             f.m_strTarget = "h263";
             f.m_bProcessVideo = 0;
         },
         R"( -i "in.avi"  -vn -acodec ac3 -ab 448000 -ac 6 -mbd 2 -ar 8000 -y "out.mpg")",
         "-mbd 2"},
        {"svcd", [](EncoderFields& f) { f.m_strTarget = "svcd"; },
         R"( -i "in.avi" -target pal-svcd -b 6000000 -aspect 4:3 -s 720x576 -acodec ac3 -ab 448000 -ac 6 -mbd 2 -qmin 2 -async 1 -y "out.mpg")",
         "-mbd 2 -qmin 2"},
        {"vcd", [](EncoderFields& f) { f.m_strTarget = "vcd"; },
         R"( -i "in.avi" -target pal-vcd -b 6000000 -aspect 4:3 -s 720x576 -acodec ac3 -ab 448000 -ac 6 -mbd 2 -async 1 -y "out.mpg")",
         "-mbd 2"},
        {"unknown target word", [](EncoderFields& f) { f.m_strTarget = "DVD"; },
         R"( -i "in.avi" -target pal--b 6000000 -aspect 4:3 -s 720x576 -acodec ac3 -ab 448000 -ac 6 -mbd 2 -async 1 -y "out.mpg")",
         "-mbd 2"},
        {"no video, VOB",
         [](EncoderFields& f) {
             f.m_strSourceFile = "in.VOB";
             f.m_strSourceExt = "VOB";
             f.m_bProcessVideo = 0;
         },
         R"( -i "in.VOB"  -vn  -ar 48000 -acodec ac3 -ab 448000 -ac 6 -mbd 2 -async 1 -y "out.mpg" -map 0.1:0.0)",
         "-mbd 2"},
        {"no video, Vob is no VOB",
         [](EncoderFields& f) {
             f.m_strSourceExt = "Vob";
             f.m_bProcessVideo = 0;
         },
         R"( -i "in.avi"  -vn -acodec ac3 -ab 448000 -ac 6 -mbd 2 -async 1 -y "out.mpg")",
         "-mbd 2"},
        {"no audio", [](EncoderFields& f) { f.m_bProcessAudio = 0; },
         R"( -i "in.avi" -target pal-dvd -b 6000000 -aspect 4:3 -s 720x576  -an -mbd 2 -qmin 2 -async 1 -y "out.mpg")",
         "-mbd 2 -qmin 2"},
        {"mp3",
         [](EncoderFields& f) {
             f.m_strAudioTarget = "mp3";
             f.m_strAudioBitrate = "128";
             f.m_strChannels = "2";
         },
         R"( -i "in.avi" -target pal-dvd -b 6000000 -aspect 4:3 -s 720x576 -acodec libmp3lame -ab 128000 -ac 2 -mbd 2 -qmin 2 -async 1 -y "out.mpg")",
         "-mbd 2 -qmin 2"},
        {"aac", [](EncoderFields& f) { f.m_strAudioTarget = "aac"; },
         R"( -i "in.avi" -target pal-dvd -b 6000000 -aspect 4:3 -s 720x576 -acodec libfaac -ab 448000 -ac 6 -mbd 2 -qmin 2 -async 1 -y "out.mpg")",
         "-mbd 2 -qmin 2"},
        {"copy", [](EncoderFields& f) { f.m_strAudioTarget = "copy"; },
         R"( -i "in.avi" -target pal-dvd -b 6000000 -aspect 4:3 -s 720x576 -acodec copy -mbd 2 -qmin 2 -async 1 -y "out.mpg")",
         "-mbd 2 -qmin 2"},
        {"typed audio word", [](EncoderFields& f) { f.m_strAudioTarget = "MP3"; },
         R"( -i "in.avi" -target pal-dvd -b 6000000 -aspect 4:3 -s 720x576 -acodec MP3 -ab 448000 -ac 6 -mbd 2 -qmin 2 -async 1 -y "out.mpg")",
         "-mbd 2 -qmin 2"},
        {"letterbox with empty width",
         [](EncoderFields& f) {
             f.m_strAspect = "16:9->4:3";
             f.m_strWidth = "";
             f.m_dSourceHeight = 576;
         },
         R"( -i "in.avi" -target pal-dvd -b 6000000  -aspect 4:3 -s x432 -padbottom 72 -padtop 72 -acodec ac3 -ab 448000 -ac 6 -mbd 2 -qmin 2 -async 1 -y "out.mpg")",
         "-mbd 2 -qmin 2"},
        {"crop",
         [](EncoderFields& f) {
             f.m_strAspect = "4:3->16:9";
             f.m_dSourceHeight = 352;
         },
         R"( -i "in.avi" -target pal-dvd -b 6000000 -croptop 44 -cropbottom 44 -aspect 16:9 -s 720x576 -acodec ac3 -ab 448000 -ac 6 -mbd 2 -qmin 2 -async 1 -y "out.mpg")",
         "-mbd 2 -qmin 2"},
        {"empty height: no size option",
         [](EncoderFields& f) {
             f.m_strAspect = "16:9";
             f.m_strHeight = "";
         },
         R"( -i "in.avi" -target pal-dvd -b 6000000 -aspect 16:9 -acodec ac3 -ab 448000 -ac 6 -mbd 2 -qmin 2 -async 1 -y "out.mpg")",
         "-mbd 2 -qmin 2"},
        {"correct ratio",
         [](EncoderFields& f) {
             f.m_bCorrectRatio = 1;
             f.m_dSourceWidth = 640;
             f.m_dSourceHeight = 352;
         },
         R"( -i "in.avi" -target pal-dvd -b 6000000 -aspect 4:3 -s 720x396 -padtop 90 -padbottom 90 -acodec ac3 -ab 448000 -ac 6 -mbd 2 -qmin 2 -async 1 -y "out.mpg")",
         "-mbd 2 -qmin 2"},
        {"VOB mapping, both streams",
         [](EncoderFields& f) {
             f.m_strSourceExt = "vob";
             f.m_strVideoStream = "2";
             f.m_strAudioStream = "3";
         },
         R"( -i "in.avi" -target pal-dvd -b 6000000 -aspect 4:3 -s 720x576 -acodec ac3 -ab 448000 -ac 6 -mbd 2 -qmin 2 -async 1 -y "out.mpg" -map 0.2:0.0 -map 0.3:0.1)",
         "-mbd 2 -qmin 2"},
        {"VOB mapping, video only",
         [](EncoderFields& f) {
             f.m_strSourceExt = "vob";
             f.m_strVideoStream = "2";
             f.m_bProcessAudio = 0;
         },
         R"( -i "in.avi" -target pal-dvd -b 6000000 -aspect 4:3 -s 720x576  -an -mbd 2 -qmin 2 -async 1 -y "out.mpg" -map 0.2:0.0)",
         "-mbd 2 -qmin 2"},
        {"VOB mapping, neither",
         [](EncoderFields& f) {
             f.m_strSourceExt = "VOB";
             f.m_bProcessAudio = 0;
             f.m_bProcessVideo = 0;
         },
         R"( -i "in.avi"  -vn  -ar 48000  -an -mbd 2 -async 1 -y "out.mpg")", "-mbd 2"},
        {"AviSynth route names no input", [](EncoderFields& f) { f.m_bUseAviSynth = 1; },
         R"(-target pal-dvd -b 6000000 -aspect 4:3 -s 720x576 -acodec ac3 -ab 448000 -ac 6 -mbd 2 -qmin 2 -async 1 -y "out.mpg")",
         "-mbd 2 -qmin 2"},
        {"empty fields pass through",
         [](EncoderFields& f) {
             f.m_strSourceFile = "";
             f.m_strVideoBitrate = "";
             f.m_strOutputFile = "";
             f.m_strMoreOptions = "";
         },
         R"( -i "" -target pal-dvd -b 000 -aspect 4:3 -s 720x576 -acodec ac3 -ab 448000 -ac 6  -qmin 2 -async 1 -y "")",
         " -qmin 2"},
    };
    for (const auto& c : cases) {
        EncoderFields f = Defaults();
        c.setup(f);
        EXPECT_EQ(BuildArguments(f, ShellDialect::Windows()), c.expectedArgs) << c.name;
        EXPECT_EQ(f.m_strMoreOptions, c.expectedMore) << c.name;
        EXPECT_EQ(f.m_strArguments, c.expectedArgs) << c.name;
    }
}

TEST(Generate, PutsTheTargetsWordsIntoMoreOptionsOnceAndTwiceGivesTheSameCommand) {
    for (const char* target : {"dvd", "svcd", "mpeg4"}) {
        EncoderFields f = Defaults();
        f.m_strTarget = target;
        f.m_strSourceExt = "mp4";
        f.m_strSourceAudioCodec = "";
        const Generated first = Generate(f, {ShellDialect::Windows(), R"(C:\MK\)"});
        const std::string moreAfterFirst = f.m_strMoreOptions;
        // The box shows what the field holds, written once, and the command used it.
        EXPECT_EQ(first.changes.front(),
                  (ControlChange{ChangeKind::SetText, Field::MoreOptions, moreAfterFirst}));
        EXPECT_NE(first.command.find(moreAfterFirst + " -async 1 "), std::string::npos);
        const Generated second = Generate(f, {ShellDialect::Windows(), R"(C:\MK\)"});
        EXPECT_EQ(first.command, second.command) << target;
        EXPECT_EQ(f.m_strMoreOptions, moreAfterFirst) << target;
        EXPECT_EQ(second.changes.size(), 1u) << target;  // the command field alone
    }
}

TEST(BuildArguments, PosixEscapesPathsButNotTypedOptions) {
    EncoderFields f = Defaults();
    f.m_strSourceFile = "$(touch pwned).avi";
    f.m_strOutputFile = R"(/tmp/a "b" \c`id`.mpg)";
    f.m_strMoreOptions = "-metadata title=$USER";
    EXPECT_EQ(
        BuildArguments(f, ShellDialect::Posix()),
        R"( -i "\$(touch pwned).avi" -target pal-dvd -b 6000000 -aspect 4:3 -s 720x576 -acodec ac3 -ab 448000 -ac 6 -metadata title=$USER -qmin 2 -async 1 -y "/tmp/a \"b\" \\c\`id\`.mpg")");
}

// Splits what /bin/sh makes of the argument string into its words.
std::vector<std::string> ShellWords(const std::filesystem::path& dir, const std::string& args) {
    const auto out = dir / "words.txt";
    const std::string command =
        "cd \"" + dir.string() + "\" && printf '%s\\n' " + args + " > words.txt";
    EXPECT_EQ(test::RunSh(command), 0) << command;
    std::ifstream in(out);
    std::vector<std::string> words;
    for (std::string line; std::getline(in, line);) {
        words.push_back(line);
    }
    return words;
}

TEST(BuildArguments, PosixPathsReachTheShellAsPlainWords) {
    const test::TempDir temp("mk_args");
    const std::filesystem::path& dir = temp.Path();
    EncoderFields f = Defaults();
    f.m_strSourceFile = "$(touch pwned).avi";
    f.m_strOutputFile = R"(a "b" \c`touch pwned2`.mpg)";
    const auto words = ShellWords(dir, BuildArguments(f, ShellDialect::Posix()));
    ASSERT_GE(words.size(), 3u);
    EXPECT_EQ(words[0], "-i");
    EXPECT_EQ(words[1], f.m_strSourceFile);
    EXPECT_EQ(words.back(), f.m_strOutputFile);
    EXPECT_FALSE(std::filesystem::exists(dir / "pwned"));
    EXPECT_FALSE(std::filesystem::exists(dir / "pwned2"));
}

}  // namespace
}  // namespace mk
