#include "app/app_icon.h"

#include <QIconEngine>
#include <QImageReader>
#include <QPainter>
#include <QPixmap>
#include <array>
#include <map>

namespace {

constexpr std::array kSides{16, 32, 48, 64, 128, 256};
constexpr int kLargestOffered = 64;

// Each size is decoded when it is first asked for, not when the icon is made: the form, whose
// icon is made before it shows, needs no image to get on the screen. The icon is only shown as
// the windows' and the About box's own, so every mode and state has the one image.
class AppIconEngine final : public QIconEngine {
public:
    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode,
               QIcon::State state) override {
        painter->drawPixmap(rect, pixmap(rect.size(), mode, state));
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode, QIcon::State) override {
        // The smallest image that covers the size, scaled down where none is that size.
        int side = kSides.back();
        for (int s : kSides) {
            if (s >= std::max(size.width(), size.height())) {
                side = s;
                break;
            }
        }
        QPixmap& image = m_images[side];
        if (image.isNull()) {
            // Read as PNG and nothing else: a reader left to detect the format would load every
            // image format plugin there is to ask whether it reads PNG too.
            QImageReader reader(
                QStringLiteral(":/icons/hicolor/%1x%1/apps/morvakelin.png").arg(side), "png");
            reader.setAutoDetectImageFormat(false);
            image = QPixmap::fromImage(reader.read());
        }
        if (image.isNull() || image.size() == size) {
            return image;
        }
        return image.scaled(size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    }

    // What the icon offers to whoever takes all of it: the window system is given every listed
    // size at the window's first show, each decoded then. Task bars and window lists draw 64
    // pixels at most; larger views take the installed theme icon that the desktop file names.
    // A larger size asked for by name is still drawn from its own image.
    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override {
        QList<QSize> sizes;
        for (int s : kSides) {
            if (s <= kLargestOffered) {
                sizes.append(QSize(s, s));
            }
        }
        return sizes;
    }

    QIconEngine* clone() const override { return new AppIconEngine(*this); }

private:
    std::map<int, QPixmap> m_images;
};

}  // namespace

QIcon AppIcon() {
    // One engine for all windows, so each size is decoded once; kept to the end, as a pixmap
    // must not outlive the application.
    static const QIcon* const icon = new QIcon(new AppIconEngine);
    return *icon;
}
