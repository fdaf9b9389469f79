
#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>

#include "app/encoder_dlg.h"
#include "qt/keyboard_access.h"
#include "qt/named_menu_item.h"
#include "qt/qt_text.h"
#include "qt/readable_palette.h"
#include "res/resource.h"
#include "ui/accessible_texts.h"

using namespace mk::ids;

namespace {

// Read-only fields that hold what a user must be able to read: the source path, the probe's
// result, the composed command and the output path. They take the focus by Tab, in template
// order, and let the keyboard move through their text.
constexpr int kReadableFields[] = {IDC_SOURCE_FILE, IDC_SOURCE_INFO, IDC_COMMAND, IDC_OUTPUT_FILE};

void MakeReachable(QWidget* field) {
    field->setFocusPolicy(Qt::StrongFocus);
    if (auto* text = qobject_cast<QPlainTextEdit*>(field)) {
        text->setTabChangesFocus(true);
        text->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    }
}

QMenu* HelpMenu(const CEncoderDlg& dlg) {
    for (QObject* owner : dlg.MenuAction(ID_HELPFILE)->associatedObjects()) {
        if (auto* menu = qobject_cast<QMenu*>(owner)) {
            return menu;
        }
    }
    return nullptr;
}

// An editable combo box hands its focus to its inner line edit, which screen readers announce;
// it carries the label's words, as the combo box itself is named by its label relation only.
void NameComboEdit(const CEncoderDlg& dlg, const mk::LabelFor& pair) {
    auto* combo = qobject_cast<QComboBox*>(dlg.Control(pair.control));
    auto* label = qobject_cast<QLabel*>(dlg.Control(pair.label));
    if (combo != nullptr && combo->lineEdit() != nullptr && label != nullptr) {
        combo->lineEdit()->setAccessibleName(
            (label->accessibleName().isEmpty() ? label->text() : label->accessibleName())
                .simplified());
        combo->lineEdit()->setAccessibleDescription(combo->accessibleDescription());
    }
}

}  // namespace

void MakeFormAccessible(CEncoderDlg& dlg) {
    for (const auto& pair : mk::EncoderLabelBuddies()) {
        qobject_cast<QLabel*>(dlg.Control(pair.label))->setBuddy(dlg.Control(pair.control));
    }
    for (int id : kReadableFields) {
        MakeReachable(dlg.Control(id));
    }
    mk::PressFocusedButtonsOnReturn();
    mk::OpenMenuBarOnF10(&dlg, dlg.MenuBar());
    dlg.setPalette(mk::WithReadableDisabledText(dlg.palette()));
    ApplyFormAccessibleTexts(dlg);
}

void ApplyFormAccessibleTexts(CEncoderDlg& dlg) {
    for (const auto& text : mk::EncoderAccessibleTexts(dlg.m_strLanguage)) {
        const QString name = mk::ToQ(text.name);
        if (text.id == mk::kHelpMenuId) {
            if (QMenu* menu = HelpMenu(dlg)) {
                mk::SetMenuBarItemName(menu->menuAction(), name);
            }
            continue;
        }
        QWidget* w = dlg.Control(text.id);
        if (!name.isEmpty()) {
            w->setAccessibleName(name);
        }
        w->setAccessibleDescription(mk::ToQ(text.description));
    }
    for (const auto& pair : mk::EncoderLabelBuddies()) {
        NameComboEdit(dlg, pair);
    }
}
