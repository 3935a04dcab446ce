#pragma once

// Local files named by URIs, as drag and drop ("text/uri-list") and
// launchers hand them over, without losing a name that is not UTF-8.
//
// QUrl::toLocalFile decodes the percent-encoded bytes as UTF-8 and turns a
// Latin-1 byte into U+FFFD; here the bytes go through decodeFileName, so
// "file:///media/usb/caf%E9.dat" names the file that is really there.

#include "filenames.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace sorvant {

// The path of a "file:" URI with an empty host or "localhost"; empty for any
// other URI, a relative one or one naming a NUL byte.
inline QString localFileFromUri(QByteArray uri)
{
    uri = uri.trimmed();
    const QByteArray scheme = uri.left(5).toLower();
    if (scheme != "file:")
        return {};
    QByteArray rest = uri.mid(5);
    if (rest.startsWith("//")) {
        rest = rest.mid(2);
        const qsizetype slash = rest.indexOf('/');
        if (slash < 0)
            return {};
        const QByteArray host = rest.left(slash).toLower();
        if (!host.isEmpty() && host != "localhost")
            return {};
        rest = rest.mid(slash);
    }
    if (!rest.startsWith('/'))
        return {};
    // A fragment or query is no part of a file name.
    const qsizetype cut = rest.indexOf('#');
    if (cut >= 0)
        rest.truncate(cut);
    const QByteArray bytes = QByteArray::fromPercentEncoding(rest);
    if (bytes.contains('\0'))
        return {};
    return decodeFileName(bytes);
}

// The local files of a "text/uri-list" (RFC 2483: one URI a line, lines
// starting with '#' are comments), in their order.
inline QStringList localFilesFromUriList(const QByteArray &list)
{
    QStringList files;
    for (const QByteArray &line : list.split('\n')) {
        const QByteArray uri = line.trimmed();
        if (uri.isEmpty() || uri.startsWith('#'))
            continue;
        const QString path = localFileFromUri(uri);
        if (!path.isEmpty())
            files << path;
    }
    return files;
}

} // namespace sorvant
