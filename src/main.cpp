#include <QApplication>

#include "app/encoder_app.h"
#include "qt/deferred_icon_style.h"
#include "qt/keyboard_access.h"
#include "qt/readable_palette.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    // Before any widget, so the form's menu bar is made with it; and before the palette, which
    // a new style would reset.
    QApplication::setStyle(new mk::DeferredIconStyle);
    QApplication::setApplicationName(QStringLiteral("Morvakelin"));
    QGuiApplication::setDesktopFileName(QStringLiteral("morvakelin"));
    // The form's menu bar stays in the form, above its controls, where F10 finds it; nor is the
    // session bus asked for a desktop-wide menu bar at every start.
    QCoreApplication::setAttribute(Qt::AA_DontUseNativeMenuBar);
    // Every window, message boxes included, shows disabled text that can still be read.
    QApplication::setPalette(mk::WithReadableDisabledText(QApplication::palette()));
    mk::PressFocusedButtonsOnReturn();
    CEncoderApp theApp;
    theApp.InitInstance();
    return 0;
}
