#pragma once

// Finding a file whose name is not UTF-8 by the name a user types for it.
//
// A log copied from a USB stick written on Windows is often named in
// Latin-1: "caf\xe9.dat". Qt's file dialog can neither list nor open it,
// and what the user types, "café.dat", is another name on disk. Such a name
// is found here by reading the folder's names as bytes: a name matches when
// its bytes that are not UTF-8, read as Latin-1 (what the Windows machine
// meant), as U+FFFD or as '?' (what listings show for them), give the typed
// text.

#include "filenames.h"

#include <QString>

#include <dirent.h>

namespace sorvant {

namespace shownnames_detail {

// `name` with each escaped byte replaced by `asByte(byte)`.
template <typename F>
QString shownAs(const QString &name, F asByte)
{
    QString shown;
    shown.reserve(name.size());
    for (qsizetype i = 0; i < name.size(); ++i) {
        if (filenames_detail::isEscapeAt(name, i))
            shown += asByte(static_cast<unsigned char>(name.at(i).unicode() - 0xDC00));
        else
            shown += name.at(i);
    }
    return shown;
}

} // namespace shownnames_detail

// True when `onDisk` (a decoded name with escaped bytes) is shown as `typed`.
inline bool showsAs(const QString &onDisk, const QString &typed)
{
    using namespace shownnames_detail;
    if (!hasEscapedBytes(onDisk))
        return false;
    return shownAs(onDisk, [](unsigned char b) { return QChar(char16_t(b)); }) == typed
        || shownAs(onDisk, [](unsigned char) { return QChar(QChar::ReplacementCharacter); }) == typed
        || shownAs(onDisk, [](unsigned char) { return QLatin1Char('?'); }) == typed;
}

// The path of the one file in `folder` whose name is not UTF-8 and shows as
// `typedName`; empty when there is none, or more than one (a guess could
// open the wrong log).
inline QString findFileByShownName(const QString &folder, const QString &typedName)
{
    if (typedName.isEmpty() || typedName.contains(QLatin1Char('/')))
        return {};
    DIR *dir = ::opendir(encodeFileName(folder.isEmpty() ? QStringLiteral(".") : folder).constData());
    if (!dir)
        return {};
    QString found;
    int matches = 0;
    while (const dirent *entry = ::readdir(dir)) {
        const QString name = decodeFileName(QByteArray(entry->d_name));
        if (showsAs(name, typedName)) {
            found = name;
            ++matches;
        }
    }
    ::closedir(dir);
    if (matches != 1)
        return {};
    QString path = folder;
    if (!path.isEmpty() && !path.endsWith(QLatin1Char('/')))
        path += QLatin1Char('/');
    return path + found;
}

} // namespace sorvant
