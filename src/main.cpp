#include <QApplication>

#include "app/app_icon.h"
#include "app/encoder_app.h"
#include "qt/keyboard_access.h"
#include "qt/readable_palette.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Morvakelin"));
    QGuiApplication::setDesktopFileName(QStringLiteral("morvakelin"));
    QApplication::setWindowIcon(AppIcon());  // the console, editor and help windows too
    // Every window, message boxes included, shows disabled text that can still be read.
    QApplication::setPalette(mk::WithReadableDisabledText(QApplication::palette()));
    mk::PressFocusedButtonsOnReturn();
    CEncoderApp theApp;
    theApp.InitInstance();
    return 0;
}
