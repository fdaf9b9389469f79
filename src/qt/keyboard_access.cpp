#include "qt/keyboard_access.h"

#include <QAbstractButton>
#include <QAction>
#include <QKeyEvent>
#include <QMenuBar>
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
        auto* button = qobject_cast<QAbstractButton*>(watched);
        if (!isReturn || modifiers != Qt::NoModifier || key->isAutoRepeat() || button == nullptr ||
            !button->isEnabled()) {
            return false;
        }
        button->click();
        return true;
    }
};

}  // namespace

void PressOnReturn(QAbstractButton* button) {
    button->installEventFilter(new ReturnPresses(button));
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
