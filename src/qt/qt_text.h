// Texts cross between the form's byte strings and Qt. File names here are bytes, mostly but not
// always UTF-8; the mapping keeps every byte: a name read into a control and back is the same name.
#pragma once

#include <QString>
#include <QUrl>
#include <string>
#include <string_view>

namespace mk {

// Valid UTF-8 becomes its characters. A byte that is not part of valid UTF-8 becomes the private-
// use character U+F700 + byte (U+F780 to U+F7FF); so does each byte of a valid sequence for one
// of those characters, which keeps the mapping one to one.
QString ToQ(std::string_view bytes);
// The reverse: U+F780 to U+F7FF give back their byte, every other character its UTF-8.
std::string FromQ(const QString& text);

// Text written by other programs (ffmpeg's report) need not be UTF-8: such bytes are read as
// Latin-1 so that none of them vanishes.
QString DecodeForeignText(std::string_view bytes);

// The bytes of a path that Qt itself decoded (a file dialog's choice), where Qt turned bytes that
// are not UTF-8 into U+FFFD: each such part of the path is looked up among the names in its
// folder. A part that matches no name, or several, stays as Qt gave it.
std::string NativePath(const QString& qtPath);

// The bytes of a local file URL, percent-encoded bytes that are not UTF-8 included.
std::string LocalFileBytes(const QUrl& url);

// A local file URL for a path of any bytes.
QUrl UrlFromBytes(const std::string& path);

}  // namespace mk
