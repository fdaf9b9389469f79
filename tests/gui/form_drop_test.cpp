// Dropping a file on the form: one existing file is Open File with the dialog answered; anything
// else is refused while it is dragged and when it is dropped.
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <filesystem>

#include "form/field_table.h"
#include "rules/control_rules.h"
#include "support/form_fixture.h"

using namespace mk::ids;

namespace {

// What a handler leaves behind that Open File is judged by.
struct FormSnapshot {
    std::vector<std::string> shellCommands;
    std::string source, ext, info, audioStream, videoStream, videoBitrate, width, height;
    double sourceWidth, sourceHeight;
    int aviSynth;
    std::string enabled;  // 'E' / 'D' per governed control

    bool operator==(const FormSnapshot&) const = default;
};

class DropTest : public FormTest {
protected:
    void SetUp() override {
        FormTest::SetUp();
        // The probe leaves a report as our ffmpeg would; the form reads it back.
        desktop.onShell = [this](const std::string&) {
            WriteFile("Conf/test.txt",
                      "  Duration: 00:00:01.00, start: 0.0, bitrate: 1 kb/s\n"
                      "    Stream #0.0: Video: mpeg4, yuv420p, 320x180, 25 fps\n"
                      "    Stream #0.1: Audio: mp2, 44100 Hz, mono, s16p\n"
                      "Must supply at least one output file\n");
            return 0;
        };
    }

    FormSnapshot Snapshot() {
        dlg->UpdateData(true);
        FormSnapshot s{desktop.shellCommands,
                       dlg->m_strSourceFile,
                       dlg->m_strSourceExt,
                       dlg->m_strSourceInfo,
                       dlg->m_strAudioStream,
                       dlg->m_strVideoStream,
                       dlg->m_strVideoBitrate,
                       dlg->m_strWidth,
                       dlg->m_strHeight,
                       dlg->m_dSourceWidth,
                       dlg->m_dSourceHeight,
                       dlg->m_bUseAviSynth,
                       {}};
        for (mk::Field field : mk::kGovernedFields) {
            const int id = mk::RowOf(field).control;
            s.enabled += dlg->IsControlEnabled(id) ? 'E' : 'D';
        }
        return s;
    }

    // The form as a user leaves it before dropping: a changed stream box, AviSynth ticked.
    void Prepare() {
        dlg->m_strAudioStream = "4";
        dlg->m_bUseAviSynth = 1;
        dlg->UpdateData(false);
    }

    // Sends a drag that enters the form and, when `drop`, the drop; returns what was accepted.
    std::pair<bool, bool> Drag(const QList<QUrl>& urls) {
        QMimeData mime;
        mime.setUrls(urls);
        const QPoint at(20, 20);
        QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        enter.ignore();
        QApplication::sendEvent(dlg.get(), &enter);
        QDropEvent drop(QPointF(at), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        drop.ignore();
        QApplication::sendEvent(dlg.get(), &drop);
        return {enter.isAccepted(), drop.isAccepted()};
    }
};

TEST_F(DropTest, OneFileDoesWhatOpenFileDoes) {
    for (const char* name : {"clip.avi", "clip.VOB"}) {
        const std::string file = WriteFile(name, "not looked at: the probe is simulated");

        MakeForm(mk::ShellDialect::Posix());
        desktop.shellCommands.clear();
        Prepare();
        desktop.dialogAnswers.push_back(file);
        dlg->OnOpenFile();
        const FormSnapshot opened = Snapshot();

        MakeForm(mk::ShellDialect::Posix());
        desktop.shellCommands.clear();
        Prepare();
        const auto [entered, dropped] = Drag({QUrl::fromLocalFile(QString::fromStdString(file))});
        EXPECT_TRUE(entered) << name;
        EXPECT_TRUE(dropped) << name;
        const FormSnapshot droppedState = Snapshot();

        ASSERT_EQ(opened.shellCommands.size(), 1u);
        EXPECT_EQ(droppedState.source, file);
        EXPECT_EQ(droppedState.sourceWidth, 320);
        EXPECT_TRUE(droppedState == opened) << name;
        EXPECT_EQ(droppedState.shellCommands, opened.shellCommands) << name;
    }
}

TEST_F(DropTest, AnythingButOneExistingFileIsRefused) {
    const std::string a = WriteFile("a.avi", "x");
    const std::string b = WriteFile("b.avi", "x");
    const auto local = [](const std::string& p) {
        return QUrl::fromLocalFile(QString::fromStdString(p));
    };
    struct Case {
        const char* name;
        QList<QUrl> urls;
    } cases[] = {
        {"two files", {local(a), local(b)}},
        {"web address", {QUrl("https://example.org/a.avi")}},
        {"missing file", {local(desktop.ProgramFolder() + "gone.avi")}},
        {"folder", {local(desktop.ProgramFolder() + "Conf")}},
        {"no address", {}},
    };
    for (const Case& c : cases) {
        MakeForm(mk::ShellDialect::Posix());
        desktop.shellCommands.clear();
        const FormSnapshot before = Snapshot();
        const auto [entered, dropped] = Drag(c.urls);
        EXPECT_FALSE(entered) << c.name;
        EXPECT_FALSE(dropped) << c.name;
        EXPECT_TRUE(desktop.shellCommands.empty()) << c.name;
        EXPECT_TRUE(Snapshot() == before) << c.name;
    }
}

}  // namespace
