#include "qt/deferred_icon_style.h"

#include <QGuiApplication>
#include <QIconEngine>
#include <QPainter>
#include <QStyleOption>
#include <QWidget>
#include <functional>
#include <optional>

namespace mk {

namespace {

// An icon made by its maker the first time it is drawn or measured.
class DeferredIconEngine final : public QIconEngine {
public:
    explicit DeferredIconEngine(std::function<QIcon()> make) : m_make(std::move(make)) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode,
               QIcon::State state) override {
        Icon().paint(painter, rect, Qt::AlignCenter, mode, state);
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        // The size asked for is in device pixels already.
        return Icon().pixmap(size, 1.0, mode, state);
    }
    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return Icon().actualSize(size, mode, state);
    }
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override {
        return Icon().availableSizes(mode, state);
    }
    // Asked by every button that lays itself out; the style's arrows are never empty.
    bool isNull() override { return m_icon ? m_icon->isNull() : false; }
    QIconEngine* clone() const override { return new DeferredIconEngine(*this); }

private:
    QIcon& Icon() {
        if (!m_icon) {
            m_icon = m_make();
        }
        return *m_icon;
    }

    std::function<QIcon()> m_make;
    std::optional<QIcon> m_icon;
};

}  // namespace

QIcon DeferredIconStyle::standardIcon(StandardPixmap icon, const QStyleOption* option,
                                      const QWidget* widget) const {
    if (icon != SP_ToolBarHorizontalExtensionButton && icon != SP_ToolBarVerticalExtensionButton) {
        return QProxyStyle::standardIcon(icon, option, widget);
    }
    // Right to left is decided now, as the widget may be gone when the arrow is drawn.
    const bool rtl = option != nullptr ? option->direction == Qt::RightToLeft
                                       : (widget != nullptr ? widget->isRightToLeft()
                                                            : QGuiApplication::isRightToLeft());
    const QStyle* base = baseStyle();
    return QIcon(new DeferredIconEngine([base, icon, rtl] {
        QStyleOption direction;
        direction.direction = rtl ? Qt::RightToLeft : Qt::LeftToRight;
        return base->standardIcon(icon, &direction);
    }));
}

}  // namespace mk
