// The form when its files and tools fail it: Conf/ missing or read-only, a TV.avs of binary
// garbage, a probe report of megabytes, no ffmpeg at all, ffmpeg killed in mid-encode, an output
// folder that does not exist, a full disk and a FIFO as source. Commands run for real through
// /bin/sh.
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QMessageBox>
#include <QPlainTextEdit>
#include <QTimer>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <random>

#include "qt/text_editor_window.h"
#include "support/env_guard.h"
#include "support/form_fixture.h"
#include "support/read_only.h"

using namespace mk::ids;
namespace fs = std::filesystem;

namespace {

using ReadOnlyFolder = ReadOnlyPath;

// A small tmpfs where the machine allows mounting one; it fills up after `kilobytes`.
class SmallDisk {
public:
    SmallDisk(const fs::path& dir, int kilobytes) : m_dir(dir) {
        fs::create_directories(dir);
        const std::string options = "size=" + std::to_string(kilobytes) + "k";
        m_mounted = ::mount("tmpfs", dir.c_str(), "tmpfs", 0, options.c_str()) == 0;
        m_error = m_mounted ? "" : std::strerror(errno);
    }
    ~SmallDisk() {
        if (m_mounted) {
            ::umount2(m_dir.c_str(), MNT_DETACH);
        }
    }
    bool Mounted() const { return m_mounted; }
    const std::string& Error() const { return m_error; }

private:
    fs::path m_dir;
    bool m_mounted = false;
    std::string m_error;
};

std::string SourceInfo(CEncoderDlg& dlg) {
    return qobject_cast<QPlainTextEdit*>(dlg.Control(IDC_SOURCE_INFO))->toPlainText().toStdString();
}

class FaultFiles : public FormTest {
protected:
    void SetUp() override {
        FormTest::SetUp();
        source = desktop.ProgramFolder() + "clip.avi";
        output = desktop.ProgramFolder() + "out.mpg";
        savedCwd = fs::current_path();
        fs::current_path(desktop.folder);  // whatever a run leaves by mistake stays in here
    }

    void TearDown() override {
        fs::current_path(savedCwd);
        FormTest::TearDown();
    }

    void SetEnv(const std::string& name, const std::string& value) { env.Set(name, value); }

    // One second of picture and sound, made by the installed ffmpeg.
    void MakeClip() {
        ASSERT_EQ(mk::test::RunSh("ffmpeg -nostdin -hide_banner -loglevel error -y -f lavfi -i "
                                  "testsrc=size=320x240:rate=25:duration=1 -f lavfi -i "
                                  "sine=duration=1 -c:v mpeg4 -c:a mp2 -shortest '" +
                                  source + "'"),
                  0);
    }

    // Open File on the source and Save File on the output, as the user does.
    void OpenAndChooseOutput() {
        desktop.dialogAnswers.push_back(source);
        dlg->OnOpenFile();
        desktop.dialogAnswers.push_back(output);
        dlg->OnSaveFile();
    }

    // Installs a script in place of the installed ffmpeg for the runs of our ffmpeg.
    void FakeInstalledFfmpeg(const std::string& script) {
        const fs::path fake = desktop.folder / "installed-ffmpeg";
        // Our ffmpeg first asks for the options on offer (-h long); that gets a short answer.
        WriteFile(fake.string(),
                  "#!/bin/sh\n"
                  "for a in \"$@\"; do\n"
                  "  [ \"$a\" = -h ] && { echo '-async  audio sync'; exit 0; }\n"
                  "done\n"
                  // Our ffmpeg reads each result through (-f null - last): it shows what was
                  // written.
                  "before=; for a in \"$@\"; do before=$last; last=$a; done\n"
                  "[ \"$before\" = null ] && { printf '%s\\n' \"Input #0, mpeg, from 'x':\" "
                  "'  Stream #0:0: Video: mpeg2video, yuv420p, 720x576' >&2; exit 0; }\n" +
                      script);
        fs::permissions(fake, fs::perms::owner_all);
        SetEnv("MORVAKELIN_FFMPEG", fake.string());
        SetEnv("XDG_CACHE_HOME", (desktop.folder / "cache").string());
    }

    std::string source, output;
    fs::path savedCwd;
    EnvironmentGuard env;  // restored when the test ends
};

TEST_F(FaultFiles, MissingConfFolderDegradesWithoutWritingAnything) {
    fs::remove_all(desktop.folder / "Conf");
    MakeForm(mk::ShellDialect::Posix());  // start-up without a language file to create
    MakeClip();
    dlg->SetControlText(IDC_SOURCE_INFO, "from before");
    OpenAndChooseOutput();
    // The probe cannot write its report: no size, and the Source properties keep their text.
    EXPECT_EQ(dlg->m_dSourceWidth, 0);
    EXPECT_EQ(SourceInfo(*dlg), "from before");

    dlg->OnLanguageDeutsch();
    EXPECT_EQ(dlg->ControlText(IDOK), "Umwandeln");
    dlg->OnBatchAdd();
    dlg->OnBatchClear();
    EXPECT_FALSE(fs::exists(desktop.folder / "Conf"));  // nothing creates the folder
    dlg->OnBatchView();
    dlg->OnBatchRun();
    const std::string batch = desktop.ProgramFolder() + "Conf/batch.sh";
    ASSERT_EQ(desktop.messages.size(), 2u);
    for (const RecordedMessage& m : desktop.messages) {
        EXPECT_EQ(m.text, batch);
        EXPECT_EQ(m.title, "File not found");
    }
    EXPECT_TRUE(desktop.consoleCommands.empty());

    // Encode needs no Conf folder; it works on the source as it is.
    dlg->OnOK();
    EXPECT_TRUE(fs::exists(output));
    EXPECT_TRUE(dlg->IsControlEnabled(IDC_PREVIEW));
}

TEST_F(FaultFiles, ReadOnlyConfKeepsBatchAndLanguageFilesAsTheyWere) {
    const std::string batchText = "# Batch file for Morvakelin \n\"/x/ffmpeg\" -i \"/x/a.avi\" \n";
    const std::string language("english\0", 8);
    WriteFile("Conf/batch.sh", batchText);
    WriteFile("Conf/LangConf.txt", language);
    MakeClip();
    MakeForm(mk::ShellDialect::Posix());
    ReadOnlyFolder readOnly(desktop.folder / "Conf");
    std::string why;
    if (!readOnly.Works(why)) {
        GTEST_SKIP() << why;
    }

    OpenAndChooseOutput();
    dlg->OnBatchAdd();
    dlg->OnBatchClear();
    dlg->OnLanguageDeutsch();
    EXPECT_EQ(ReadFile(desktop.ProgramFolder() + "Conf/batch.sh"), batchText);
    EXPECT_EQ(ReadFile(desktop.ProgramFolder() + "Conf/LangConf.txt"), language);
    EXPECT_EQ(dlg->ControlText(IDOK), "Umwandeln");  // the form still switches
    // Only the probe says so: no old report is read in place of this source's.
    ASSERT_EQ(desktop.messages.size(), 1u);
    EXPECT_EQ(desktop.messages[0].title, "Probe report");
    EXPECT_TRUE(desktop.messages[0].text.starts_with("Cannot write the probe report " +
                                                     desktop.ProgramFolder() + "Conf/test.txt: "))
        << desktop.messages[0].text;
    EXPECT_EQ(dlg->m_dSourceWidth, 0);

    // The batch as it stands still runs; Encode writes outside Conf and works.
    dlg->OnBatchRun();
    ASSERT_EQ(desktop.consoleCommands.size(), 1u);
    dlg->OnOK();
    EXPECT_TRUE(dlg->IsControlEnabled(IDC_PREVIEW));
}

TEST_F(FaultFiles, ReadOnlyTvAvsAndBatchFileRunButEditsCannotBeLostSilently) {
    MakeClip();
    const std::string script = "AviSource(\"" + source + "\")\n";
    const std::string batchText = "# Batch file for Morvakelin \n";
    WriteFile("TV.avs", script);
    WriteFile("Conf/batch.sh", batchText);
    const mk::test::TempDir outDir("morvakelin-out");
    output = outDir.File("out.mpg");
    ReadOnlyFolder programFolder(desktop.folder);
    ReadOnlyFolder conf(desktop.folder / "Conf");
    std::string why;
    if (!programFolder.Works(why) || !conf.Works(why)) {
        GTEST_SKIP() << why;
    }

    // The AviSynth route only reads the script.
    OpenAndChooseOutput();
    Check(IDC_USE_AVISYNTH)->setChecked(true);
    dlg->OnOK();
    ASSERT_EQ(desktop.messages.size(), 1u);  // the probe report cannot be written, no more
    EXPECT_EQ(desktop.messages[0].title, "Probe report");
    EXPECT_TRUE(dlg->IsControlEnabled(IDC_PREVIEW));

    // The editor says it cannot save, keeps the changes on screen and the file as it was.
    for (const auto& [name, before] : {std::pair{"TV.avs", script}, {"Conf/batch.sh", batchText}}) {
        const std::string path = desktop.ProgramFolder() + name;
        mk::TextEditorWindow editor(path);
        ASSERT_TRUE(editor.Load());
        editor.Editor()->appendPlainText(QStringLiteral("Trim(0, 10)"));
        QString said;
        QTimer::singleShot(0, [&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                said = box->text();
                box->accept();
            }
        });
        EXPECT_FALSE(editor.Save()) << name;
        EXPECT_TRUE(said.startsWith(QStringLiteral("Cannot save"))) << said.toStdString();
        EXPECT_TRUE(editor.IsModified()) << name;
        EXPECT_EQ(ReadFile(path), before) << name;
    }
}

TEST_F(FaultFiles, TvAvsOfBinaryGarbageNeverEncodesFromIt) {
    MakeClip();
    std::mt19937 random(8);
    std::string garbage(64 * 1024, '\0');
    for (char& c : garbage) {
        c = static_cast<char>(random());
    }
    WriteFile("TV.avs", garbage);
    OpenAndChooseOutput();
    Check(IDC_USE_AVISYNTH)->setChecked(true);

    dlg->OnOK();
    ASSERT_EQ(desktop.messages.size(), 1u);
    EXPECT_EQ(desktop.messages[0].title, "Edit file");
    EXPECT_EQ(desktop.editedFiles, std::vector<std::string>{desktop.ProgramFolder() + "TV.avs"});
    EXPECT_TRUE(desktop.consoleCommands.empty());

    // Garbage that happens to hold the source key passes the check, but avs2yuv reads no
    // source from it: the encode runs, fails, and no output is offered for preview.
    const std::string key = "\"" + source.substr(0, source.rfind('.'));
    WriteFile("TV.avs", garbage.substr(0, 1000) + key + garbage.substr(1000));
    desktop.messages.clear();
    dlg->OnOK();
    EXPECT_TRUE(desktop.messages.empty());
    EXPECT_EQ(desktop.consoleCommands.size(), 1u);
    EXPECT_FALSE(fs::exists(output));
    EXPECT_FALSE(dlg->IsControlEnabled(IDC_PREVIEW));
    dlg->OnPreview();
    ASSERT_EQ(desktop.messages.size(), 1u);
    EXPECT_EQ(desktop.messages[0].text, "Out file was not created.");
}

TEST_F(FaultFiles, AFifoAsSourceIsRefusedWithoutRunningTheProbe) {
    const std::string fifo = desktop.ProgramFolder() + "f.avi";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    dlg->OpenSource(fifo);
    EXPECT_TRUE(desktop.shellCommands.empty());
    ASSERT_EQ(desktop.messages.size(), 1u);
    EXPECT_TRUE(desktop.messages[0].text.starts_with(fifo + " is a FIFO"))
        << desktop.messages[0].text;
}

TEST_F(FaultFiles, ProbeReportOfMegabytesIsReadFromItsStart) {
    // Today's ffmpeg describing a file with a hundred thousand streams: our ffmpeg keeps every
    // stream line, so the report the program reads is several megabytes long.
    FakeInstalledFfmpeg(R"(
printf '%s\n' "Input #0, mpegts, from 'x':" "  Duration: 00:00:01.00, start: 0.0, bitrate: 1 kb/s" \
  "  Stream #0:0[0x100]: Video: mpeg2video (Main), yuv420p(tv, top first), 720x576 [SAR 16:15 DAR 4:3], 25 fps" >&2
i=1
while [ $i -le 100000 ]; do
  echo "  Stream #0:$i[0x101](eng): Audio: mp2 ([3][0][0][0] / 0x0003), 48000 Hz, stereo, fltp, 224 kb/s"
  i=$((i + 1))
done >&2
echo "At least one output file must be specified" >&2
exit 1
)");
    WriteFile(source, "x");
    desktop.dialogAnswers.push_back(source);
    dlg->OnOpenFile();
    EXPECT_GT(fs::file_size(desktop.folder / "Conf/test.txt"), 5'000'000u);
    EXPECT_EQ(dlg->m_dSourceWidth, 720);
    EXPECT_EQ(dlg->m_dSourceHeight, 576);
    // Its closing line lies far beyond what is read: the properties are empty, as documented.
    EXPECT_EQ(SourceInfo(*dlg), "  ");
    EXPECT_EQ(dlg->GetSourceAudioCodec(), "mp2");
    dlg->OnGenerate();
    EXPECT_NE(dlg->ControlText(IDC_COMMAND).find(source), std::string::npos);
}

TEST_F(FaultFiles, NoFfmpegInstalledFailsEveryRunVisiblyAndLeavesNoOutput) {
    SetEnv("MORVAKELIN_FFMPEG", "/nonexistent/ffmpeg");
    SetEnv("PATH", "/nonexistent/bin");
    WriteFile(source, "x");
    OpenAndChooseOutput();
    const std::string report = ReadFile(desktop.ProgramFolder() + "Conf/test.txt");
    EXPECT_NE(report.find("no ffmpeg found"), std::string::npos) << report;
    EXPECT_NE(report.find("MORVAKELIN_FFMPEG"), std::string::npos) << report;
    EXPECT_EQ(dlg->m_dSourceWidth, 0);

    EXPECT_EQ(mk::test::RunSh("\"" + desktop.ProgramFolder() + "ffmpeg\" -i \"" + source +
                              "\" -y \"" + output + "\""),
              127);
    dlg->OnOK();
    EXPECT_FALSE(fs::exists(output));
    EXPECT_FALSE(dlg->IsControlEnabled(IDC_PREVIEW));
    dlg->OnTest();
    ASSERT_EQ(desktop.messages.size(), 1u);
    EXPECT_EQ(desktop.messages[0].text, "Stream test file was not created.");
    EXPECT_TRUE(desktop.openedDocuments.empty());
}

TEST_F(FaultFiles, FfmpegKilledMidEncodeLeavesNoPreviewAndTheBatchGoesOn) {
    // The installed ffmpeg writes part of the output, then dies by SIGKILL.
    FakeInstalledFfmpeg(R"(
for last in "$@"; do :; done
case "$last" in
-*) exit 1 ;;
*killed*) printf 'half a file' > "$last"; kill -9 $$ ;;
*) printf 'whole file' > "$last" ;;
esac
)");
    WriteFile(source, "x");
    output = desktop.ProgramFolder() + "killed.mpg";
    OpenAndChooseOutput();
    dlg->OnOK();
    EXPECT_FALSE(fs::exists(output));  // a cut-off file never takes the output's name
    EXPECT_FALSE(dlg->IsControlEnabled(IDC_PREVIEW));

    // A batch whose first encode is killed runs its second one all the same.
    const std::string second = desktop.ProgramFolder() + "second.mpg";
    dlg->OnBatchAdd();
    desktop.dialogAnswers.push_back(second);
    dlg->OnSaveFile();
    dlg->OnBatchAdd();
    fs::remove(output);
    dlg->OnBatchRun();
    EXPECT_FALSE(fs::exists(output));
    EXPECT_EQ(ReadFile(second), "whole file");
}

TEST_F(FaultFiles, OutputIntoAMissingFolderCreatesNothing) {
    MakeClip();
    output = desktop.ProgramFolder() + "no such folder/out.mpg";
    OpenAndChooseOutput();
    dlg->OnOK();
    EXPECT_FALSE(fs::exists(desktop.folder / "no such folder"));
    EXPECT_FALSE(dlg->IsControlEnabled(IDC_PREVIEW));
    dlg->OnPreview();
    ASSERT_EQ(desktop.messages.size(), 1u);
    EXPECT_EQ(desktop.messages[0].text, "Out file was not created.");
    EXPECT_TRUE(desktop.openedDocuments.empty());
}

TEST_F(FaultFiles, FullDiskIsAFailedEncodeNotAResult) {
    SmallDisk disk(desktop.folder / "small disk", 128);
    if (!disk.Mounted()) {
        GTEST_SKIP() << "cannot mount a small tmpfs here (" << disk.Error()
                     << "); the full-disk case needs one";
    }
    MakeClip();
    output = (desktop.folder / "small disk" / "out.mpg").string();
    OpenAndChooseOutput();
    dlg->OnOK();  // a DVD second is far more than 128 KB
    EXPECT_FALSE(dlg->IsControlEnabled(IDC_PREVIEW));
}

}  // namespace
