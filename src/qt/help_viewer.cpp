#include "qt/help_viewer.h"

#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QStringDecoder>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace mk {

namespace {
QPointer<HelpViewer>& TheViewer() {
    static QPointer<HelpViewer> viewer;
    return viewer;
}
}  // namespace

HelpViewer::HelpViewer(QWidget* parent) : QDialog(parent) {
    setWindowTitle(tr("Morvakelin Help"));
    setSizeGripEnabled(true);
    setModal(false);
    resize(720, 600);
    m_browser = new QTextBrowser(this);
    m_browser->setOpenExternalLinks(true);
    m_browser->setAccessibleName(tr("Help text"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_browser);
}

bool HelpViewer::Open(const QString& path, int context) {
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly)) {
        return false;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        return false;
    }
    // The page's own charset declaration decides; UTF-8 when it has none.
    QStringDecoder decoder = QStringDecoder::decoderForHtml(bytes);
    const QString html = decoder.isValid() ? decoder.decode(bytes) : QString::fromUtf8(bytes);

    const QUrl url = QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath());
    m_browser->document()->setBaseUrl(url);
    m_browser->setHtml(html);
    setWindowTitle(tr("%1 - Morvakelin Help").arg(QFileInfo(path).fileName()));
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
    return viewer->Open(QString::fromStdString(path), context);
}

HelpViewer* HelpViewer::Instance() {
    return TheViewer();
}

}  // namespace mk
