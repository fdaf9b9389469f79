// Captions, the language file and the help commands through the real form.
#include <sys/stat.h>

#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>

#include "qt/console_window.h"
#include "qt/help_viewer.h"
#include "qt/text_editor_window.h"
#include "qt/ui_language.h"
#include "res/dialog_template.h"
#include "support/form_fixture.h"
#include "support/process_watch.h"

using namespace mk::ids;

namespace {

const std::string kEnglish("english\0", 8);
const std::string kGerman("deutsch\0", 8);

struct CaptionRow {
    bool menu;
    int id;
    const char* english;
    const char* german;  // nullptr: not translated
};

// Typed again from the tables the program must show.
const CaptionRow kRows[] = {
    {true, ID_HELPFILE, "Help", "Hilfe"},
    {true, ID_BATCH_CLEAR, "Clear batch file", "Lösche Inhalt"},
    {true, ID_BATCH_ADD, "Add current command", "Füge aktuelles Kommando hinzu"},
    {true, ID_BATCH_VIEW, "View batch file", "Zeige Inhalt"},
    {true, ID_BATCH_RUN, "Run batch file", "Ausführen"},
    {true, ID_OPTIONS_PRESETTING, "Presetting", "Voreinstellung"},
    {true, ID_AVISYNTH_EDIT, "Edit TV.avs", "Bearbeite TV.avs"},
    {false, IDC_OPEN_FILE, "Open File", "Datei öffnen"},
    {false, IDC_SAVE_FILE, "Save File", "Zieldatei"},
    {false, IDC_GENERATE, "Generate", "Erzeugen"},
    {false, IDC_SUPPORT, "Your Support", "Ihre Hilfe"},
    {false, IDCANCEL, "Exit", "Beenden"},
    {false, IDOK, "Encode", "Umwandeln"},
    {false, IDC_PROCESS_AUDIO, "Process Audio Encoding", "Audio umwandeln"},
    {false, IDC_PROCESS_VIDEO, "Process Video Encoding", "Video umwandeln"},
    {false, IDC_LABEL_AUDIO_TARGET, "Target", "Ziel"},
    {false, IDC_LABEL_TARGET, "Target", "Ziel"},
    {false, IDC_LABEL_CHANNELS, "Channels", "Kanäle"},
    {false, IDC_LABEL_COMMAND, "ffmpeg's command string", "Kommandozeile von ffmpeg"},
    {false, IDC_LABEL_MORE_OPTIONS, "Enter more options for ffmpeg if necessary, see documentation",
     "Eingabe von weiteren ffmpeg Optionen, siehe Dokumentation"},
    {false, IDC_LABEL_ASPECT, "Aspect", "Verhältnis"},
    {false, IDC_LABEL_HEIGHT, "Height", "Höhe"},
    {false, IDC_LABEL_SIZE, "Size", "Größe"},
    {false, IDC_LABEL_WIDTH, "Width", "Breite"},
    {false, IDC_LABEL_STREAMS, "No. of stream to encode     Video",
     "Nr. des Streams                    Video"},
    {false, IDC_LABEL_AUDIO_STREAM, "Audio", nullptr},
    {false, IDC_LABEL_SOURCE_INFO, "Source properties", "Eigenschaften der Quelldatei"},
    {false, IDC_USE_AVISYNTH, "Use AviSynth", "AviSynth benutzen"},
    {false, IDC_CORRECT_RATIO, "Correct ratio", "Breite/Höhe anpassen"},
    {false, IDC_PREVIEW, "Preview", "Vorschau"},
};

class LanguageTest : public FormTest {
protected:
    void SetUp() override {}  // each test prepares the language file before the form starts

    std::string Caption(const CaptionRow& row) const {
        return row.menu ? dlg->MenuAction(row.id)->text().toStdString() : dlg->ControlText(row.id);
    }
    std::string LanguageFile() { return desktop.ProgramFolder() + "Conf/LangConf.txt"; }
};

}  // namespace

TEST_F(LanguageTest, BothTablesReachEveryCaptionAndUncheckTheMenu) {
    MakeForm(mk::ShellDialect::Posix());
    dlg->OnLanguageDeutsch();
    for (const auto& row : kRows) {
        EXPECT_EQ(Caption(row), row.german ? row.german : row.english) << row.id;
    }
    EXPECT_FALSE(dlg->IsPresettingOn());
    EXPECT_EQ(dlg->m_strLanguage, "deutsch");
    EXPECT_EQ(ReadFile(LanguageFile()), kGerman);
    EXPECT_EQ(dlg->MenuAction(ID_INFO)->text(), "Info");

    dlg->OnOptionsPresetting();
    desktop.messages.clear();
    dlg->OnLanguageEnglish();
    for (const auto& row : kRows) {
        EXPECT_EQ(Caption(row), row.english) << row.id;
    }
    EXPECT_FALSE(dlg->IsPresettingOn());
    EXPECT_EQ(ReadFile(LanguageFile()), kEnglish);
}

// Longer German captions still show whole, and none runs into another control or past the right
// edge its column has in the template.
TEST_F(LanguageTest, GermanCaptionsShowWholeWithinTheirColumns) {
    MakeForm(mk::ShellDialect::Posix());
    dlg->OnLanguageDeutsch();
    const int column = dlg->Control(IDC_MORE_OPTIONS)->geometry().right() + 1;
    std::vector<std::pair<int, QRect>> placed;
    for (const auto& c : mk::EncoderDialogTemplate().controls) {
        QWidget* w = dlg->Control(c.id);
        if (c.kind == mk::ControlKind::Label || c.kind == mk::ControlKind::CheckBoxLeftText) {
            EXPECT_GE(w->width(), w->sizeHint().width()) << c.id;
        }
        const int templateRight =
            w->property("templateX").toInt() + w->property("templateWidth").toInt();
        EXPECT_LE(w->geometry().right() + 1, std::max(templateRight, column)) << c.id;
        // What shows of a label is its text, from its left edge.
        QRect shown = w->geometry();
        if (c.kind == mk::ControlKind::Label) {
            shown.setWidth(std::min(shown.width(), w->sizeHint().width()));
        }
        for (const auto& [other, rect] : placed) {
            EXPECT_FALSE(rect.intersects(shown)) << c.id << " runs into " << other;
        }
        placed.emplace_back(c.id, shown);
    }
}

TEST_F(LanguageTest, StartUpRestoresTheLanguageAndChecksPresettingAfterwards) {
    struct Case {
        const char* name;
        std::optional<std::string> before;
        std::string after;
        bool german;
        const char* streamsLabel;
    };
    const Case cases[] = {
        {"missing", std::nullopt, kEnglish, false, "No. of stream to encode        Video"},
        {"deutsch", kGerman, kGerman, true, "Nr. des Streams                    Video"},
        {"Deutsch", std::string("Deutsch\0", 8), kEnglish, false,
         "No. of stream to encode     Video"},
        {"garbage", std::string("\xff\xfe garbage that is long"), kEnglish, false,
         "No. of stream to encode     Video"},
    };
    for (const auto& c : cases) {
        std::filesystem::remove(LanguageFile());
        if (c.before) {
            WriteFile("Conf/LangConf.txt", *c.before);
        }
        MakeForm(mk::ShellDialect::Posix());
        EXPECT_EQ(ReadFile(LanguageFile()).substr(0, 8), c.after) << c.name;
        EXPECT_EQ(dlg->ControlText(IDC_LABEL_STREAMS), c.streamsLabel) << c.name;
        EXPECT_EQ(dlg->ControlText(IDOK), c.german ? "Umwandeln" : "Encode") << c.name;
        EXPECT_TRUE(dlg->IsPresettingOn()) << c.name;
    }
}

TEST_F(LanguageTest, ReadOnlyLanguageFileStillSwitchesEveryCaption) {
    WriteFile("Conf/LangConf.txt", kEnglish);
    chmod(LanguageFile().c_str(), 0444);
    MakeForm(mk::ShellDialect::Posix());
    dlg->OnLanguageDeutsch();
    EXPECT_EQ(dlg->ControlText(IDC_GENERATE), "Erzeugen");
    if (geteuid() != 0) {  // root writes through the mode bits
        EXPECT_EQ(ReadFile(LanguageFile()), kEnglish);
    }
}

TEST_F(LanguageTest, HelpAndSupportFollowTheLanguage) {
    MakeForm(mk::ShellDialect::Posix());
    const std::string f = desktop.ProgramFolder();
    dlg->OnHelp();
    ASSERT_EQ(desktop.messages.size(), 1u);
    EXPECT_EQ(desktop.messages[0].text, "Helpfile is not in Morvakelin's help folder");
    EXPECT_EQ(desktop.messages[0].title, "File not found");
    EXPECT_EQ(desktop.helpShown.back(), std::make_pair(f + "Help/Eng/MORVAKELIN_ENG.HLP", 4));

    std::filesystem::create_directories(f + "Help/Ger");
    WriteFile("Help/Ger/MORVAKELIN_GER.HLP", "<html><body id=\"ctx-4\">Hilfe</body></html>");
    dlg->OnLanguageDeutsch();
    desktop.messages.clear();
    dlg->OnHelp();
    dlg->OnHelpFile();
    EXPECT_TRUE(desktop.messages.empty());
    EXPECT_EQ(desktop.helpShown.back().first, f + "Help/Ger/MORVAKELIN_GER.HLP");
    dlg->OnSupport();
    EXPECT_EQ(desktop.openedDocuments.back(), f + "Conf/support_ger.htm");
    dlg->OnLanguageEnglish();
    dlg->OnSupport();
    EXPECT_EQ(desktop.openedDocuments.back(), f + "Conf/support_eng.htm");
    EXPECT_TRUE(desktop.messages.empty());  // a missing page says nothing
}

// The windows around the form follow the menu, open ones included, and so do Qt's own buttons.
TEST_F(LanguageTest, ConsoleEditorHelpAndButtonsFollowTheLanguage) {
    MakeForm(mk::ShellDialect::Posix());
    mk::ConsoleWindow console("sleep 30", mk::ConsoleOptions{});
    console.Start();
    console.Stop();
    ASSERT_TRUE(WaitFor([&] { return !console.IsRunning(); }));
    mk::TextEditorWindow editor(desktop.ProgramFolder() + "TV.avs");
    const std::string page = WriteFile("help.htm", "<html><body>no title</body></html>");
    ASSERT_TRUE(mk::HelpViewer::Show(page, 4, dlg.get()));
    QMessageBox box(
        QMessageBox::Question, "", "",
        QMessageBox::Yes | QMessageBox::No | QMessageBox::Discard | QMessageBox::Cancel);
    auto button = [&](QMessageBox::StandardButton b) { return box.button(b)->text(); };
    const struct {
        std::function<QString()> shown;
        const char* english;
        const char* german;
    } rows[] = {
        {[&] { return console.windowTitle(); }, "Morvakelin console - Stopped",
         "Morvakelin-Konsole - Angehalten"},
        {[&] { return console.StopButton()->text(); }, "Stop", "Anhalten"},
        {[&] { return editor.windowTitle(); }, "TV.avs - Morvakelin editor",
         "TV.avs - Morvakelin-Editor"},
        {[&] { return editor.Editor()->accessibleName(); }, "Text of TV.avs", "Text von TV.avs"},
        {[&] { return mk::HelpViewer::Instance()->windowTitle(); }, "Morvakelin Help",
         "Morvakelin Hilfe"},
        {[&] { return button(QMessageBox::Yes); }, "&Yes", "&Ja"},
        {[&] { return button(QMessageBox::No); }, "&No", "&Nein"},
        {[&] { return button(QMessageBox::Discard); }, "Discard", "Verwerfen"},
        {[&] { return button(QMessageBox::Cancel); }, "Cancel", "Abbrechen"},
    };
    for (const bool german : {true, false, true}) {
        german ? dlg->OnLanguageDeutsch() : dlg->OnLanguageEnglish();
        QCoreApplication::sendPostedEvents();  // Qt posts the change to every window
        for (const auto& row : rows) {
            EXPECT_EQ(row.shown().toStdString(), german ? row.german : row.english);
        }
    }
    mk::HelpViewer::Instance()->close();
}
