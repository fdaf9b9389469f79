// Open File through the real form: the probe runs through the program folder's ffmpeg and the
// report fills Source properties and the source size.
#include <QLineEdit>

#include "support/form_fixture.h"

using namespace mk::ids;

namespace {

// A one-second H.264/AAC clip of the given size, made by the installed ffmpeg.
std::string MakeClip(const std::string& folder, const std::string& name, const std::string& size) {
    const std::string path = folder + name;
    const std::string command =
        "ffmpeg -hide_banner -loglevel error -y -f lavfi -i testsrc=d=1:s=" + size +
        ":r=25 -f lavfi -i sine=d=1 -c:v libx264 -c:a aac -shortest \"" + path + "\"";
    EXPECT_EQ(mk::test::RunSh(command), 0) << command;
    return path;
}

}  // namespace

TEST_F(FormTest, OpenFileProbesARealClipAndCorrectRatioUsesItsSize) {
    const std::string clip = MakeClip(desktop.ProgramFolder(), "clip one.mp4", "640x352");
    desktop.dialogAnswers.push_back(clip);
    dlg->OnOpenFile();

    ASSERT_EQ(desktop.shellCommands.size(), 1u);
    const std::string f = desktop.ProgramFolder();
    EXPECT_EQ(desktop.shellCommands[0],
              "\"" + f + "ffmpeg\" -i \"" + clip + "\" -an -vn 2>\"" + f + "Conf/test.txt\"");
    const std::string info = dlg->ControlText(IDC_SOURCE_INFO);
    EXPECT_TRUE(info.starts_with("  Duration")) << info;
    EXPECT_NE(info.find("Video: h264"), std::string::npos) << info;
    EXPECT_EQ(dlg->m_dSourceWidth, 640);
    EXPECT_EQ(dlg->m_dSourceHeight, 352);
    EXPECT_EQ(dlg->m_strSourceExt, "mp4");
    EXPECT_TRUE(dlg->IsControlEnabled(IDC_TARGET));
    EXPECT_EQ(dlg->GetSourceAudioCodec(), "aac");

    dlg->m_strOutputFile = f + "out.mpg";
    dlg->UpdateData(false);
    dlg->OnGenerate();
    const std::string plain = dlg->ControlText(IDC_COMMAND);
    EXPECT_NE(plain.find("-aspect 4:3 -s 720x576 -acodec"), std::string::npos) << plain;

    Check(IDC_CORRECT_RATIO)->click();
    dlg->OnGenerate();
    const std::string fitted = dlg->ControlText(IDC_COMMAND);
    EXPECT_NE(fitted.find("-aspect 4:3 -s 720x396 -padtop 90 -padbottom 90 -acodec"),
              std::string::npos)
        << fitted;
}

TEST_F(FormTest, OpenFileOnAnUnreadableSourceLeavesTheSizeAtZero) {
    const std::string bogus = WriteFile("broken.avi", "this is not a video");
    dlg->m_dSourceWidth = 123;
    desktop.dialogAnswers.push_back(bogus);
    dlg->OnOpenFile();
    EXPECT_EQ(dlg->m_dSourceWidth, 0);
    EXPECT_EQ(dlg->m_dSourceHeight, 0);
    // No description, so ffmpeg's reason is shown.
    EXPECT_EQ(dlg->ControlText(IDC_SOURCE_INFO),
              "  " + bogus + ": Invalid data found when processing input");
}
