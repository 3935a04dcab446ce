#include "pathparts.h"

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

QString fileNamePart(const QString &path)
{
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

} // namespace sorvant
