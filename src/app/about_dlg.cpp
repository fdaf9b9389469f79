#include "app/about_dlg.h"

#include <QLabel>
#include <QPushButton>
#include <algorithm>

#include "app/dialog_units.h"
#include "qt/qt_text.h"
#include "res/dialog_template.h"
#include "res/resource.h"

namespace {
constexpr int kMarginUnits = 7;  // the template's right margin beside the OK button
}  // namespace

CAboutDlg::CAboutDlg(const QIcon& icon, QWidget* parent) : QDialog(parent) {
    const auto& t = mk::AboutDialogTemplate();
    setWindowTitle(mk::ToQ(t.title));
    const DialogUnits units = DialogUnits::ForFont(font());
    const double unitX = units.x;
    const double unitY = units.y;
    int right = 0;
    for (const auto& c : t.controls) {
        QWidget* w = nullptr;
        if (c.id == mk::ids::IDR_MAINFRAME) {
            auto* l = new QLabel(this);
            l->setPixmap(icon.pixmap(32, 32));
            l->setAccessibleName(QStringLiteral("Morvakelin icon"));
            w = l;
        } else if (c.kind == mk::ControlKind::Label) {
            auto* l = new QLabel(mk::ToQ(c.caption), this);
            l->setTextFormat(Qt::PlainText);  // shown without mnemonic processing
            w = l;
        } else {
            auto* b = new QPushButton(mk::ToQ(c.caption), this);
            b->setDefault(true);
            connect(b, &QPushButton::clicked, this, &QDialog::accept);
            w = b;
        }
        const int h = c.id == mk::ids::IDR_MAINFRAME ? 32 : qRound(c.h * unitY);
        int width = c.id == mk::ids::IDR_MAINFRAME ? 32 : qRound(c.w * unitX);
        if (qobject_cast<QLabel*>(w) != nullptr) {
            width = std::max(width, w->sizeHint().width());  // a line is never cut
        }
        w->setGeometry(qRound(c.x * unitX), qRound(c.y * unitY), width, h);
        right = std::max(right, w->geometry().right() + 1);
    }
    // Below the OK button the lines may run on to the margin; past it the box grows.
    const int margin = qRound(kMarginUnits * unitX);
    setFixedSize(std::max(qRound(t.width * unitX), right + margin), qRound(t.height * unitY));
}
