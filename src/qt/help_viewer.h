// The help window, standing in for winhlp32: a help file is HTML text with one element per topic,
// id="ctx-N" for context number N. One window is kept and reused, not waited for.
#pragma once

#include <QDialog>
#include <QString>

#include <string>

class QTextBrowser;

namespace mk {

class HelpViewer : public QDialog {
    Q_OBJECT

public:
    explicit HelpViewer(QWidget* parent = nullptr);

    // Shows the file at topic `context`; false when the file is missing or cannot be read.
    static bool Show(const std::string& path, int context, QWidget* parent);
    // The window Show uses, or null before the first Show.
    static HelpViewer* Instance();

    bool Open(const std::string& path, int context);
    QTextBrowser* Browser() const { return m_browser; }

    static QString AnchorFor(int context) { return QStringLiteral("ctx-%1").arg(context); }

protected:
    void changeEvent(QEvent* event) override;

private:
    void Retranslate();

    QTextBrowser* m_browser = nullptr;
};

}  // namespace mk
