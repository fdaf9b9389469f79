#include <QApplication>

#include "app/encoder_app.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Morvakelin"));
    QGuiApplication::setDesktopFileName(QStringLiteral("morvakelin"));
    CEncoderApp theApp;
    theApp.InitInstance();
    return 0;
}
