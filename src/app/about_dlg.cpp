#include "app/about_dlg.h"

#include <QLabel>
#include <QPushButton>

#include "app/dialog_units.h"
#include "qt/qt_text.h"
#include "res/dialog_template.h"
#include "res/resource.h"

CAboutDlg::CAboutDlg(const QIcon& icon, QWidget* parent) : QDialog(parent) {
    const auto& t = mk::AboutDialogTemplate();
    setWindowTitle(mk::ToQ(t.title));
    const DialogUnits units = DialogUnits::ForFont(font());
    const double unitX = units.x;
    const double unitY = units.y;
    for (const auto& c : t.controls) {
        QWidget* w = nullptr;
        if (c.id == mk::ids::IDR_MAINFRAME) {
            auto* l = new QLabel(this);
            l->setPixmap(icon.pixmap(32, 32));
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
        const int width = c.id == mk::ids::IDR_MAINFRAME ? 32 : qRound(c.w * unitX);
        w->setGeometry(qRound(c.x * unitX), qRound(c.y * unitY), width, h);
    }
    setFixedSize(qRound(t.width * unitX), qRound(t.height * unitY));
}
