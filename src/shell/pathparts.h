#pragma once

#include <QString>
#include <QStringList>

namespace sorvant {

// The caption's fixed start; the file name of the log being shown follows it.
inline QString captionPrefix() { return QStringLiteral("Sorvant v1.2 - "); }
// The caption before any file has been chosen.
inline QString initialCaption() { return QStringLiteral("Sorvant v1.2"); }

// The program's arguments (without the program name) as one path: a shell or
// launcher splits a path with blanks into pieces, so they are joined again in
// order with one blank. Empty when there is no argument or the first is empty.
QString commandLinePath(const QStringList &arguments);

// Everything up to and including the last '/'; empty when there is none.
QString folderPart(const QString &path);

// The folder part of a command-line path, made absolute against
// `currentFolder` when the path is relative, so that the folder still holds
// when the program is next started elsewhere. Absolute paths keep their
// folder part as given.
QString commandLineFolder(const QString &path, const QString &currentFolder);

// Everything after the last '/'.
QString fileNamePart(const QString &path);

} // namespace sorvant
