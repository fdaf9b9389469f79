#include <gtest/gtest.h>

#include <string>

#include "command/executable_part.h"
#include "form/form_model.h"

namespace mk {
namespace {

const std::string kFolder = R"(C:\Program Files\Morvakelin\)";

EncoderFields Source() {
    EncoderFields f;
    f.m_strSourceFile = R"(D:\My Videos\film.avi)";
    f.m_strSourceExt = "avi";
    f.m_strOutputFile = R"(D:\My Videos\film.mpg)";
    return f;
}

// What Generate shows, the probe having found `codec`.
std::string Generated(EncoderFields& f, const std::string& codec) {
    f.m_strSourceAudioCodec = codec;
    return Generate(f, {ShellDialect::Windows(), kFolder}).command;
}

TEST(ExecutablePart, WindowsRoutes) {
    const auto d = ShellDialect::Windows();
    EncoderFields f = Source();
    EXPECT_EQ(ExecutablePart(d, kFolder, f, "ac3", false),
              R"(C:\Program Files\Morvakelin\ffmpeg.exe")");
    EXPECT_EQ(ExecutablePart(d, kFolder, f, "ac3", true),
              R"(C:\Program Files\Morvakelin\ffmpeg.exe")");

    f.m_bUseAviSynth = 1;
    const std::string pipe =
        R"(C:\Program Files\Morvakelin\avs2yuv.exe" "C:\Program Files\Morvakelin\TV.avs" - | )"
        R"("C:\Program Files\Morvakelin\ffmpeg.exe" -f yuv4mpegpipe -i - -acodec ac3 )"
        R"(-i "D:\My Videos\film.avi")";
    EXPECT_EQ(ExecutablePart(d, kFolder, f, "ac3", false), pipe + " -hq ");
    EXPECT_EQ(ExecutablePart(d, kFolder, f, "ac3", true), pipe + " ");
    // No audio word in the report: "-acodec " runs straight into " -i ".
    EXPECT_NE(ExecutablePart(d, kFolder, f, "", false).find(R"(-acodec  -i "D:\)"),
              std::string::npos);
}

TEST(Generate, PlainRoute) {
    EncoderFields f = Source();
    const std::string command = Generated(f, "mp2");
    EXPECT_EQ(command,
              R"("C:\Program Files\Morvakelin\ffmpeg.exe" -i "D:\My Videos\film.avi" )"
              R"(-target pal-dvd -b 6000000 -aspect 4:3 -s 720x576 -acodec ac3 -ab 448000 -ac 6 )"
              R"(-mbd 2 -qmin 2 -async 1 -y "D:\My Videos\film.mpg")");
    EXPECT_EQ(f.m_strArguments, command.substr(command.find(" -i ")));
    EXPECT_EQ(f.m_strCommand, "");  // the form's reading fills it, not Generate
}

TEST(Generate, AviSynthRoute) {
    EncoderFields f = Source();
    f.m_bUseAviSynth = 1;
    EXPECT_EQ(
        Generated(f, "ac3"),
        R"("C:\Program Files\Morvakelin\avs2yuv.exe" "C:\Program Files\Morvakelin\TV.avs" - | )"
        R"("C:\Program Files\Morvakelin\ffmpeg.exe" -f yuv4mpegpipe -i - -acodec ac3 )"
        R"(-i "D:\My Videos\film.avi" -hq -target pal-dvd -b 6000000 -aspect 4:3 -s 720x576 )"
        R"(-acodec ac3 -ab 448000 -ac 6 -mbd 2 -qmin 2 -async 1 -y "D:\My Videos\film.mpg")");
}

TEST(ExecutablePart, PosixEscapesFolderAndSource) {
    EncoderFields f = Source();
    f.m_strSourceFile = "/v/$(touch pwned).avi";
    const auto d = ShellDialect::Posix();
    EXPECT_EQ(ExecutablePart(d, "/opt/mk $x/", f, "ac3", false), R"(/opt/mk \$x/ffmpeg")");
    f.m_bUseAviSynth = 1;
    EXPECT_EQ(ExecutablePart(d, "/opt/mk $x/", f, "ac3", true),
              R"(/opt/mk \$x/avs2yuv" "/opt/mk \$x/TV.avs" - | "/opt/mk \$x/ffmpeg" )"
              R"(-f yuv4mpegpipe -i - -acodec ac3 -i "/v/\$(touch pwned).avi" )");
}

TEST(ExecutablePart, PosixQuotesAnOddAudioCodecWord) {
    // The word stands outside quotes; a report without an audio line yields report text there.
    EncoderFields f = Source();
    f.m_bUseAviSynth = 1;
    const struct {
        std::string word;
        std::string posix;
    } cases[] = {
        {"mp2", "mp2"}, {"pcm_s16le", "pcm_s16le"},
        {"", ""},       {"ersion SVN-r9102", "'ersion SVN-r9102'"},
        {"#0", "'#0'"}, {"a'b;$(c)", R"('a'\''b;$(c)')"},
    };
    for (const auto& c : cases) {
        const std::string expected = "-acodec " + c.posix + " -i \"";
        EXPECT_NE(ExecutablePart(ShellDialect::Posix(), "/mk/", f, c.word, false).find(expected),
                  std::string::npos)
            << c.word;
        // cmd gets the word as it stands.
        EXPECT_NE(ExecutablePart(ShellDialect::Windows(), "C:\\mk\\", f, c.word, false)
                      .find("-acodec " + c.word + " -i \""),
                  std::string::npos)
            << c.word;
    }
}

}  // namespace
}  // namespace mk
