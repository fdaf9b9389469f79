// Dialog units follow the dialog font, so a form built from a template keeps its proportions
// with any font: a horizontal unit is a quarter of the average letter width, a vertical unit an
// eighth of the font's height.
#pragma once

#include <QFont>
#include <QFontMetrics>

struct DialogUnits {
    double x;  // pixels per horizontal dialog unit
    double y;  // pixels per vertical dialog unit

    static DialogUnits ForFont(const QFont& font) {
        const QFontMetrics fm(font);
        const QString letters =
            QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
        const int averageWidth = (fm.horizontalAdvance(letters) + 26) / 52;
        return {averageWidth / 4.0, fm.height() / 8.0};
    }
};
