#include "app/app_icon.h"

QIcon AppIcon() {
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128, 256}) {
        icon.addFile(QStringLiteral(":/icons/hicolor/%1x%1/apps/morvakelin.png").arg(size),
                     QSize(size, size));
    }
    return icon;
}
