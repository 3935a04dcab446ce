#pragma once

// A full 720,000-record log file from our own demo-log tool, made once per
// benchmark program in a temporary folder. Needs SORVANT_BINARY_DIR.

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

namespace sorvant::bench {

inline const QString &fullLogFile()
{
    static QTemporaryDir dir;
    static const QString path = [] {
        const QString p = dir.filePath(QStringLiteral("full.dat"));
        QProcess::execute(QStringLiteral(SORVANT_BINARY_DIR "/tools/make-sample-log"),
                          {p, QStringLiteral("--records"), QStringLiteral("720000")});
        return p;
    }();
    return path;
}

} // namespace sorvant::bench
