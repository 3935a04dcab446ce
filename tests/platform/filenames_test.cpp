#include "platform/filenames.h"

#include <QFile>

#include <gtest/gtest.h>

#include "filetestutil.h"

using namespace sorvant;

namespace {

QString units(std::initializer_list<char16_t> codeUnits)
{
    QString s;
    for (char16_t u : codeUnits)
        s += QChar(u);
    return s;
}

} // namespace

TEST(FileNames, DecodeAndEncodeRoundTripEveryByte)
{
    struct Case {
        const char *what;
        QByteArray bytes;
        QString text;
        bool escaped = true;
    };
    const Case cases[] = {
        {"empty", QByteArray(), QString(), false},
        {"ASCII", QByteArray("/tmp/day1.dat"), QStringLiteral("/tmp/day1.dat"), false},
        {"valid UTF-8 of every length", QByteArray("caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x8c\xbd"),
         QStringLiteral("caf\u00e9 \u20ac ") + units({0xD83C, 0xDF3D}), false},
        {"an encoded U+FFFD stays U+FFFD", QByteArray("a\xef\xbf\xbd"), units({'a', 0xFFFD}), false},
        {"a byte-order mark is kept", QByteArray("\xef\xbb\xbfx"), units({0xFEFF, 'x'}), false},
        {"Latin-1", QByteArray("caf\xe9.dat"), units({'c', 'a', 'f', 0xDCE9, '.', 'd', 'a', 't'})},
        {"mixed", QByteArray("\xc3\xa9\xe9\xc3\xa9"), units({0xE9, 0xDCE9, 0xE9})},
        {"lone continuation bytes", QByteArray("\x80\xbf"), units({0xDC80, 0xDCBF})},
        {"cut-off sequences", QByteArray("\xe2\x82 \xf0\x9f\x8c"),
         units({0xDCE2, 0xDC82, ' ', 0xDCF0, 0xDC9F, 0xDC8C})},
        {"overlong forms", QByteArray("\xc0\xaf\xe0\x80\xaf\xf0\x80\x80\xaf"),
         units({0xDCC0, 0xDCAF, 0xDCE0, 0xDC80, 0xDCAF, 0xDCF0, 0xDC80, 0xDC80, 0xDCAF})},
        {"an encoded surrogate, even of the escape range", QByteArray("\xed\xb3\xa9"), units({0xDCED, 0xDCB3, 0xDCA9})},
        {"beyond U+10FFFF and bytes never in UTF-8", QByteArray("\xf4\x90\x80\x80\xff\xfe"),
         units({0xDCF4, 0xDC90, 0xDC80, 0xDC80, 0xDCFF, 0xDCFE})},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(decodeFileName(c.bytes), c.text);
        EXPECT_EQ(encodeFileName(c.text), c.bytes);
        EXPECT_EQ(hasEscapedBytes(c.text), c.escaped);
        // Bytes that Qt round-trips give what Qt makes of them.
        if (QFile::encodeName(QFile::decodeName(c.bytes)) == c.bytes) {
            EXPECT_FALSE(c.escaped);
            EXPECT_EQ(c.text, QFile::decodeName(c.bytes));
            EXPECT_EQ(c.bytes, QFile::encodeName(c.text));
        }
    }
}

TEST(FileNames, TextWithoutEscapesEncodesAsQtEncodesIt)
{
    // A pair whose low half lies in the escape range is one character, and
    // lone surrogates outside the range are no escapes: both as Qt has them.
    for (const QString &text : {units({0xD800, 0xDCE9}), units({0xD800, 'x'}), units({0xDC00}), units({'x', 0xDBFF})}) {
        EXPECT_FALSE(hasEscapedBytes(text));
        EXPECT_EQ(encodeFileName(text), QFile::encodeName(text));
    }
    EXPECT_EQ(encodeFileName(units({0xD800, 0xDCE9, 0xDCE9})), QFile::encodeName(units({0xD800, 0xDCE9})) + '\xe9');
}

TEST(FileNames, ArgumentsAreDecodedWithoutTheProgramName)
{
    char program[] = "prog", log[] = "caf\xe9.dat", option[] = "--csv";
    char *argv[] = {program, log, option, nullptr};
    EXPECT_EQ(decodeArguments(3, argv),
              QStringList({units({'c', 'a', 'f', 0xDCE9, '.', 'd', 'a', 't'}), QStringLiteral("--csv")}));
}
