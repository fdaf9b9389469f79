// Texts cross between the form's 8-bit fields and Qt as UTF-8, the encoding of file names here.
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace mk {

inline QString ToQ(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}
inline std::string FromQ(const QString& s) {
    return s.toStdString();
}

// Text written by other programs (ffmpeg's report) need not be UTF-8: such bytes are read as
// Latin-1 so that none of them vanishes.
QString DecodeForeignText(std::string_view bytes);

}  // namespace mk
