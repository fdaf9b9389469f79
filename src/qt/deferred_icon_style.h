#pragma once

#include <QProxyStyle>

namespace mk {

// The application's style, as the desktop chose it, except that the arrows of the menu bar's
// and tool bars' extension buttons are read when first drawn. Every menu bar makes that button
// at once, hidden until the bar is too narrow, and Qt's reading of the arrow's image file loads
// every image format plugin there is to ask whether it reads PNG.
class DeferredIconStyle : public QProxyStyle {
public:
    QIcon standardIcon(StandardPixmap icon, const QStyleOption* option = nullptr,
                       const QWidget* widget = nullptr) const override;
};

}  // namespace mk
