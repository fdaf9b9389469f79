// The form as it starts: controls, defaults, lists, menu, binding rules and the event routing.
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QTimer>

#include "app/about_dlg.h"
#include "res/dialog_template.h"
#include "support/form_fixture.h"

using namespace mk::ids;

namespace {

struct StartValue {
    int id;
    const char* text;
};

}  // namespace

TEST_F(FormTest, FirstStartShowsTheDefaultsInDisabledControls) {
    const StartValue values[] = {
        {IDC_TARGET, "dvd"},         {IDC_FORMAT, "pal"},        {IDC_ASPECT, "4:3"},
        {IDC_VIDEO_BITRATE, "6000"}, {IDC_WIDTH, "720"},         {IDC_HEIGHT, "576"},
        {IDC_AUDIO_TARGET, "ac3"},   {IDC_AUDIO_BITRATE, "448"}, {IDC_CHANNELS, "6"},
        {IDC_AUDIO_STREAM, "1"},     {IDC_VIDEO_STREAM, "0"},    {IDC_MORE_OPTIONS, "-mbd 2"},
    };
    for (const auto& v : values) {
        EXPECT_EQ(dlg->ControlText(v.id), v.text) << v.id;
        EXPECT_FALSE(dlg->IsControlEnabled(v.id)) << v.id;
    }
    EXPECT_TRUE(Check(IDC_PROCESS_VIDEO)->isChecked());
    EXPECT_TRUE(Check(IDC_PROCESS_AUDIO)->isChecked());
    EXPECT_FALSE(Check(IDC_CORRECT_RATIO)->isChecked());
    EXPECT_FALSE(Check(IDC_USE_AVISYNTH)->isChecked());
    for (int id :
         {IDC_PROCESS_VIDEO, IDC_PROCESS_AUDIO, IDC_CORRECT_RATIO, IDC_USE_AVISYNTH, IDC_TEST,
          IDC_GENERATE, IDC_SAVE_FILE, IDC_PREVIEW, IDOK, IDC_COMMAND, IDC_OUTPUT_FILE}) {
        EXPECT_FALSE(dlg->IsControlEnabled(id)) << id;
    }
    for (int id : {IDC_OPEN_FILE, IDC_SUPPORT, IDCANCEL, IDC_SOURCE_FILE, IDC_SOURCE_INFO}) {
        EXPECT_TRUE(dlg->IsControlEnabled(id)) << id;
    }
    EXPECT_EQ(dlg->windowTitle(), "Morvakelin");
    EXPECT_TRUE(dlg->IsPresettingOn());
    EXPECT_EQ(dlg->m_ctlAviSynth, Check(IDC_USE_AVISYNTH));
    // The icon's images come from the resources, which must be registered.
    EXPECT_FALSE(dlg->m_hIcon.pixmap(32, 32).isNull());
    EXPECT_FALSE(dlg->m_hIcon.pixmap(256, 256).isNull());
}

TEST_F(FormTest, ControlsFollowTheTemplateInPlaceAndTabOrder) {
    const auto& controls = mk::EncoderDialogTemplate().controls;
    ASSERT_EQ(controls.size(), 45u);
    // Relative places: Open File left of the source path, the buttons of the last row in order.
    const auto x = [&](int id) { return dlg->Control(id)->geometry().x(); };
    const auto y = [&](int id) { return dlg->Control(id)->geometry().y(); };
    EXPECT_LT(x(IDC_OPEN_FILE), x(IDC_SOURCE_FILE));
    EXPECT_LT(x(IDC_SUPPORT), x(IDC_PREVIEW));
    EXPECT_LT(x(IDC_PREVIEW), x(IDOK));
    EXPECT_LT(x(IDOK), x(IDCANCEL));
    EXPECT_LT(y(IDC_SOURCE_INFO), y(IDC_TARGET));
    EXPECT_LT(y(IDC_COMMAND), y(IDC_OUTPUT_FILE));
    for (const auto& c : controls) {
        QWidget* w = dlg->Control(c.id);
        ASSERT_NE(w, nullptr) << c.id;
        EXPECT_TRUE(dlg->rect().contains(w->geometry())) << c.id;
    }
    // Tab order is template order among the controls that take the focus by tab: the template's
    // tab stops and the read-only fields, which the keyboard must reach to read them.
    const auto readable = [](int id) {
        return id == IDC_SOURCE_FILE || id == IDC_SOURCE_INFO || id == IDC_COMMAND ||
               id == IDC_OUTPUT_FILE;
    };
    std::vector<QWidget*> expected;
    for (const auto& c : controls) {
        QWidget* w = dlg->Control(c.id);
        if (c.kind != mk::ControlKind::Label && (!(c.flags & mk::kNoTabStop) || readable(c.id))) {
            expected.push_back(w);
        }
    }
    for (std::size_t i = 0; i + 1 < expected.size(); ++i) {
        QWidget* next = expected[i]->nextInFocusChain();
        while (next != nullptr && next->focusPolicy() == Qt::NoFocus) {
            next = next->nextInFocusChain();
        }
        // Combo boxes carry an inner line edit in the chain; skip children of the current one.
        while (next != nullptr && expected[i]->isAncestorOf(next)) {
            next = next->nextInFocusChain();
        }
        while (next != nullptr && !(next->focusPolicy() & Qt::TabFocus)) {
            next = next->nextInFocusChain();
        }
        EXPECT_EQ(next, expected[i + 1])
            << "after control " << expected[i]->objectName().toStdString();
    }
}

TEST_F(FormTest, ComboListsAndMenuAreThoseOfTheTemplate) {
    const std::vector<std::pair<int, QStringList>> lists = {
        {IDC_TARGET, {"dvd", "svcd", "vcd", "mpeg4", "h263"}},
        {IDC_FORMAT, {"pal", "ntsc"}},
        {IDC_ASPECT, {"4:3", "16:9", "16:9->4:3", "4:3->16:9"}},
        {IDC_AUDIO_TARGET, {"mp2", "ac3", "mp3", "aac", "copy"}},
        {IDC_AUDIO_BITRATE, {"64", "96", "128", "192", "224", "320", "448"}},
        {IDC_CHANNELS, {"2", "6"}},
    };
    for (const auto& [id, items] : lists) {
        QStringList actual;
        for (int i = 0; i < Combo(id)->count(); ++i) {
            actual << Combo(id)->itemText(i);
        }
        EXPECT_EQ(actual, items) << id;
        EXPECT_TRUE(Combo(id)->isEditable());
    }
    QStringList titles;
    for (QAction* a : dlg->MenuBar()->actions()) {
        titles << a->text();
    }
    EXPECT_EQ(titles, (QStringList{"Language", "Batch", "Avisynth", "Disc", "Options", "?"}));
    EXPECT_EQ(dlg->MenuAction(ID_BATCH_ADD)->text(), "Add current command");
    EXPECT_EQ(dlg->MenuAction(IDM_ABOUTBOX)->text(), "&About Morvakelin...");
}

TEST_F(FormTest, ComboStringWritingSelectsTheFirstItemThatBeginsWithTheText) {
    struct Case {
        int id;
        const char* field;
        const char* shown;
        int index;  // -1: shown as typed
    };
    const Case cases[] = {
        {IDC_ASPECT, "16:9", "16:9", 1},     {IDC_ASPECT, "16:9->", "16:9->4:3", 2},
        {IDC_TARGET, "MPEG", "mpeg4", 3},    {IDC_TARGET, "xvid", "xvid", -1},
        {IDC_AUDIO_BITRATE, "16", "16", -1}, {IDC_AUDIO_BITRATE, "1", "128", 2},
        {IDC_CHANNELS, "1", "1", -1},
    };
    for (const auto& c : cases) {
        dlg->SetControlText(c.id, c.field);
        EXPECT_EQ(dlg->ControlText(c.id), c.shown) << c.field;
        if (c.index >= 0) {
            EXPECT_EQ(Combo(c.id)->currentIndex(), c.index) << c.field;
        }
    }
    // Through the binding: the field goes in, the shown text comes back.
    dlg->m_strAspect = "16:9";
    dlg->UpdateData(false);
    dlg->UpdateData(true);
    EXPECT_EQ(dlg->m_strAspect, "16:9");
}

TEST_F(FormTest, ReadingTheFormTakesTypedTextsAndChecks) {
    qobject_cast<QLineEdit*>(dlg->Control(IDC_VIDEO_STREAM))->setText("3");
    Combo(IDC_TARGET)->setEditText("mytarget");
    Check(IDC_CORRECT_RATIO)->setChecked(true);
    dlg->UpdateData(true);
    EXPECT_EQ(dlg->m_strVideoStream, "3");
    EXPECT_EQ(dlg->m_strTarget, "mytarget");
    EXPECT_EQ(dlg->m_bCorrectRatio, 1);
}

TEST_F(FormTest, SystemCommandsSixteenToThirtyOneAreTheAboutCommand) {
    // The about box is modal; close it as soon as it shows.
    int shown = 0;
    for (unsigned id : {16u, 17u, 31u, 32u, 0xF020u}) {
        QTimer::singleShot(0, [&] {
            if (auto* box = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
                ++shown;
                EXPECT_EQ(box->windowTitle(), "About Morvakelin");
                box->accept();
            }
        });
        dlg->OnSysCommand(id, 0);
        QApplication::processEvents();
    }
    EXPECT_EQ(shown, 3);
}

TEST_F(FormTest, AboutBoxShowsTheIconAndEveryLineWhole) {
    CAboutDlg about(dlg->m_hIcon, dlg.get());
    int texts = 0;
    for (QLabel* label : about.findChildren<QLabel*>()) {
        if (label->text().isEmpty()) {
            EXPECT_FALSE(label->pixmap().isNull());  // icon 128
            continue;
        }
        ++texts;
        const QRect shown = label->geometry().intersected(about.rect());
        EXPECT_GE(shown.width(), label->sizeHint().width()) << label->text().toStdString();
    }
    EXPECT_EQ(texts, 2);
}

TEST_F(FormTest, EventsRouteToTheirHandlers) {
    // Output path typed: read into the field at every keystroke.
    qobject_cast<QLineEdit*>(dlg->Control(IDC_OUTPUT_FILE))->setText("/tmp/out.mpg");
    EXPECT_EQ(dlg->m_strOutputFile, "/tmp/out.mpg");
    // Info from the menu.
    dlg->MenuAction(ID_INFO)->trigger();
    ASSERT_EQ(desktop.messages.size(), 1u);
    EXPECT_EQ(desktop.messages[0].text, "Morvakelin V 3.0");
    EXPECT_EQ(desktop.messages[0].title, "Information");
    EXPECT_EQ(desktop.messages[0].icon, mk::MessageIcon::Information);
    // An event nobody handles is not routed.
    EXPECT_FALSE(dlg->Dispatch(CEncoderDlg::Event::LosesFocus, IDC_VIDEO_STREAM));
}

TEST_F(FormTest, EncodeButtonNeverClosesTheForm) {
    dlg->show();
    desktop.onConsole = [](const std::string&) {};
    dlg->EnableControl(IDOK, true);
    qobject_cast<QPushButton*>(dlg->Control(IDOK))->click();
    EXPECT_TRUE(dlg->isVisible());
    EXPECT_EQ(desktop.consoleCommands.size(), 1u);
    qobject_cast<QPushButton*>(dlg->Control(IDCANCEL))->click();
    EXPECT_FALSE(dlg->isVisible());
}
