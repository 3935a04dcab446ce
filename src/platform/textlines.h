#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringDecoder>

#include <algorithm>
#include <vector>

namespace sorvant::textlines {

// Helpers for the line-keeping file editors: a file is a list of physical
// lines, each with its own line end ("\n", "\r\n", a lone "\r" as old Mac
// editors write, or none for a last line without one), so that untouched
// lines are written back byte for byte.

// One line of a file's bytes: [start, contentEnd) is its text, [contentEnd,
// end) its line end.
struct Line {
    qsizetype start = 0, contentEnd = 0, end = 0;
};

inline Line lineAt(QByteArrayView bytes, qsizetype start)
{
    const char *data = bytes.data();
    const qsizetype size = bytes.size();
    qsizetype i = start;
    while (i < size && data[i] != '\n' && data[i] != '\r')
        ++i;
    Line line{start, i, i};
    if (i < size)
        line.end = (data[i] == '\r' && i + 1 < size && data[i + 1] == '\n') ? i + 2 : i + 1;
    return line;
}

inline QByteArrayView contentOf(QByteArrayView bytes, const Line &line)
{
    return bytes.sliced(line.start, line.contentEnd - line.start);
}

inline QByteArray lineEndOf(QByteArrayView bytes, const Line &line)
{
    return bytes.sliced(line.contentEnd, line.end - line.contentEnd).toByteArray();
}

// Without ASCII blanks at either end, as QByteArray::trimmed().
inline QByteArrayView trimmed(QByteArrayView text)
{
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; };
    qsizetype from = 0, to = text.size();
    while (from < to && blank(text[from]))
        ++from;
    while (to > from && blank(text[to - 1]))
        --to;
    return text.sliced(from, to - from);
}

inline std::vector<QByteArray> split(const QByteArray &bytes)
{
    std::vector<QByteArray> lines;
    for (qsizetype start = 0; start < bytes.size();) {
        const Line line = lineAt(bytes, start);
        lines.push_back(bytes.mid(start, line.end - start));
        start = line.end;
    }
    return lines;
}

// A line without its line end.
inline QByteArray content(const QByteArray &line)
{
    return contentOf(line, lineAt(line, 0)).toByteArray();
}

inline QByteArray lineEndOf(const QByteArray &line)
{
    return lineEndOf(line, lineAt(line, 0));
}

// The line end new lines get: the file's own, "\n" for a new file.
inline QByteArray preferredLineEnd(const std::vector<QByteArray> &lines)
{
    const QByteArray end = lines.empty() ? QByteArray() : lineEndOf(lines.front());
    return end.isEmpty() ? QByteArrayLiteral("\n") : end;
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

// The first `maxChars` characters of decode(bytes), without decoding the
// rest: a value of many megabytes costs only its check.
inline QString decodePrefix(QByteArrayView bytes, qsizetype maxChars)
{
    if (!bytes.isValidUtf8())
        return QString::fromLatin1(bytes.first(std::min(bytes.size(), maxChars)));
    // No character takes more than four bytes, or two UTF-16 units; cut
    // before a continuation byte so the prefix is whole characters.
    qsizetype cut = std::min(bytes.size(), maxChars * 4);
    while (cut < bytes.size() && cut > 0 && (static_cast<unsigned char>(bytes[cut]) & 0xC0) == 0x80)
        --cut;
    return QString::fromUtf8(bytes.first(cut)).left(maxChars);
}

} // namespace sorvant::textlines
