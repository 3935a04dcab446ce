#include "pathparts.h"

#include <QDir>

namespace sorvant {

QString commandLinePath(const QStringList &arguments)
{
    if (arguments.isEmpty() || arguments.first().isEmpty())
        return {};
    return arguments.join(QLatin1Char(' '));
}

QString folderPart(const QString &path)
{
    return path.left(path.lastIndexOf(QLatin1Char('/')) + 1);
}

QString commandLineFolder(const QString &path, const QString &currentFolder)
{
    if (QDir::isAbsolutePath(path))
        return folderPart(path);
    QString folder = QDir::cleanPath(folderPart(QDir(currentFolder).filePath(path)));
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder;
}

QString fileNamePart(const QString &path)
{
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

} // namespace sorvant
