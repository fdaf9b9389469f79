// Icons made lazily must draw what they stand for, in the size asked for.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QStyleOption>
#include <memory>

#include "app/app_icon.h"
#include "qt/deferred_icon_style.h"

namespace mk {
namespace {

QImage Drawn(const QIcon& icon, int side) {
    return icon.pixmap(QSize(side, side), 1.0).toImage().convertToFormat(QImage::Format_ARGB32);
}

TEST(DeferredIconStyle, DrawsWhatTheDesktopStyleDraws) {
    DeferredIconStyle style;
    const QStyle* base = style.baseStyle();
    const struct {
        QStyle::StandardPixmap icon;
        Qt::LayoutDirection direction;
    } cases[] = {
        {QStyle::SP_ToolBarHorizontalExtensionButton, Qt::LeftToRight},
        {QStyle::SP_ToolBarHorizontalExtensionButton, Qt::RightToLeft},
        {QStyle::SP_ToolBarVerticalExtensionButton, Qt::LeftToRight},
        {QStyle::SP_MessageBoxWarning, Qt::LeftToRight},
        {QStyle::SP_DialogOkButton, Qt::LeftToRight},
    };
    for (const auto& c : cases) {
        QStyleOption option;
        option.direction = c.direction;
        const QIcon icon = style.standardIcon(c.icon, &option);
        const QIcon expected = base->standardIcon(c.icon, &option);
        ASSERT_FALSE(icon.isNull()) << c.icon;
        for (int side : {8, 16, 32}) {
            const QImage drawn = Drawn(icon, side);
            EXPECT_EQ(drawn.size(), Drawn(expected, side).size()) << c.icon << " " << side;
            EXPECT_TRUE(drawn == Drawn(expected, side))
                << c.icon << " " << side << " " << c.direction;
        }
    }
}

TEST(AppIcon, OffersTheWindowSystemSmallSizesAndStillDrawsLargeOnes) {
    const QIcon icon = AppIcon();
    const QList<QSize> offered = icon.availableSizes();
    ASSERT_FALSE(offered.isEmpty());
    for (const QSize& s : offered) {
        EXPECT_LE(s.width(), 64);
    }
    for (int side : {16, 64, 100, 256}) {
        const QImage drawn = Drawn(icon, side);
        EXPECT_EQ(drawn.size(), QSize(side, side)) << side;
        // The middle of the icon is drawn, not left empty.
        EXPECT_GT(qAlpha(drawn.pixel(side / 2, side / 2)), 0) << side;
    }
}

}  // namespace
}  // namespace mk
