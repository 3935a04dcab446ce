#include "startoptions.h"

#include "platform/fileuris.h"

#include <QDir>
#include <QRegularExpression>

namespace sorvant {

namespace {

const QString kOpenOption = QStringLiteral("--open");

QString absoluteFile(const QString &file, const QString &currentFolder)
{
    if (file.isEmpty())
        return {};
    if (file.startsWith(QLatin1String("file:"), Qt::CaseInsensitive)) {
        // Escaped bytes of the name go back to bytes before the URI is read.
        return localFileFromUri(encodeFileName(file));
    }
    // Another program's URI ("http://..."): nothing Sorvant can read.
    static const QRegularExpression otherUri(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]*://"));
    if (otherUri.match(file).hasMatch())
        return {};
    if (QDir::isAbsolutePath(file))
        return QDir::cleanPath(file);
    return QDir::cleanPath(currentFolder + QLatin1Char('/') + file);
}

} // namespace

StartOptions parseStartArguments(const QStringList &arguments, const QString &currentFolder)
{
    StartOptions options;
    if (arguments.isEmpty())
        return options;
    const QString &first = arguments.first();
    QString file;
    QStringList unused;
    if (first == kOpenOption) {
        file = arguments.value(1);
        unused = arguments.mid(2);
    } else if (first.startsWith(kOpenOption + QLatin1Char('='))) {
        file = first.mid(kOpenOption.size() + 1);
        unused = arguments.mid(1);
    } else {
        options.plainArguments = arguments;
        return options;
    }
    options.fileToOpen = absoluteFile(file, currentFolder);
    if (!file.isEmpty() && options.fileToOpen.isEmpty())
        options.warning = QStringLiteral("sorvant: not a local file: ") + file;
    if (!unused.isEmpty()) {
        if (!options.warning.isEmpty())
            options.warning += QLatin1Char('\n');
        options.warning += QStringLiteral("sorvant: --open takes one file; not opened: ")
                           + unused.join(QLatin1Char(' '));
    }
    return options;
}

} // namespace sorvant
