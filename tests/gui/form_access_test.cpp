// Keyboard and screen-reader access to the main form.
#include <QAccessible>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>
#include <set>

#include "app/encoder_dlg.h"
#include "qt/qt_desktop.h"
#include "qt/readable_palette.h"
#include "qt/text_editor_window.h"
#include "res/dialog_template.h"
#include "support/form_fixture.h"
#include "ui/contrast.h"

using namespace mk::ids;

namespace {

bool HasWords(const QString& text) {
    return std::any_of(text.begin(), text.end(), [](QChar c) { return c.isLetter(); });
}

bool IsInteractive(QAccessible::Role role) {
    return role == QAccessible::PushButton || role == QAccessible::CheckBox ||
           role == QAccessible::ComboBox || role == QAccessible::EditableText ||
           role == QAccessible::MenuItem;
}

// What a screen reader can say for the control: its own name or the words of a label tied to it.
// A combo box's name on Linux is its current value, so only its label counts.
bool IsNamed(QAccessibleInterface* iface) {
    if (iface->role() != QAccessible::ComboBox && HasWords(iface->text(QAccessible::Name))) {
        return true;
    }
    for (const auto& [label, relation] : iface->relations(QAccessible::Label)) {
        if (HasWords(label->text(QAccessible::Name))) {
            return true;
        }
    }
    return false;
}

void CollectUnnamed(QAccessibleInterface* iface, QStringList& unnamed) {
    for (int i = 0; i < iface->childCount(); ++i) {
        QAccessibleInterface* child = iface->child(i);
        if (child == nullptr || child->role() == QAccessible::List) {
            continue;  // a combo box's drop-down list: its items are their own texts
        }
        if (IsInteractive(child->role()) && !IsNamed(child)) {
            QObject* o = child->object();
            unnamed << (o != nullptr && !o->objectName().isEmpty()
                            ? o->objectName()
                            : child->text(QAccessible::Name));
        }
        CollectUnnamed(child, unnamed);
    }
}

void ShowActive(QWidget* w) {
    w->show();
    w->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w));
}

}  // namespace

TEST_F(FormTest, EveryInteractiveControlIsNamedInBothLanguages) {
    for (int language : {ID_LANGUAGE_ENGLISH, ID_LANGUAGE_DEUTSCH}) {
        dlg->MenuAction(language)->trigger();
        QStringList unnamed;
        CollectUnnamed(QAccessible::queryAccessibleInterface(dlg.get()), unnamed);
        EXPECT_TRUE(unnamed.isEmpty()) << language << ": " << unnamed.join(", ").toStdString();
    }
}

// The two Target and the two Bitrate controls are told apart by what a screen reader says, and
// that holds the word shown beside them.
TEST_F(FormTest, TargetAndBitrateNamesHoldTheirVisibleWord) {
    const struct {
        int id;
        int label;
        const char* english;
        const char* german;
    } rows[] = {
        {IDC_TARGET, IDC_LABEL_TARGET, "Video target", "Video-Ziel"},
        {IDC_AUDIO_TARGET, IDC_LABEL_AUDIO_TARGET, "Audio target", "Audio-Ziel"},
        {IDC_VIDEO_BITRATE, IDC_LABEL_BITRATE, "Video bitrate in kbit/s",
         "Video-Bitrate in kbit/s"},
        {IDC_AUDIO_BITRATE, IDC_LABEL_AUDIO_BITRATE, "Audio bitrate in kbit/s",
         "Audio-Bitrate in kbit/s"},
    };
    for (int language : {ID_LANGUAGE_DEUTSCH, ID_LANGUAGE_ENGLISH}) {
        dlg->MenuAction(language)->trigger();
        for (const auto& row : rows) {
            QAccessibleInterface* iface =
                QAccessible::queryAccessibleInterface(dlg->Control(row.id));
            // On Linux a combo box's own name is its value: its label relation names it.
            QString said = iface->text(QAccessible::Name);
            if (iface->role() == QAccessible::ComboBox) {
                const auto labels = iface->relations(QAccessible::Label);
                ASSERT_FALSE(labels.isEmpty()) << row.id;
                said = labels.first().first->text(QAccessible::Name);
            }
            EXPECT_EQ(said, language == ID_LANGUAGE_DEUTSCH ? row.german : row.english);
            EXPECT_TRUE(said.contains(QString::fromStdString(dlg->ControlText(row.label)),
                                      Qt::CaseInsensitive))
                << said.toStdString();
        }
    }
}

TEST_F(FormTest, ReadOnlyFieldsStayReadOnlyWhenTheKeyboardReachesThem) {
    for (int id : {IDC_SOURCE_FILE, IDC_COMMAND}) {
        EXPECT_TRUE(qobject_cast<QLineEdit*>(dlg->Control(id))->isReadOnly()) << id;
        EXPECT_TRUE(dlg->Control(id)->focusPolicy() & Qt::TabFocus) << id;
    }
    auto* info = qobject_cast<QPlainTextEdit*>(dlg->Control(IDC_SOURCE_INFO));
    EXPECT_TRUE(info->isReadOnly());
    EXPECT_TRUE(info->tabChangesFocus());
}

TEST_F(FormTest, ReturnPressesTheFocusedButtonButNeverEncodesFromAnEdit) {
    ShowActive(dlg.get());
    desktop.onConsole = [](const std::string&) {};
    for (int id : {IDOK, IDC_MORE_OPTIONS, IDC_OUTPUT_FILE}) {
        dlg->EnableControl(id, true);
    }
    for (int id : {IDC_MORE_OPTIONS, IDC_OUTPUT_FILE}) {
        dlg->Control(id)->setFocus();
        QTest::keyClick(dlg->Control(id), Qt::Key_Return);
    }
    EXPECT_TRUE(desktop.consoleCommands.empty());
    desktop.dialogAnswers.push_back(std::nullopt);
    dlg->Control(IDC_OPEN_FILE)->setFocus();
    QTest::keyClick(dlg->Control(IDC_OPEN_FILE), Qt::Key_Return);
    EXPECT_EQ(desktop.dialogRequests.size(), 1u);
    dlg->Control(IDOK)->setFocus();
    QTest::keyClick(dlg->Control(IDOK), Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(desktop.consoleCommands.size(), 1u);
    EXPECT_TRUE(dlg->isVisible());
}

TEST_F(FormTest, F10OpensTheMenuBarAndEscapeLeavesItWithoutClosingTheForm) {
    ShowActive(dlg.get());
    dlg->Control(IDC_OPEN_FILE)->setFocus();
    QTest::keyClick(dlg->Control(IDC_OPEN_FILE), Qt::Key_F10);
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->title(), "Language");
    QTest::keyClick(menu, Qt::Key_Escape);
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    EXPECT_TRUE(dlg->isVisible());
    // Out of the menu bar, Escape is Exit again.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    EXPECT_FALSE(dlg->isVisible());
}

TEST_F(FormTest, DisabledTextReadsAgainstTheWindowInBothLanguages) {
    const auto rgb = [](const QColor& c) { return mk::Rgb{c.red(), c.green(), c.blue()}; };
    ASSERT_NEAR(mk::ContrastRatio({0, 0, 0}, {255, 255, 255}), 21.0, 1e-9);
    for (int language : {ID_LANGUAGE_ENGLISH, ID_LANGUAGE_DEUTSCH}) {
        dlg->MenuAction(language)->trigger();
        for (int id : {IDC_LABEL_TARGET, IDC_VIDEO_BITRATE, IDC_TARGET, IDC_PROCESS_VIDEO, IDOK}) {
            QWidget* w = dlg->Control(id);
            w->setEnabled(false);
            const QPalette p = w->palette();
            for (auto text : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
                for (auto back : {QPalette::Window, QPalette::Base, QPalette::Button}) {
                    EXPECT_GE(mk::ContrastRatio(rgb(p.color(QPalette::Disabled, text)),
                                                rgb(p.color(QPalette::Disabled, back))),
                              mk::kMinimumTextContrast)
                        << language << " control " << id << " roles " << text << "/" << back;
                }
            }
        }
    }
}

TEST(ReadablePalette, DisabledTextMovesOnlyAsFarAsItMustTowardsTheEnabledText) {
    const auto rgb = [](const QColor& c) { return mk::Rgb{c.red(), c.green(), c.blue()}; };
    QPalette base;
    base.setColor(QPalette::Window, QColor(240, 240, 240));
    base.setColor(QPalette::Base, QColor(255, 255, 255));
    base.setColor(QPalette::Button, QColor(240, 240, 240));
    base.setColor(QPalette::Disabled, QPalette::WindowText, QColor(190, 190, 190));
    base.setColor(QPalette::Active, QPalette::WindowText, QColor(0, 0, 0));
    const QPalette p = mk::WithReadableDisabledText(base);
    const mk::Rgb chosen = rgb(p.color(QPalette::Disabled, QPalette::WindowText));
    EXPECT_GE(mk::DisabledTextContrast(p, QPalette::WindowText), mk::kMinimumTextContrast);
    // A grey just dark enough, not the enabled black: a step of 1/50 of the way changes the
    // contrast by less than 0.3.
    EXPECT_GT(chosen.r, 0);
    EXPECT_LT(mk::ContrastRatio(chosen, {240, 240, 240}), 5.0);
}

TEST_F(FormTest, FormLargerThanTheScreenScrollsToEveryControlByTab) {
    const QSize full = dlg->size();
    FitFormToArea(*dlg, full);
    EXPECT_EQ(dlg->findChild<QScrollArea*>(), nullptr);
    EXPECT_EQ(dlg->size(), full);

    // As at twice the scale on a 1920 x 1080 screen: wide enough, but only about half as high.
    const QSize area(full.width() + 40, full.height() / 2);
    FitFormToArea(*dlg, area);
    EXPECT_LE(dlg->width(), area.width());
    EXPECT_LE(dlg->height(), area.height());
    // Fitted again once the real window frame is known: the same page, only smaller.
    const QSize page = dlg->findChild<QScrollArea*>()->widget()->size();
    const QSize smaller = area - QSize(0, 30);
    FitFormToArea(*dlg, smaller);
    EXPECT_EQ(dlg->findChildren<QScrollArea*>().size(), 1);
    EXPECT_EQ(dlg->findChild<QScrollArea*>()->widget()->size(), page);
    EXPECT_LE(dlg->height(), smaller.height());
    // Without presets, leaving a combo box does not lock the form again.
    dlg->MenuAction(ID_OPTIONS_PRESETTING)->trigger();
    for (const auto& c : mk::EncoderDialogTemplate().controls) {
        dlg->EnableControl(c.id, true);
    }
    ShowActive(dlg.get());
    dlg->Control(IDC_OPEN_FILE)->setFocus();
    std::set<QWidget*> reached;
    for (int i = 0; i < 60; ++i) {
        QWidget* now = QApplication::focusWidget();
        // A combo box's inner line edit holds the focus for it.
        if (now->property("controlId").isNull()) {
            now = now->parentWidget();
        }
        reached.insert(now);
        const QRect shown(now->mapTo(dlg.get(), QPoint(0, 0)), now->size());
        const QWidget* viewport = dlg->findChild<QScrollArea*>()->viewport();
        const QRect view(viewport->mapTo(dlg.get(), QPoint(0, 0)), viewport->size());
        EXPECT_TRUE(view.contains(shown)) << now->objectName().toStdString();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    for (int id : {IDC_SAVE_FILE, IDC_OUTPUT_FILE, IDC_PREVIEW, IDOK, IDCANCEL, IDC_SUPPORT}) {
        EXPECT_TRUE(reached.count(dlg->Control(id))) << id;
    }
}

TEST(FormFit, FrameLiesOnTheFreeArea) {
    const QRect free(0, 30, 1920, 1050);  // below a panel
    struct Case {
        QRect frame, placed;
    } cases[] = {
        {{100, 100, 500, 600}, {100, 100, 500, 600}},    // on the area: left as it is
        {{400, 10, 1096, 1049}, {400, 30, 1096, 1049}},  // title bar under the panel
        {{1600, 500, 500, 600}, {1420, 480, 500, 600}},  // off the right and bottom edges
        {{-20, 0, 2000, 1100}, {0, 30, 1920, 1050}},     // larger than the area
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FrameOnArea(c.frame, free), c.placed);
    }
}

// A screen reader hears the focus where the keyboard has it: on the box's button, not on a panel.
TEST(MessageBoxAccess, OnlyTheButtonReportsTheFocus) {
    mk::QtDesktop desktop;
    QTemporaryDir dir;
    mk::TextEditorWindow editor(dir.filePath(QStringLiteral("TV.avs")).toStdString());
    const struct {
        const char* box;
        std::function<void()> open;
    } rows[] = {
        {"Information",
         [&] { desktop.ShowMessage("V 3.0", "Information", mk::MessageIcon::Information); }},
        {"editor's question",
         [&] {
             editor.show();
             editor.Editor()->insertPlainText(QStringLiteral("x"));
             editor.close();
         }},
    };
    for (const auto& row : rows) {
        QStringList focused;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            EXPECT_TRUE(QTest::qWaitForWindowActive(box));
            for (QWidget* w : box->findChildren<QWidget*>()) {
                if (QAccessible::queryAccessibleInterface(w)->state().focused) {
                    focused << w->metaObject()->className();
                }
            }
            box->done(QMessageBox::Discard);
        });
        row.open();
        EXPECT_EQ(focused.join(", ").toStdString(), "QPushButton") << row.box;
    }
}
