#pragma once

// File names as bytes and as text, without loss.
//
// A Linux file name is any bytes; one copied from a USB stick written on
// Windows is often Latin-1 ("caf\xe9.dat"). Qt's own QFile::decodeName turns
// such a byte into U+FFFD and QFile::encodeName cannot get it back, so the
// file could not be opened or written. Here every byte that is not part of
// valid UTF-8 becomes the lone code unit U+DC80..U+DCFF and goes back to the
// same byte on encoding. Valid UTF-8 decodes as Qt decodes it (except that a
// leading byte-order mark is kept), and a name without such code units
// encodes exactly as QFile::encodeName does.
//
// Qt Core only, header-only, so that src/logdata can use it too. Every path
// that may have come from outside (the command line, the settings file) must
// reach the system through encodeFileName(), not through QFile or QFileInfo,
// which would encode an escaped byte as U+FFFD.

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringDecoder>
#include <QStringList>

#include <cerrno>
#include <cstddef>

#include <unistd.h>

namespace sorvant {

namespace filenames_detail {

constexpr char16_t kEscapeFirst = 0xDC80;
constexpr char16_t kEscapeLast = 0xDCFF;

// The length of the well-formed UTF-8 sequence at `p` (1 to 4), or 0 when
// the bytes there are not one: a stray continuation byte, an overlong form,
// an encoded surrogate, a code point beyond U+10FFFF, or a cut-off sequence.
inline int utf8SequenceLength(const unsigned char *p, qsizetype left)
{
    const unsigned char b = p[0];
    if (b < 0x80)
        return 1;
    const auto cont = [&](qsizetype k) { return k < left && (p[k] & 0xC0) == 0x80; };
    if (b >= 0xC2 && b <= 0xDF)
        return cont(1) ? 2 : 0;
    if (b >= 0xE0 && b <= 0xEF) {
        if (left < 2)
            return 0;
        const unsigned char lo = b == 0xE0 ? 0xA0 : 0x80;
        const unsigned char hi = b == 0xED ? 0x9F : 0xBF;
        return p[1] >= lo && p[1] <= hi && cont(2) ? 3 : 0;
    }
    if (b >= 0xF0 && b <= 0xF4) {
        if (left < 2)
            return 0;
        const unsigned char lo = b == 0xF0 ? 0x90 : 0x80;
        const unsigned char hi = b == 0xF4 ? 0x8F : 0xBF;
        return p[1] >= lo && p[1] <= hi && cont(2) && cont(3) ? 4 : 0;
    }
    return 0;
}

// An escape is a low surrogate of the escape range that does not complete a
// surrogate pair: a pair is a character and encodes as one.
inline bool isEscapeAt(const QString &name, qsizetype i)
{
    const char16_t u = name.at(i).unicode();
    return u >= kEscapeFirst && u <= kEscapeLast && !(i > 0 && name.at(i - 1).isHighSurrogate());
}

} // namespace filenames_detail

inline QString decodeFileName(const QByteArray &bytes)
{
    using namespace filenames_detail;
    // QString::fromUtf8 drops a leading byte-order mark, which in a name is
    // part of the name.
    const auto utf8 = [&bytes](qsizetype from, qsizetype size) {
        QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
        return QString(decoder(QByteArrayView(bytes.constData() + from, size)));
    };
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.constData());
    const qsizetype n = bytes.size();
    QString name;
    name.reserve(n);
    qsizetype runStart = 0; // the valid UTF-8 not yet added
    qsizetype i = 0;
    while (i < n) {
        const int len = utf8SequenceLength(p + i, n - i);
        if (len > 0) {
            i += len;
            continue;
        }
        name += utf8(runStart, i - runStart);
        name += QChar(static_cast<char16_t>(0xDC00 + p[i]));
        runStart = ++i;
    }
    name += utf8(runStart, n - runStart);
    return name;
}

inline QByteArray encodeFileName(const QString &name)
{
    using namespace filenames_detail;
    QByteArray bytes;
    qsizetype runStart = 0; // the text not yet added
    for (qsizetype i = 0; i < name.size(); ++i) {
        if (!isEscapeAt(name, i))
            continue;
        bytes += QFile::encodeName(name.mid(runStart, i - runStart));
        bytes += static_cast<char>(name.at(i).unicode() - 0xDC00);
        runStart = i + 1;
    }
    if (runStart == 0)
        return QFile::encodeName(name);
    bytes += QFile::encodeName(name.mid(runStart));
    return bytes;
}

// True when `name` holds a byte that Qt's file classes cannot reach.
inline bool hasEscapedBytes(const QString &name)
{
    for (qsizetype i = 0; i < name.size(); ++i) {
        if (filenames_detail::isEscapeAt(name, i))
            return true;
    }
    return false;
}

// QDir::setCurrent for every name.
inline bool setCurrentFolder(const QString &folder)
{
    return ::chdir(encodeFileName(folder).constData()) == 0;
}

// QDir::currentPath for every name; empty when the folder is gone.
inline QString currentFolder()
{
    QByteArray buffer(4096, '\0');
    while (!::getcwd(buffer.data(), static_cast<std::size_t>(buffer.size()))) {
        if (errno != ERANGE)
            return QString();
        buffer.resize(buffer.size() * 2);
    }
    return decodeFileName(QByteArray(buffer.constData()));
}

// The program's arguments, without its name, decoded as file names.
inline QStringList decodeArguments(int argc, char **argv)
{
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << decodeFileName(QByteArray(argv[i]));
    return args;
}

} // namespace sorvant
