#include "qt/named_menu_item.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QWindow>

namespace mk {

namespace {

constexpr const char* kNameProperty = "menuBarItemName";

class NamedMenuBarItem : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    NamedMenuBarItem(QMenuBar* bar, QAction* action) : m_bar(bar), m_action(action) {}

    bool isValid() const override { return m_bar && m_action; }
    QObject* object() const override { return m_action; }
    QWindow* window() const override { return m_bar->window()->windowHandle(); }
    QAccessibleInterface* parent() const override {
        return QAccessible::queryAccessibleInterface(m_bar);
    }
    QAccessibleInterface* child(int index) const override {
        return index == 0 && m_action->menu() != nullptr
                   ? QAccessible::queryAccessibleInterface(m_action->menu())
                   : nullptr;
    }
    int childCount() const override { return m_action->menu() != nullptr ? 1 : 0; }
    int indexOfChild(const QAccessibleInterface* c) const override {
        return c != nullptr && c->object() == m_action->menu() ? 0 : -1;
    }
    QAccessibleInterface* childAt(int x, int y) const override {
        QAccessibleInterface* menu = child(0);
        return menu != nullptr && menu->rect().contains(x, y) ? menu : nullptr;
    }
    QAccessibleInterface* focusChild() const override { return nullptr; }
    QString text(QAccessible::Text t) const override {
        return t == QAccessible::Name ? m_action->property(kNameProperty).toString() : QString();
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override {
        return m_bar->actionGeometry(m_action).translated(m_bar->mapToGlobal(QPoint(0, 0)));
    }
    QAccessible::Role role() const override { return QAccessible::MenuItem; }
    QAccessible::State state() const override {
        QAccessible::State s;
        s.focusable = true;
        s.hasPopup = m_action->menu() != nullptr;
        s.invisible = !m_bar->isVisible() || !m_action->isVisible();
        s.disabled = !m_action->isEnabled();
        s.focused = m_bar->activeAction() == m_action;
        return s;
    }
    void* interface_cast(QAccessible::InterfaceType type) override {
        return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this)
                                                    : nullptr;
    }
    QStringList actionNames() const override { return {showMenuAction()}; }
    void doAction(const QString& name) override {
        if (name != showMenuAction() || !m_action->isEnabled()) {
            return;
        }
        if (m_action->menu() != nullptr && m_action->menu()->isVisible()) {
            m_action->menu()->hide();
        } else {
            m_bar->setActiveAction(m_action);
        }
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

private:
    QPointer<QMenuBar> m_bar;
    QPointer<QAction> m_action;
};

QAccessibleInterface* NamedMenuBarItemFactory(const QString& key, QObject* object) {
    auto* action = qobject_cast<QAction*>(object);
    if (key != QLatin1String("QAction") || action == nullptr ||
        !action->property(kNameProperty).isValid()) {
        return nullptr;
    }
    for (QObject* owner : action->associatedObjects()) {
        if (auto* bar = qobject_cast<QMenuBar*>(owner)) {
            return new NamedMenuBarItem(bar, action);
        }
    }
    return nullptr;
}

}  // namespace

void SetMenuBarItemName(QAction* menuAction, const QString& name) {
    static const bool installed = [] {
        QAccessible::installFactory(NamedMenuBarItemFactory);
        return true;
    }();
    (void)installed;
    menuAction->setProperty(kNameProperty, name);
    if (QMenu* menu = menuAction->menu()) {
        menu->setAccessibleName(name);
    }
    if (QAccessible::isActive()) {
        QAccessibleEvent changed(menuAction, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&changed);
    }
}

}  // namespace mk
