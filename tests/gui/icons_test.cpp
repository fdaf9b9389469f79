// Icons made lazily must draw what they stand for, in the size asked for.
#include <gtest/gtest.h>

#include <QStyleOption>

#include "app/app_icon.h"
#include "qt/deferred_icon_style.h"

namespace mk {
namespace {

QImage Drawn(const QIcon& icon, int side) {
    return icon.pixmap(QSize(side, side), 1.0).toImage().convertToFormat(QImage::Format_ARGB32);
}

TEST(Icons, DeferredArrowsDrawAsTheDesktopStyleAndAppIconOffersSmallSizesOnly) {
    DeferredIconStyle style;
    for (auto icon : {QStyle::SP_ToolBarHorizontalExtensionButton,
                      QStyle::SP_ToolBarVerticalExtensionButton, QStyle::SP_MessageBoxWarning}) {
        for (auto direction : {Qt::LeftToRight, Qt::RightToLeft}) {
            QStyleOption option;
            option.direction = direction;
            for (int side : {8, 16, 32}) {
                EXPECT_TRUE(Drawn(style.standardIcon(icon, &option), side) ==
                            Drawn(style.baseStyle()->standardIcon(icon, &option), side))
                    << icon << " " << direction << " " << side;
            }
        }
    }
    for (const QSize& s : AppIcon().availableSizes()) {
        EXPECT_LE(s.width(), 64);
    }
    const QImage large = Drawn(AppIcon(), 256);  // still drawn from its own image when asked
    EXPECT_TRUE(large.size() == QSize(256, 256) && qAlpha(large.pixel(128, 128)) > 0);
}

}  // namespace
}  // namespace mk
