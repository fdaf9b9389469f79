// The form keeps the template's fixed size; only where a screen's free area is smaller does it
// become a window of that area whose page of controls scrolls. Its frame, title bar included,
// lies on the screen's free area.
#include <QApplication>
#include <QMenuBar>
#include <QScreen>
#include <QScrollArea>
#include <QStyle>
#include <QWindow>
#include <algorithm>

#include "app/encoder_dlg.h"
#include "qt/first_expose.h"

namespace {

// Once the window shows, the window manager's real frame is known; where it leaves the frame
// partly off the free area (a title bar taller than guessed), the form is fitted and moved again.
void KeepFrameOnScreen(CEncoderDlg& dlg) {
    const QScreen* screen = dlg.screen();
    if (screen == nullptr) {
        return;
    }
    const QRect client = dlg.geometry();
    const QRect frame = dlg.windowHandle()->frameGeometry();
    const QRect placed = FrameOnArea(frame, screen->availableGeometry());
    if (placed == frame) {
        return;
    }
    const QMargins margins(client.left() - frame.left(), client.top() - frame.top(),
                           frame.right() - client.right(), frame.bottom() - client.bottom());
    if (placed.size() != frame.size()) {
        FitFormToArea(dlg, placed.marginsRemoved(margins).size());
    }
    dlg.setGeometry(QRect(placed.marginsRemoved(margins).topLeft(), dlg.size()));
}

}  // namespace

QRect FrameOnArea(const QRect& frame, const QRect& area) {
    const int width = std::min(frame.width(), area.width());
    const int height = std::min(frame.height(), area.height());
    const int x = std::clamp(frame.x(), area.x(), area.x() + area.width() - width);
    const int y = std::clamp(frame.y(), area.y(), area.y() + area.height() - height);
    return {x, y, width, height};
}

void FitFormToScreen(CEncoderDlg& dlg) {
    const QScreen* screen = dlg.screen();
    if (screen == nullptr) {
        return;
    }
    // The window manager's frame is known only once the window shows; the style's title bar and
    // frame stand in for it until then.
    const QStyle* style = dlg.style();
    const int title = style->pixelMetric(QStyle::PM_TitleBarHeight);
    const int edge = style->pixelMetric(QStyle::PM_DefaultFrameWidth);
    const QMargins guess(edge, title + edge, edge, edge);
    const QRect free = screen->availableGeometry();
    FitFormToArea(dlg, free.marginsRemoved(guess).size());

    // Centred as a dialog is, but by its frame, which the dialog's own placement guesses too
    // small, putting the title bar above the screen when the form fills its height.
    QRect frame(QPoint(0, 0), dlg.size().grownBy(guess));
    frame.moveCenter(free.center());
    dlg.setGeometry(QRect(FrameOnArea(frame, free).marginsRemoved(guess).topLeft(), dlg.size()));
    mk::OnFirstExpose(dlg, [&dlg] { KeepFrameOnScreen(dlg); });
}

void FitFormToArea(CEncoderDlg& dlg, QSize area) {
    const int top = dlg.MenuBar()->sizeHint().height();
    auto* scroll =
        dlg.findChild<QScrollArea*>(QStringLiteral("formScroll"), Qt::FindDirectChildrenOnly);
    // A form that scrolls already keeps its whole size in its page.
    const QSize full = scroll != nullptr ? scroll->widget()->size() + QSize(0, top) : dlg.size();
    if (full.width() <= area.width() && full.height() <= area.height()) {
        return;
    }
    if (scroll == nullptr) {
        // The controls move in creation order, so the page keeps the template's Tab order.
        auto* page = new QWidget;
        page->setObjectName(QStringLiteral("formPage"));
        page->resize(full.width(), full.height() - top);
        for (QWidget* w : dlg.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (w == dlg.MenuBar() || w->isWindow()) {
                continue;
            }
            // A new parent hides a control; one the form shows stays shown.
            const bool shown = w->isVisibleTo(&dlg);
            const QPoint place = w->pos() - QPoint(0, top);
            w->setParent(page);
            w->move(place);
            if (shown) {
                w->setVisible(true);
            }
        }
        scroll = new QScrollArea(&dlg);
        scroll->setObjectName(QStringLiteral("formScroll"));
        scroll->setFrameShape(QFrame::NoFrame);
        scroll->setFocusPolicy(Qt::NoFocus);
        scroll->setWidget(page);
        scroll->setVisible(true);

        // The whole control comes into view with a margin, whichever way the focus reached it;
        // the scroll area alone would show only an edit's cursor.
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

    const int bar = dlg.style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    const bool vertical = full.height() > area.height();
    const int width = full.width() + (vertical ? bar : 0);
    const bool horizontal = width > area.width();
    const QSize size(std::min(width, area.width()),
                     std::min(full.height() + (horizontal ? bar : 0), area.height()));
    scroll->setGeometry(0, top, size.width(), size.height() - top);
    dlg.setFixedSize(size);
}
