#include "qt/qt_text.h"

#include <QStringDecoder>

namespace mk {

QString DecodeForeignText(std::string_view bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QByteArrayView view(bytes.data(), static_cast<qsizetype>(bytes.size()));
    QString text = utf8(view);
    if (!utf8.hasError()) {
        return text;
    }
    return QString::fromLatin1(view);
}

}  // namespace mk
