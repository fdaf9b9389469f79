// Encode, the AviSynth checks, the stream test, preview and the batch file through the real form.
#include <algorithm>
#include <filesystem>

#include "support/form_fixture.h"

using namespace mk::ids;
namespace fs = std::filesystem;

namespace {

class JobsTest : public FormTest {
protected:
    void SetUp() override {
        FormTest::SetUp();
        source = WriteFile("movie.avi", "x");
        output = desktop.ProgramFolder() + "out.mpg";
        dlg->m_strSourceFile = source;
        dlg->m_strSourceExt = "avi";
        dlg->m_strOutputFile = output;
        dlg->UpdateData(false);
    }
    std::string source;
    std::string output;
};

}  // namespace

TEST_F(JobsTest, EncodeRunsTheConsoleWithTheFormMinimizedAndSetsPreviewByTheOutput) {
    desktop.onConsole = [&](const std::string&) { WriteFile(output, ""); };
    dlg->OnOK();
    ASSERT_EQ(desktop.consoleCommands.size(), 1u);
    const std::string f = desktop.ProgramFolder();
    EXPECT_EQ(desktop.consoleCommands[0],
              "\"" + f + "ffmpeg\" -i \"" + source +
                  "\" -target pal-dvd -b 6000000 -aspect 4:3 -s 720x576 -acodec ac3 -ab 448000 "
                  "-ac 6 -mbd 2 -qmin 2 -async 1 -y \"" +
                  output + "\"");
    const std::vector<std::string> order(desktop.log.begin(), desktop.log.end());
    ASSERT_EQ(order.size(), 3u);
    EXPECT_EQ(order[0], "minimize");
    EXPECT_EQ(order[2], "restore");
    EXPECT_TRUE(dlg->IsControlEnabled(IDC_PREVIEW));  // an empty file counts as existing

    fs::remove(output);
    desktop.onConsole = [](const std::string&) {};
    dlg->OnOK();
    EXPECT_FALSE(dlg->IsControlEnabled(IDC_PREVIEW));
}

TEST_F(JobsTest, EncodeUnderWindowsRulesWrapsTheCommandForCmd) {
    MakeForm(mk::ShellDialect::Windows());
    dlg->m_strSourceFile = "C:\\v\\a.avi";
    dlg->m_strSourceExt = "avi";
    dlg->m_strOutputFile = "C:\\v\\a.mpg";
    dlg->m_strTarget = "vcd";
    dlg->UpdateData(false);
    desktop.onConsole = [](const std::string&) {};
    dlg->OnOK();
    const std::string f = desktop.ProgramFolder();
    ASSERT_EQ(desktop.consoleCommands.size(), 1u);
    EXPECT_EQ(desktop.consoleCommands[0],
              "cmd /K \"\"" + f +
                  "ffmpeg.exe\" -i \"C:\\v\\a.avi\" -target pal-vcd -b 6000000 -aspect 4:3 -s "
                  "720x576 -acodec ac3 -ab 448000 -ac 6 -mbd 2 -async 1 -y \"C:\\v\\a.mpg\"\"");
    EXPECT_TRUE(dlg->m_strArguments.ends_with("a.mpg\"\""));
}

TEST_F(JobsTest, AviSynthChecksTheScriptBeforeEncoding) {
    dlg->m_bUseAviSynth = 1;
    dlg->UpdateData(false);
    desktop.onConsole = [](const std::string&) {};

    // No script.
    dlg->OnOK();
    ASSERT_EQ(desktop.messages.size(), 1u);
    EXPECT_EQ(desktop.messages[0].text, "TV.avs is not in ffmpeg's program folder.");
    EXPECT_EQ(desktop.messages[0].title, "File not found");
    EXPECT_TRUE(desktop.consoleCommands.empty());

    // A script naming another source: the box, then the editor, nothing encoded.
    WriteFile("TV.avs", "AviSource(\"/elsewhere/other.avi\")\n");
    dlg->OnOK();
    ASSERT_EQ(desktop.messages.size(), 2u);
    EXPECT_EQ(desktop.messages[1].text,
              "Change the source filename in TV.avs, line: XXXsource(...).");
    EXPECT_EQ(desktop.messages[1].title, "Edit file");
    ASSERT_EQ(desktop.editedFiles.size(), 1u);
    EXPECT_EQ(desktop.editedFiles[0], desktop.ProgramFolder() + "TV.avs");
    EXPECT_TRUE(desktop.consoleCommands.empty());

    // The source named with another extension: encodes, without -hq.
    const std::string stem = source.substr(0, source.rfind('.'));
    WriteFile("TV.avs", "# my script\nDirectShowSource(\"" + stem + ".mkv\")\n");
    dlg->OnOK();
    ASSERT_EQ(desktop.consoleCommands.size(), 1u);
    const std::string& line = desktop.consoleCommands[0];
    EXPECT_NE(line.find("avs2yuv\" \"" + desktop.ProgramFolder() + "TV.avs\" - | \""),
              std::string::npos)
        << line;
    EXPECT_EQ(line.find("-hq"), std::string::npos) << line;
}

TEST_F(JobsTest, EncodeRefusesAStreamTheTargetsContainerCannotTake) {
    dlg->m_strAudioTarget = "aac";
    dlg->UpdateData(false);
    desktop.muxers.onTrial = [](const mk::MuxTrial& t) {
        return t.encoder == "aac" ? mk::MuxVerdict::Refuses : mk::MuxVerdict::Takes;
    };
    desktop.onConsole = [](const std::string&) {};
    dlg->OnOK();
    ASSERT_EQ(desktop.messages.size(), 1u);
    EXPECT_EQ(desktop.messages[0].text,
              "The dvd target (dvd) cannot take aac audio; it takes mp2, ac3, mp3.");
    EXPECT_EQ(desktop.messages[0].title, "Encode");
    EXPECT_TRUE(desktop.consoleCommands.empty());
}

TEST_F(JobsTest, EditTvAvsOpensTheEditorOrSaysTheFileIsMissing) {
    dlg->OnAvisynthEdit();
    ASSERT_EQ(desktop.messages.size(), 1u);
    EXPECT_EQ(desktop.messages[0].text, desktop.ProgramFolder() + "TV.avs");
    EXPECT_EQ(desktop.messages[0].title, "File not found");
    WriteFile("TV.avs", "AviSource(\"x.avi\")");
    dlg->OnAvisynthEdit();
    EXPECT_EQ(desktop.editedFiles.size(), 1u);
}

TEST_F(JobsTest, StreamTestJudgesTheFileItLeaves) {
    const std::string testFile = desktop.ProgramFolder() + "StreamTest.mp2";
    struct Case {
        const char* leaves;  // nullptr: no file
        const char* message;
        const char* title;
    };
    const Case cases[] = {
        {nullptr, "Stream test file was not created.", "File not found"},
        {"", "Stream test file is empty: \nSelected number of audio stream is wrong", "Empty File"},
        {"audio", nullptr, nullptr},
    };
    for (const auto& c : cases) {
        desktop.messages.clear();
        desktop.openedDocuments.clear();
        WriteFile(testFile, "left from an earlier test");
        desktop.onConsole = [&](const std::string&) {
            EXPECT_FALSE(fs::exists(testFile)) << "the old file is removed before the run";
            if (c.leaves != nullptr) {
                WriteFile(testFile, c.leaves);
            }
        };
        dlg->OnTest();
        if (c.message != nullptr) {
            ASSERT_EQ(desktop.messages.size(), 1u);
            EXPECT_EQ(desktop.messages[0].text, c.message);
            EXPECT_EQ(desktop.messages[0].title, c.title);
            EXPECT_TRUE(desktop.openedDocuments.empty());
        } else {
            EXPECT_TRUE(desktop.messages.empty());
            ASSERT_EQ(desktop.openedDocuments.size(), 1u);
            EXPECT_EQ(desktop.openedDocuments[0], testFile);
        }
    }
    EXPECT_EQ(std::count(desktop.log.begin(), desktop.log.end(), "minimize"), 0);
    EXPECT_TRUE(desktop.consoleCommands.back().ends_with("StreamTest.mp2\" -map 0.1:0.0"));
}

TEST_F(JobsTest, PreviewChecksTheOutputFile) {
    dlg->OnPreview();
    WriteFile(output, "");
    dlg->OnPreview();
    WriteFile(output, "video");
    dlg->OnPreview();
    ASSERT_EQ(desktop.messages.size(), 2u);
    EXPECT_EQ(desktop.messages[0].text, "Out file was not created.");
    EXPECT_EQ(desktop.messages[0].title, "File not found");
    EXPECT_EQ(desktop.messages[1].text, "Out file is empty: Check command string.");
    EXPECT_EQ(desktop.messages[1].title, "Empty File");
    ASSERT_EQ(desktop.openedDocuments.size(), 1u);
    EXPECT_EQ(desktop.openedDocuments[0], output);
}

TEST_F(JobsTest, BatchAddClearViewAndRun) {
    const std::string batch = desktop.ProgramFolder() + "Conf/batch.sh";
    dlg->OnBatchView();
    dlg->OnBatchRun();
    ASSERT_EQ(desktop.messages.size(), 2u);
    EXPECT_EQ(desktop.messages[0].text, batch);
    EXPECT_EQ(desktop.messages[1].title, "File not found");
    EXPECT_TRUE(desktop.consoleCommands.empty());

    dlg->OnBatchAdd();
    const std::string first = dlg->ControlText(IDC_COMMAND);
    dlg->m_bUseAviSynth = 1;
    dlg->UpdateData(false);
    dlg->OnBatchAdd();
    const std::string second = dlg->ControlText(IDC_COMMAND);
    EXPECT_NE(second.find(" - | \""), std::string::npos);
    EXPECT_NE(second.find("\" -hq "), std::string::npos);
    EXPECT_EQ(ReadFile(batch), "# Batch file for Morvakelin \n" + first + " \n" + second + " \n");

    dlg->OnBatchRun();
    ASSERT_EQ(desktop.consoleCommands.size(), 1u);
    EXPECT_EQ(desktop.consoleCommands[0], "sh \"" + batch + "\"");
    dlg->OnBatchView();
    EXPECT_EQ(desktop.editedFiles.back(), batch);

    dlg->OnBatchClear();
    EXPECT_EQ(ReadFile(batch), "# Batch file for Morvakelin \n");
}

TEST_F(JobsTest, BatchUnderWindowsRulesIsABatFileWithCrLf) {
    MakeForm(mk::ShellDialect::Windows());
    dlg->m_strSourceFile = "C:\\v\\a.avi";
    dlg->m_strOutputFile = "C:\\v\\a.mpg";
    dlg->UpdateData(false);
    dlg->OnBatchAdd();
    const std::string batch = desktop.ProgramFolder() + "Conf\\batch.bat";
    EXPECT_EQ(ReadFile(batch),
              "REM Batch file for Morvakelin \r\n" + dlg->ControlText(IDC_COMMAND) + " \r\n");
    fs::remove(batch);
}
