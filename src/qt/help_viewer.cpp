#include "qt/help_viewer.h"

#include <sys/stat.h>

#include <QEvent>
#include <QPointer>
#include <QStringDecoder>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>
#include <fstream>
#include <sstream>

#include "qt/qt_text.h"

namespace mk {

namespace {
QPointer<HelpViewer>& TheViewer() {
    static QPointer<HelpViewer> viewer;
    return viewer;
}
}  // namespace

HelpViewer::HelpViewer(QWidget* parent) : QDialog(parent) {
    setSizeGripEnabled(true);
    setModal(false);
    resize(720, 600);
    m_browser = new QTextBrowser(this);
    m_browser->setOpenExternalLinks(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_browser);
    Retranslate();
}

void HelpViewer::Retranslate() {
    // The page names itself ("Morvakelin Hilfe"); the file name means nothing to a reader.
    const QString title = m_browser->documentTitle().simplified();
    setWindowTitle(title.isEmpty() ? tr("Morvakelin Help") : title);
    m_browser->setAccessibleName(tr("Help text"));
}

void HelpViewer::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) {
        Retranslate();
    }
    QDialog::changeEvent(event);
}

bool HelpViewer::Open(const std::string& path, int context) {
    // Read by its bytes: the program folder's name need not be UTF-8.
    struct stat st;
    std::ifstream file(path, std::ios::binary);
    if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || !file) {
        return false;
    }
    std::ostringstream text;
    text << file.rdbuf();
    if (file.bad()) {
        return false;
    }
    const QByteArray bytes = QByteArray::fromStdString(text.str());
    // The page's own charset declaration decides; UTF-8 when it has none.
    QStringDecoder decoder = QStringDecoder::decoderForHtml(bytes);
    const QString html = decoder.isValid() ? decoder.decode(bytes) : QString::fromUtf8(bytes);

    m_browser->document()->setBaseUrl(UrlFromBytes(path));
    m_browser->setHtml(html);
    Retranslate();
    show();
    raise();
    activateWindow();
    m_browser->scrollToAnchor(AnchorFor(context));
    return true;
}

bool HelpViewer::Show(const std::string& path, int context, QWidget* parent) {
    QPointer<HelpViewer>& viewer = TheViewer();
    if (!viewer) {
        viewer = new HelpViewer(parent);
        viewer->setAttribute(Qt::WA_DeleteOnClose, false);
    }
    return viewer->Open(path, context);
}

HelpViewer* HelpViewer::Instance() {
    return TheViewer();
}

}  // namespace mk
