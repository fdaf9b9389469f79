// Every row of the event table reached the way a user reaches it: a mouse click on the button or
// check box, typing into a control and leaving it with Tab, a menu item chosen with the mouse, F1.
// A connection the form fails to make shows here as a handler whose effect never appears.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "app/encoder_dlg.h"
#include "form/field_table.h"
#include "res/resource.h"
#include "rules/control_rules.h"
#include "support/fake_desktop.h"
#include "support/files.h"
#include "support/process_watch.h"
#include "ui/documents.h"

namespace {

using E = CEncoderDlg::Event;
using namespace mk::ids;

// A shown, active form over a recording desktop that runs nothing.
struct Form {
    Form() : dlg(desktop, nullptr, mk::ShellDialect::Posix()) {
        desktop.onShell = [](const std::string&) { return 0; };
        desktop.onConsole = [](const std::string&) {};
        dlg.OnInitDialog();
        dlg.show();
        dlg.activateWindow();
    }

    bool Logged(const std::string& prefix) const {
        return std::ranges::any_of(desktop.log,
                                   [&](const std::string& e) { return e.starts_with(prefix); });
    }
    std::string Batch() { return desktop.ProgramFolder() + dlg.Dialect().BatchFile(); }

    FakeDesktop desktop;
    CEncoderDlg dlg;
};

void Click(Form& f, int id) {
    f.dlg.EnableControl(id, true);
    QTest::mouseClick(f.dlg.Control(id), Qt::LeftButton);
    QApplication::processEvents();
}

// Focus into the control, replace its text by typing, and leave it with Tab.
void TypeAndLeave(Form& f, int id, const char* text) {
    f.dlg.EnableControl(id, true);
    QWidget* w = f.dlg.Control(id);
    w->setFocus(Qt::MouseFocusReason);
    QApplication::processEvents();
    ASSERT_TRUE(w->hasFocus()) << id;
    QTest::keyClick(w, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(w, text);
    QTest::keyClick(w, Qt::Key_Tab);
    QApplication::processEvents();
    ASSERT_FALSE(w->hasFocus()) << id;
}

// Opens the item's menu from the menu bar and clicks the item, both with the mouse.
void Choose(Form& f, int command) {
    QAction* item = f.dlg.MenuAction(command);
    QMenuBar* bar = f.dlg.MenuBar();
    for (QAction* top : bar->actions()) {
        QMenu* menu = top->menu();
        if (menu == nullptr || !menu->actions().contains(item)) {
            continue;
        }
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(top).center());
        ASSERT_TRUE(WaitFor([&] { return menu->isVisible(); }, 5000)) << command;
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(item).center());
        QApplication::processEvents();
        return;
    }
    ADD_FAILURE() << "no menu holds command " << command;
}

std::string DiscTitles(Form& f) {
    return f.desktop.ProgramFolder() + "Conf/disc_titles.txt";
}

// Disc > Add current source, with a file that exists as the source.
void AddDiscTitle(Form& f) {
    f.dlg.OnBatchClear();
    f.dlg.SetControlText(IDC_SOURCE_FILE, f.Batch());
    Choose(f, ID_DISC_ADD);
}

// Answers the next modal dialog once it shows, and keeps its title.
std::string g_answered;
void AnswerModal(std::function<void(QDialog*)> answer) {
    QTimer::singleShot(200, [answer] {
        if (auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            g_answered = d->windowTitle().toStdString();
            answer(d);
        }
    });
}

const mk::FieldRow& BindingOf(int id) {
    const auto rows = mk::FieldTable();
    const auto it =
        std::ranges::find_if(rows, [id](const mk::FieldRow& r) { return r.control == id; });
    EXPECT_NE(it, rows.end()) << id;
    return *it;
}

// Rows that only read the form: the control's field follows what was typed or clicked.
void ReadsTheForm(Form& f, const EventRoute& route) {
    const mk::FieldRow& binding = BindingOf(route.source);
    mk::EncoderFields& fields = f.dlg;
    if (binding.check != nullptr) {
        const int before = fields.*binding.check;
        Click(f, route.source);
        EXPECT_NE(fields.*binding.check, before) << route.source;
        return;
    }
    const char* typed = route.source == IDC_OUTPUT_FILE ? "o.mpg" : "97";
    if (route.event == E::TextChanged) {
        f.dlg.EnableControl(route.source, true);
        f.dlg.Control(route.source)->setFocus(Qt::MouseFocusReason);
        QTest::keyClicks(f.dlg.Control(route.source), typed);
    } else {
        TypeAndLeave(f, route.source, typed);
    }
    EXPECT_EQ(fields.*binding.text, typed) << route.source;
}

struct Case {
    E event;
    int source;
    std::function<void(Form&)> input;
    std::function<void(Form&)> expect;
};

// Leaving Format or audio Target with a new value writes that value's presets.
Case PresetsOnLeaving(int id, const char* typed, int presetControl) {
    return {E::LosesFocus, id, [=](Form& f) { TypeAndLeave(f, id, typed); },
            [=](Form& f) {
                mk::EncoderFields defaults;
                EXPECT_EQ(f.dlg.*BindingOf(id).text, typed);
                EXPECT_NE(f.dlg.ControlText(presetControl),
                          defaults.*BindingOf(presetControl).text);
            }};
}

// Without a source, the rules that Target and the Process boxes run lock the form and say so.
Case LocksWithoutSource(E event, int id, std::function<void(Form&)> input) {
    return {event, id, std::move(input), [](Form& f) {
                EXPECT_TRUE(f.Logged("message: File Missing"));
                EXPECT_FALSE(f.dlg.IsControlEnabled(IDC_TARGET));
            }};
}

std::vector<Case> Cases() {
    auto click = [](int id) { return [id](Form& f) { Click(f, id); }; };
    auto choose = [](int id) { return [id](Form& f) { Choose(f, id); }; };
    return {
        {E::Clicked, IDC_OPEN_FILE, click(IDC_OPEN_FILE),
         [](Form& f) { EXPECT_TRUE(f.Logged("open dialog")); }},
        {E::Clicked, IDC_SAVE_FILE, click(IDC_SAVE_FILE),
         [](Form& f) { EXPECT_TRUE(f.Logged("save dialog")); }},
        {E::Clicked, IDC_GENERATE, click(IDC_GENERATE),
         [](Form& f) { EXPECT_TRUE(f.dlg.ControlText(IDC_COMMAND).starts_with("\"")); }},
        {E::HelpCommand, ID_HELP, [](Form& f) { QTest::keyClick(&f.dlg, Qt::Key_F1); },
         [](Form& f) {
             ASSERT_EQ(f.desktop.helpShown.size(), 1u);
             EXPECT_EQ(f.desktop.helpShown[0].second, mk::kMainFormHelpContext);
         }},
        {E::MenuCommand, ID_HELPFILE, choose(ID_HELPFILE),
         [](Form& f) {
             ASSERT_EQ(f.desktop.helpShown.size(), 1u);
             EXPECT_EQ(f.desktop.helpShown[0].second, 0);
         }},
        {E::MenuCommand, ID_INFO, choose(ID_INFO),
         [](Form& f) { EXPECT_TRUE(f.Logged("message: Information")); }},
        {E::MenuCommand, ID_LANGUAGE_ENGLISH,
         [](Form& f) {
             f.dlg.OnLanguageDeutsch();
             Choose(f, ID_LANGUAGE_ENGLISH);
         },
         [](Form& f) { EXPECT_EQ(f.dlg.m_strLanguage, "english"); }},
        {E::MenuCommand, ID_LANGUAGE_DEUTSCH, choose(ID_LANGUAGE_DEUTSCH),
         [](Form& f) { EXPECT_EQ(f.dlg.m_strLanguage, "deutsch"); }},
        {E::MenuCommand, ID_BATCH_ADD, choose(ID_BATCH_ADD),
         [](Form& f) { EXPECT_GT(mk::test::ReadFile(f.Batch()).size(), 0u); }},
        {E::MenuCommand, ID_BATCH_CLEAR,
         [](Form& f) {
             f.dlg.OnBatchAdd();
             const auto added = mk::test::ReadFile(f.Batch()).size();
             Choose(f, ID_BATCH_CLEAR);
             EXPECT_LT(mk::test::ReadFile(f.Batch()).size(), added);
         },
         [](Form&) {}},
        {E::MenuCommand, ID_BATCH_RUN,
         [](Form& f) {
             f.dlg.OnBatchClear();
             Choose(f, ID_BATCH_RUN);
         },
         [](Form& f) { EXPECT_TRUE(f.Logged("batch console: ")); }},
        {E::MenuCommand, ID_BATCH_VIEW,
         [](Form& f) {
             f.dlg.OnBatchClear();
             Choose(f, ID_BATCH_VIEW);
         },
         [](Form& f) { EXPECT_EQ(f.desktop.editedFiles, std::vector{f.Batch()}); }},
        {E::MenuCommand, ID_DISC_ADD, [](Form& f) { AddDiscTitle(f); },
         [](Form& f) {
             EXPECT_NE(mk::test::ReadFile(DiscTitles(f)).find("--source\t" + f.Batch()),
                       std::string::npos);
         }},
        {E::MenuCommand, ID_DISC_CLEAR,
         [](Form& f) {
             AddDiscTitle(f);
             Choose(f, ID_DISC_CLEAR);
         },
         [](Form& f) { EXPECT_EQ(mk::test::ReadFile(DiscTitles(f)), ""); }},
        {E::MenuCommand, ID_DISC_TITLES,
         [](Form& f) {
             AddDiscTitle(f);
             AnswerModal([](QDialog* d) { d->accept(); });
             Choose(f, ID_DISC_TITLES);
         },
         // An earlier row chose German; the window follows the language in force.
         [](Form&) {
             EXPECT_EQ(
                 g_answered,
                 QCoreApplication::translate("mk::DiscTitlesWindow", "Disc titles").toStdString());
         }},
        {E::MenuCommand, ID_DISC_MAKE,
         [](Form& f) {
             AddDiscTitle(f);
             AnswerModal([](QDialog* d) {
                 d->findChild<QLineEdit*>()->setText("/tmp/x.iso");
                 d->accept();
             });
             Choose(f, ID_DISC_MAKE);
         },
         [](Form& f) {
             EXPECT_TRUE(f.Logged("batch console: \"" + f.desktop.ProgramFolder() +
                                  "morvakelin-cli\" --disc \"/tmp/x.iso\""));
         }},
        {E::Clicked, IDC_TEST, click(IDC_TEST),
         [](Form& f) {
             ASSERT_EQ(f.desktop.consoleCommands.size(), 1u);
             EXPECT_NE(f.desktop.consoleCommands[0].find("StreamTest.mp2"), std::string::npos);
         }},
        {E::Clicked, IDC_PREVIEW, click(IDC_PREVIEW),
         [](Form& f) { EXPECT_TRUE(f.Logged("message: File not found")); }},
        LocksWithoutSource(E::LosesFocus, IDC_TARGET,
                           [](Form& f) { TypeAndLeave(f, IDC_TARGET, "svcd"); }),
        {E::Clicked, IDC_SUPPORT, click(IDC_SUPPORT),
         [](Form& f) { EXPECT_EQ(f.desktop.openedDocuments.size(), 1u); }},
        {E::MenuCommand, ID_AVISYNTH_EDIT, choose(ID_AVISYNTH_EDIT),
         [](Form& f) {
             EXPECT_TRUE(f.Logged("message: File not found"));  // no TV.avs in this folder
         }},
        PresetsOnLeaving(IDC_FORMAT, "ntsc", IDC_HEIGHT),
        PresetsOnLeaving(IDC_AUDIO_TARGET, "mp2", IDC_AUDIO_BITRATE),
        LocksWithoutSource(E::Clicked, IDC_PROCESS_VIDEO, click(IDC_PROCESS_VIDEO)),
        LocksWithoutSource(E::Clicked, IDC_PROCESS_AUDIO, click(IDC_PROCESS_AUDIO)),
        {E::MenuCommand, ID_OPTIONS_PRESETTING,
         [](Form& f) {
             f.dlg.EnableControl(IDC_TARGET, false);
             Choose(f, ID_OPTIONS_PRESETTING);
         },
         [](Form& f) {
             EXPECT_FALSE(f.dlg.IsPresettingOn());
             for (mk::Field field : mk::kGovernedFields) {
                 const int id = mk::RowOf(field).control;
                 EXPECT_TRUE(f.dlg.IsControlEnabled(id)) << id;
             }
         }},
        {E::Clicked, IDOK, click(IDOK),
         [](Form& f) {
             EXPECT_TRUE(f.Logged("minimize"));
             EXPECT_TRUE(f.Logged("console: "));
         }},
    };
}

TEST(FormEvents, EveryRowOfTheEventTableRunsFromRealInput) {
    const std::vector<Case> cases = Cases();
    for (const EventRoute& route : EncoderEventTable()) {
        SCOPED_TRACE("event " + std::to_string(static_cast<int>(route.event)) + ", source " +
                     std::to_string(route.source));
        Form f;
        ASSERT_TRUE(QTest::qWaitForWindowActive(&f.dlg));
        if (route.handler == &CEncoderDlg::OnReadForm) {
            ReadsTheForm(f, route);
            continue;
        }
        const auto c = std::ranges::find_if(cases, [&](const Case& c) {
            return c.event == route.event && c.source == route.source;
        });
        ASSERT_NE(c, cases.end()) << "no input drives this row";
        c->input(f);
        c->expect(f);
    }
}

}  // namespace
