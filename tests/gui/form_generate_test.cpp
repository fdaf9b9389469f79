// Generate through the real form: what the command field shows.
#include <QLineEdit>

#include "support/form_fixture.h"

using namespace mk::ids;

namespace {

class GenerateTest : public FormTest {
protected:
    void SetUpSource(const std::string& source, const std::string& ext) {
        dlg->m_strSourceFile = source;
        dlg->m_strSourceExt = ext;
        dlg->m_strOutputFile = "/videos/out.mpg";
        dlg->UpdateData(false);
    }
};

}  // namespace

TEST_F(GenerateTest, DefaultsComposeTheDvdCommandUnderWindowsRules) {
    MakeForm(mk::ShellDialect::Windows());
    SetUpSource("C:\\My Videos\\movie.avi", "avi");
    dlg->OnGenerate();
    const std::string folder = desktop.ProgramFolder();
    EXPECT_EQ(dlg->ControlText(IDC_COMMAND),
              "\"" + folder +
                  "ffmpeg.exe\" -i \"C:\\My Videos\\movie.avi\" -target pal-dvd -b 6000000 "
                  "-aspect 4:3 -s 720x576 -acodec ac3 -ab 448000 -ac 6 -mbd 2 -qmin 2 -async 1 -y "
                  "\"/videos/out.mpg\"");
    EXPECT_EQ(dlg->ControlText(IDC_MORE_OPTIONS), "-mbd 2 -qmin 2");
    EXPECT_EQ(dlg->m_strMoreOptions, "-mbd 2 -qmin 2");
}

TEST_F(GenerateTest, GeneratingTwiceGivesTheSameCommandAndLeavesMoreOptionsAlone) {
    SetUpSource("/videos/clip.mp4", "mp4");
    dlg->OnGenerate();
    const std::string first = dlg->ControlText(IDC_COMMAND);
    const std::string options = dlg->ControlText(IDC_MORE_OPTIONS);
    EXPECT_EQ(options, "-mbd 2 -qmin 2 -sameq");
    dlg->OnGenerate();
    EXPECT_EQ(dlg->ControlText(IDC_COMMAND), first);
    EXPECT_EQ(dlg->ControlText(IDC_MORE_OPTIONS), options);
}

TEST_F(GenerateTest, GenerateReadsTheFormFirst) {
    SetUpSource("/videos/clip.vob", "vob");
    qobject_cast<QLineEdit*>(dlg->Control(IDC_VIDEO_STREAM))->setText("7");
    dlg->OnGenerate();
    const std::string command = dlg->ControlText(IDC_COMMAND);
    EXPECT_TRUE(command.ends_with("\"/videos/out.mpg\" -map 0.7:0.0 -map 0.1:0.1")) << command;
}

TEST_F(GenerateTest, AviSynthRouteShowsThePipeWithHqAndTheProbedAudioCodec) {
    MakeForm(mk::ShellDialect::Windows());
    WriteFile("Conf\\test.txt",  // the Windows name of the report, in a POSIX folder
              "  Duration: 00:00:02.00, start: 0.000000, bitrate: 900 kb/s\n"
              "    Stream #0.0: Video: mpeg4, yuv420p, 640x352, 25 fps\n"
              "    Stream #0.1: Audio: mp2, 48000 Hz, stereo, s16, 224 kb/s\n"
              "Must supply at least one output file\n");
    SetUpSource("C:\\v\\movie.avi", "avi");
    dlg->m_bUseAviSynth = 1;
    dlg->UpdateData(false);
    dlg->OnGenerate();
    const std::string f = desktop.ProgramFolder();
    EXPECT_EQ(dlg->ControlText(IDC_COMMAND),
              "\"" + f + "avs2yuv.exe\" \"" + f + "TV.avs\" - | \"" + f +
                  "ffmpeg.exe\" -f yuv4mpegpipe -i - -acodec mp2 -i \"C:\\v\\movie.avi\" -hq "
                  "-target pal-dvd -b 6000000 -aspect 4:3 -s 720x576 -acodec ac3 -ab 448000 -ac 6 "
                  "-mbd 2 -qmin 2 -async 1 -y \"/videos/out.mpg\"");
}

TEST_F(GenerateTest, PosixPathsAreEscapedSoANameCannotRunCode) {
    SetUpSource("/videos/$(touch pwned)`id`.avi", "avi");
    dlg->OnGenerate();
    const std::string command = dlg->ControlText(IDC_COMMAND);
    EXPECT_NE(command.find("-i \"/videos/\\$(touch pwned)\\`id\\`.avi\""), std::string::npos)
        << command;
}
