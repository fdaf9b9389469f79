#include "qt/keyboard_access.h"

#include <QAction>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QKeyEvent>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QShortcut>

namespace mk {

namespace {

class ReturnPresses : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress) {
            return false;
        }
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool isReturn = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        const auto modifiers = key->modifiers() & ~Qt::KeypadModifier;
        auto* button = qobject_cast<QPushButton*>(watched);
        if (!isReturn || modifiers != Qt::NoModifier || key->isAutoRepeat() || button == nullptr ||
            !button->isEnabled() || !button->hasFocus()) {
            return false;
        }
        button->click();
        return true;
    }
};

class CtrlTabLeaves : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress) {
            return false;
        }
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool tab = key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab;
        if (!tab || !(key->modifiers() & Qt::ControlModifier)) {
            return false;
        }
        // The window moves the focus on as for a plain Tab from this control.
        const bool back = key->key() == Qt::Key_Backtab || (key->modifiers() & Qt::ShiftModifier);
        QKeyEvent plain(QEvent::KeyPress, back ? Qt::Key_Backtab : Qt::Key_Tab,
                        back ? Qt::ShiftModifier : Qt::NoModifier);
        QCoreApplication::sendEvent(static_cast<QWidget*>(watched)->window(), &plain);
        return true;
    }
};

class ButtonsTakeFocus : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        // A window is shown after its children, so the box has set its proxy by now.
        if (event->type() == QEvent::Show) {
            for (auto* box : watched->findChildren<QDialogButtonBox*>()) {
                box->setFocusProxy(nullptr);
            }
        }
        return false;
    }
};

}  // namespace

void FocusButtonsNotTheirBox(QWidget* dialog) {
    dialog->installEventFilter(new ButtonsTakeFocus(dialog));
}

void LeaveTextOnCtrlTab(QWidget* text) {
    text->installEventFilter(new CtrlTabLeaves(text));
}

void PressFocusedButtonsOnReturn() {
    static QPointer<ReturnPresses> filter;
    if (filter == nullptr) {
        filter = new ReturnPresses(QCoreApplication::instance());
        QCoreApplication::instance()->installEventFilter(filter);
    }
}

void OpenMenuBarOnF10(QWidget* window, QMenuBar* bar) {
    auto* f10 = new QShortcut(QKeySequence(Qt::Key_F10), window);
    QObject::connect(f10, &QShortcut::activated, bar, [bar] {
        for (QAction* action : bar->actions()) {
            if (action->isVisible() && action->isEnabled() && !action->isSeparator()) {
                bar->setActiveAction(action);
                return;
            }
        }
    });
}

}  // namespace mk
