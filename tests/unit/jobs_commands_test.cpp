// The stream test and encode console lines, the TV.avs source check, and the muxer check before
// an encode.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "jobs/avs_script.h"
#include "jobs/command_words.h"
#include "jobs/encode_command.h"
#include "jobs/muxer_fit.h"
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

TEST(JobsCommandWords, ArgumentsOfOurFfmpegAsTheShellGivesThem) {
    const std::pair<std::string, std::optional<std::vector<std::string>>> cases[] = {
        {"\"/p/ffmpeg\" -i \"/v/a \\\"b\\\" \\$x.avi\" -y '/o/it''s.mpg'",
         std::vector<std::string>{"-i", "/v/a \"b\" $x.avi", "-y", "/o/its.mpg"}},
        {"\"/p/avs2yuv\" \"/p/TV.avs\" - | \"/p/ffmpeg\" -f yuv4mpegpipe -i - out\\ 1.mpg",
         std::vector<std::string>{"-f", "yuv4mpegpipe", "-i", "-", "out 1.mpg"}},
        {"ffmpeg -i a.avi b.mpg # -an", std::vector<std::string>{"-i", "a.avi", "b.mpg"}},
        {"ffmpeg -i \"$(rm -rf x)\" b.mpg", std::nullopt},  // never run to be read
        {"ffmpeg -i a.avi b.mpg && ffmpeg -i b.mpg c.mpg", std::nullopt},
        {"ffmpeg -i ~/a.avi b.mpg", std::nullopt},
        {"ffmpeg -i \"a.avi b.mpg", std::nullopt},
        {"\"/p/avs2yuv\" x.avs -", std::nullopt},
    };
    for (const auto& [line, words] : cases) {
        EXPECT_EQ(ArgumentsOf(line, "ffmpeg"), words) << line;
    }
}

// Answers as a muxer that refuses the trials listed, and keeps what it was asked.
struct FakeMuxers : MuxerQuery {
    std::vector<std::string> refused;  // MuxTrial::Key() values
    std::vector<toolkit::StreamInfo> streams;
    std::vector<MuxTrial> asked;
    MuxVerdict Trial(const MuxTrial& trial) override {
        asked.push_back(trial);
        const bool no = std::find(refused.begin(), refused.end(), trial.Key()) != refused.end();
        return no ? MuxVerdict::Refuses : MuxVerdict::Takes;
    }
    std::vector<toolkit::StreamInfo> Streams(const std::vector<std::string>&) override {
        return streams;
    }
};

TEST(JobsMuxerFit, RefusesWhatTheOutputsMuxerRefusesAndNamesWhatItTakes) {
    // A VOB as ffmpeg lists it: the navigation stream first, then the video and two audio.
    const std::vector<toolkit::StreamInfo> vob = {{0, 0, "Data", "dvd_nav_packet", 0},
                                                  {0, 1, "Video", "mpeg2video", 0},
                                                  {0, 2, "Audio", "ac3", 6},
                                                  {0, 3, "Audio", "pcm_dvd", 2}};
    struct Case {
        std::string command, target;
        std::vector<std::string> refused;
        std::string line;  // "" : may run
    };
    const std::string dvd = "\"/p/ffmpeg\" -i \"/v/a.avi\" -target pal-dvd -b 6000000 ";
    const Case cases[] = {
        // The form's aac is libfaac, which our ffmpeg runs as aac.
        {dvd + "-acodec libfaac -ab 448000 -ac 6 -y \"/o/a.mpg\"",
         "dvd",
         {"dvd|a|aac||"},
         "The dvd target (dvd) cannot take aac audio; it takes mp2, ac3, mp3."},
        {dvd + "-acodec mp2 -y \"/o/a.mpg\"", "dvd", {"dvd|a|aac||"}, ""},
        // The target word comes from the command when no form names it.
        {dvd + "-acodec libfaac -y \"/o/a.mpg\"",
         "",
         {"dvd|a|aac||", "dvd|a|ac3||"},
         "The dvd target (dvd) cannot take aac audio; it takes mp2, mp3."},
        // Audio-only outputs get a container that holds their codec.
        {"ffmpeg -i /v/a.avi -vn -acodec libfaac -y /o/a.mp2", "dvd", {"mp2|a|aac||"}, ""},
        {"ffmpeg -i /v/a.vob -vn -acodec copy -y /o/a.mp2 -map 0.2:0.0",
         "dvd",
         {"matroska|a|copy|pcm_dvd"},
         "The dvd target (matroska) cannot take the source's pcm_dvd audio (copy); it takes mp2, "
         "ac3, mp3, aac."},
        // A copy is judged by the stream the old-style map names, in today's numbering.
        {"ffmpeg -i /v/a.vob -vcodec h263 -acodec copy -y /o/a.3gp -map 0.0:0.0 -map 0.2:0.1",
         "h263",
         {".3gp|a|copy|pcm_dvd", ".3gp|a|ac3||"},
         "The h263 target (.3gp) cannot take the source's pcm_dvd audio (copy); it takes mp2, "
         "mp3, aac."},
        {"ffmpeg -i /v/a.vob -vcodec h263 -acodec copy -y /o/a.3gp",
         "h263",
         {".3gp|a|copy|pcm_dvd"},
         ""},  // unmapped: the six channels of ac3
        {"ffmpeg -i /v/a.avi -vcodec libx264 -an -y /o/a.3gp",
         "h263",
         {".3gp|v|libx264||", ".3gp|v|mpeg2video|720x576|25", ".3gp|v|mpeg1video|352x288|25"},
         "The h263 target (.3gp) cannot take h264 video; it takes mpeg4, h263."},
        {"ffmpeg -i /v/a.avi -acodec mp2 -f null /dev/null", "", {"null|a|mp2||"}, ""},
    };
    for (const Case& c : cases) {
        FakeMuxers muxers;
        muxers.refused = c.refused;
        muxers.streams = vob;
        const auto refusal = FindCommandMuxRefusal(c.command, c.target, muxers);
        EXPECT_EQ(refusal ? RefusalLine(*refusal) : "", c.line) << c.command;
    }
}

TEST(JobsMuxerFit, AnAnswerThatIsNotARefusalLetsTheEncodeRun) {
    struct Unsure : MuxerQuery {
        MuxVerdict Trial(const MuxTrial&) override { return MuxVerdict::Unknown; }
        std::vector<toolkit::StreamInfo> Streams(const std::vector<std::string>&) override {
            return {};
        }
    } unsure;
    EXPECT_FALSE(FindCommandMuxRefusal("ffmpeg -i a.avi -acodec libfaac -target pal-dvd b.mpg",
                                       "dvd", unsure));
}

}  // namespace
}  // namespace mk
