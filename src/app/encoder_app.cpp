#include "app/encoder_app.h"

#include "app/encoder_dlg.h"
#include "qt/qt_desktop.h"

bool CEncoderApp::InitInstance() {
    mk::QtDesktop desktop;
    CEncoderDlg dlg(desktop);
    desktop.SetForm(&dlg);
    dlg.exec();  // Encode or Exit: the result is not examined
    return false;
}
