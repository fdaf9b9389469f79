#include <QApplication>

#include "app/app_icon.h"
#include "app/encoder_app.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Morvakelin"));
    QGuiApplication::setDesktopFileName(QStringLiteral("morvakelin"));
    QApplication::setWindowIcon(AppIcon());  // the console, editor and help windows too
    CEncoderApp theApp;
    theApp.InitInstance();
    return 0;
}
