// File names are bytes: every byte string must come back from a form's text unchanged, and UTF-8
// must read as its characters.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <QDir>
#include <QTemporaryDir>
#include <fstream>
#include <string>

#include "qt/qt_text.h"

namespace mk {
namespace {

std::string Bytes(std::initializer_list<int> values) {
    std::string s;
    for (int v : values) {
        s += static_cast<char>(v);
    }
    return s;
}

TEST(QtText, EveryByteStringComesBackUnchanged) {
    // Every string of up to two bytes, and every three-byte string that starts a three- or
    // four-byte sequence: stray, cut short, overlong, surrogate and private-use forms all included.
    std::string s;
    for (int a = 0; a < 256; ++a) {
        s.assign(1, static_cast<char>(a));
        ASSERT_EQ(FromQ(ToQ(s)), s) << a;
        for (int b = 0; b < 256; ++b) {
            s = Bytes({a, b});
            ASSERT_EQ(FromQ(ToQ(s)), s) << a << ' ' << b;
            for (int c = 0x80; a >= 0xE0 && c < 0xC0; ++c) {
                s = Bytes({a, b, c});
                ASSERT_EQ(FromQ(ToQ(s)), s) << a << ' ' << b << ' ' << c;
            }
        }
    }
    const std::string cases[] = {
        "caf\xe9 \xff\xfe\x80.avi",   // Latin-1
        "\xf4\x90\x80\x80",           // beyond U+10FFFF
        "\xed\xa0\x80\xed\xb0\x80",   // a surrogate pair written as two sequences
        "\xef\x9e\x80\xe9",           // U+F780 itself, then a stray byte it stands for
        std::string("a\0b", 3),       // a zero byte
        "\xf0\x9f\x8e\xac \xc3\xa9",  // valid four- and two-byte sequences
    };
    for (const std::string& c : cases) {
        EXPECT_EQ(FromQ(ToQ(c)), c);
    }
}

TEST(QtText, Utf8ReadsAsItsCharacters) {
    const std::string text =
        "Stra\xc3\x9f"
        "e \xf0\x9f\x8e\xac \xe2\x80\x93 $x";
    EXPECT_EQ(ToQ(text), QString::fromUtf8(text.c_str()));
    EXPECT_EQ(FromQ(QString::fromUtf8(text.c_str())), text);
}

// A file dialog gives the names Qt decoded; the bytes are found again in the folder, and a URL
// carries them both ways.
TEST(QtText, PathsThatQtDecodedGetTheirBytesBack) {
    QTemporaryDir dir;
    const std::string folder = QFile::encodeName(dir.path()).toStdString() + "/caf\xe9";
    ASSERT_TRUE(QDir().mkpath(dir.path()));
    ASSERT_EQ(mkdir(folder.c_str(), 0700), 0);
    const std::string file = folder + "/\xff movie.avi";
    std::ofstream(file) << "x";
    const QString shown = QFile::decodeName(QByteArray::fromStdString(file));
    ASSERT_TRUE(shown.contains(QChar::ReplacementCharacter));
    EXPECT_EQ(NativePath(shown), file);
    EXPECT_EQ(LocalFileBytes(UrlFromBytes(file)), file);
    // A name Qt can show is taken as it is, whether it exists or not.
    EXPECT_EQ(NativePath(QStringLiteral("/no/such/f\u00e9.mpg")), "/no/such/f\xc3\xa9.mpg");
}

}  // namespace
}  // namespace mk
