// The about box: icon, version line, notice line and OK.
#pragma once

#include <QDialog>
#include <QIcon>

class CAboutDlg : public QDialog {
    Q_OBJECT

public:
    CAboutDlg(const QIcon& icon, QWidget* parent = nullptr);
};
