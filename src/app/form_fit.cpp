// The form keeps the template's fixed size; only where a screen's free area is smaller does it
// become a window of that area whose page of controls scrolls.
#include <QApplication>
#include <QMenuBar>
#include <QScreen>
#include <QScrollArea>
#include <QStyle>
#include <algorithm>

#include "app/encoder_dlg.h"

void FitFormToScreen(CEncoderDlg& dlg) {
    const QScreen* screen = dlg.screen();
    if (screen == nullptr) {
        return;
    }
    // The window manager's frame is known only once the window shows; the style's title bar and
    // frame stand in for it.
    const QStyle* style = dlg.style();
    const int title = style->pixelMetric(QStyle::PM_TitleBarHeight);
    const int border = 2 * style->pixelMetric(QStyle::PM_DefaultFrameWidth);
    const QSize free = screen->availableGeometry().size();
    FitFormToArea(dlg, QSize(free.width() - border, free.height() - title - border));
}

void FitFormToArea(CEncoderDlg& dlg, QSize area) {
    const QSize full = dlg.size();
    if (full.width() <= area.width() && full.height() <= area.height()) {
        return;
    }
    const int top = dlg.MenuBar()->sizeHint().height();
    // The controls move in creation order, so the page keeps the template's Tab order.
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("formPage"));
    page->resize(full.width(), full.height() - top);
    for (QWidget* w : dlg.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (w == dlg.MenuBar() || w->isWindow()) {
            continue;
        }
        const QPoint place = w->pos() - QPoint(0, top);
        w->setParent(page);
        w->move(place);
    }
    auto* scroll = new QScrollArea(&dlg);
    scroll->setObjectName(QStringLiteral("formScroll"));
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setFocusPolicy(Qt::NoFocus);
    scroll->setWidget(page);

    const int bar = dlg.style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    const bool vertical = full.height() > area.height();
    const int width = full.width() + (vertical ? bar : 0);
    const bool horizontal = width > area.width();
    const QSize size(std::min(width, area.width()),
                     std::min(full.height() + (horizontal ? bar : 0), area.height()));
    scroll->setGeometry(0, top, size.width(), size.height() - top);
    dlg.setFixedSize(size);

    // The whole control comes into view with a margin, whichever way the focus reached it; the
    // scroll area alone would show only an edit's cursor.
    QObject::connect(qApp, &QApplication::focusChanged, scroll,
                     [scroll, page](QWidget*, QWidget* now) {
                         if (now == nullptr || !page->isAncestorOf(now)) {
                             return;
                         }
                         const QRect r(now->mapTo(page, QPoint(0, 0)), now->size());
                         const int margin = now->height() / 2;
                         scroll->ensureVisible(r.center().x(), r.center().y(),
                                               r.width() / 2 + margin, r.height() / 2 + margin);
                     });
}
