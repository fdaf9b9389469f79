#include "qt/qt_text.h"

#include <dirent.h>

#include <QFile>
#include <QStringDecoder>
#include <memory>
#include <vector>

namespace mk {

namespace {

constexpr char32_t kEscapeBase = 0xF700;  // U+F780..U+F7FF stand for the bytes 0x80..0xFF

bool IsEscape(char32_t c) {
    return c >= kEscapeBase + 0x80 && c <= kEscapeBase + 0xFF;
}

// Length of the valid UTF-8 sequence at the start of `s` and its code point; 0 when the first
// byte starts none (stray continuation, overlong form, surrogate, beyond U+10FFFF, cut short).
std::size_t DecodeOne(std::string_view s, char32_t& cp) {
    const auto b = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
    const unsigned char lead = b(0);
    if (lead < 0x80) {
        cp = lead;
        return 1;
    }
    std::size_t n = 0;
    char32_t min = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        n = 2, cp = lead & 0x1F, min = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        n = 3, cp = lead & 0x0F, min = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        n = 4, cp = lead & 0x07, min = 0x10000;
    } else {
        return 0;
    }
    if (s.size() < n) {
        return 0;
    }
    for (std::size_t i = 1; i < n; ++i) {
        if ((b(i) & 0xC0) != 0x80) {
            return 0;
        }
        cp = (cp << 6) | (b(i) & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        return 0;
    }
    return n;
}

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// The names in a folder, as bytes.
std::vector<std::string> NamesIn(const std::string& folder) {
    std::vector<std::string> names;
    const std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(folder.empty() ? "." : folder.c_str()),
                                                  closedir);
    if (dir) {
        while (const dirent* entry = readdir(dir.get())) {
            names.emplace_back(entry->d_name);
        }
    }
    return names;
}

std::string NativePart(const std::string& folder, const QString& part) {
    if (!part.contains(QChar::ReplacementCharacter)) {
        return part.toStdString();
    }
    std::string found;
    int matches = 0;
    for (const std::string& name : NamesIn(folder)) {
        if (QFile::decodeName(QByteArray::fromStdString(name)) == part) {
            found = name;
            ++matches;
        }
    }
    return matches == 1 ? found : part.toStdString();
}

}  // namespace

QString ToQ(std::string_view bytes) {
    QString text;
    text.reserve(static_cast<qsizetype>(bytes.size()));
    while (!bytes.empty()) {
        char32_t cp = 0;
        std::size_t n = DecodeOne(bytes, cp);
        if (n == 0 || IsEscape(cp)) {
            n = 1;
            cp = kEscapeBase + static_cast<unsigned char>(bytes[0]);
        }
        // Appended as UTF-16 units: a conversion would drop U+FEFF as a byte order mark.
        if (QChar::requiresSurrogates(cp)) {
            text += QChar(QChar::highSurrogate(cp));
            text += QChar(QChar::lowSurrogate(cp));
        } else {
            text += QChar(static_cast<char16_t>(cp));
        }
        bytes.remove_prefix(n);
    }
    return text;
}

std::string FromQ(const QString& text) {
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(text.size()));
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t cp = text[i].unicode();
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            cp = QChar::surrogateToUcs4(text[i], text[i + 1]);
            ++i;
        }
        if (IsEscape(cp)) {
            bytes += static_cast<char>(cp - kEscapeBase);
        } else {
            AppendUtf8(bytes, cp);
        }
    }
    return bytes;
}

QString DecodeForeignText(std::string_view bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QByteArrayView view(bytes.data(), static_cast<qsizetype>(bytes.size()));
    QString text = utf8(view);
    if (!utf8.hasError()) {
        return text;
    }
    return QString::fromLatin1(view);
}

std::string NativePath(const QString& qtPath) {
    const QStringList parts = qtPath.split(QLatin1Char('/'));
    std::string path;
    for (qsizetype i = 0; i < parts.size(); ++i) {
        if (i > 0) {
            path += '/';
        }
        path += NativePart(path, parts[i]);
    }
    return path;
}

std::string LocalFileBytes(const QUrl& url) {
    return QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1()).toStdString();
}

QUrl UrlFromBytes(const std::string& path) {
    const QByteArray encoded =
        QByteArray::fromStdString(path).toPercentEncoding(QByteArrayLiteral("/"));
    return QUrl(QStringLiteral("file://") + QString::fromLatin1(encoded), QUrl::StrictMode);
}

}  // namespace mk
