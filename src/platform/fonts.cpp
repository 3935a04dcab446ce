#include "fonts.h"

#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGuiApplication>

namespace sorvant {

void registerCompatibleFonts()
{
    // Once per process: adding the same file again would only add copies.
    static bool registered = false;
    if (registered || !qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        return;
    registered = true;
    registerCompatibleFonts(QStringLiteral("/usr/share/wine/fonts"));
}

QStringList registerCompatibleFonts(const QString &folder)
{
    static const char *const files[] = {"tahoma.ttf", "tahomabd.ttf", "ms_sans_serif.ttf"};
    QStringList families;
    const QDir dir(folder);
    for (const char *name : files) {
        const QString path = dir.filePath(QString::fromLatin1(name));
        if (!QFileInfo(path).isFile())
            continue;
        const int id = QFontDatabase::addApplicationFont(path);
        if (id < 0)
            continue; // not a font after all: the system's fallback stays
        for (const QString &family : QFontDatabase::applicationFontFamilies(id)) {
            if (!families.contains(family))
                families.append(family);
        }
    }
    return families;
}

} // namespace sorvant
