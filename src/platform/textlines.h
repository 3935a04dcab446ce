#pragma once

#include <QByteArray>
#include <QString>
#include <QStringDecoder>

#include <vector>

namespace sorvant::textlines {

// Helpers for the line-keeping file editors: a file is a list of physical
// lines, each with its own line end ("\n", "\r\n", or none for a last line
// without one), so that untouched lines are written back byte for byte.

inline std::vector<QByteArray> split(const QByteArray &bytes)
{
    std::vector<QByteArray> lines;
    qsizetype start = 0;
    while (start < bytes.size()) {
        qsizetype nl = bytes.indexOf('\n', start);
        if (nl < 0)
            nl = bytes.size() - 1;
        lines.push_back(bytes.mid(start, nl - start + 1));
        start = nl + 1;
    }
    return lines;
}

// A line without its line end.
inline QByteArray content(const QByteArray &line)
{
    qsizetype n = line.size();
    if (n > 0 && line[n - 1] == '\n')
        --n;
    if (n > 0 && line[n - 1] == '\r')
        --n;
    return line.left(n);
}

inline QByteArray lineEndOf(const QByteArray &line)
{
    if (line.endsWith("\r\n"))
        return QByteArrayLiteral("\r\n");
    if (line.endsWith('\n'))
        return QByteArrayLiteral("\n");
    return {};
}

// The line end new lines get: the file's own, "\n" for a new file.
inline QByteArray preferredLineEnd(const std::vector<QByteArray> &lines)
{
    if (!lines.empty() && lines.front().endsWith("\r\n"))
        return QByteArrayLiteral("\r\n");
    return QByteArrayLiteral("\n");
}

inline bool isBlank(const QByteArray &line) { return content(line).trimmed().isEmpty(); }

// Text as the files hold it: UTF-8. Bytes that are not UTF-8 come from a
// file written on Windows in its 8-bit code page; reading them as Latin-1
// keeps the letters instead of turning them into replacement characters.
inline QString decode(const QByteArray &bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(bytes);
    if (utf8.hasError())
        return QString::fromLatin1(bytes);
    return text;
}

} // namespace sorvant::textlines
