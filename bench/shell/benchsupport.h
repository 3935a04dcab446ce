#pragma once

#include "platform/dialoghost.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <deque>

namespace sorvant::bench {

// Keeps the program away from the user's own settings and caches: every XDG
// folder and HOME point into one temporary folder. Call before QApplication.
inline QTemporaryDir &isolateHome(bool offscreen)
{
    static QTemporaryDir home(QDir::tempPath() + QStringLiteral("/sorvant-shell-bench.XXXXXX"));
    const QByteArray root = QFile::encodeName(home.path());
    for (const char *sub : {"config", "data", "cache", "runtime"})
        QDir().mkpath(home.path() + QLatin1Char('/') + QLatin1String(sub));
    QFile::setPermissions(home.path() + QStringLiteral("/runtime"), QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                                                       | QFileDevice::ExeOwner);
    qputenv("HOME", root);
    qputenv("XDG_CONFIG_HOME", root + "/config");
    qputenv("XDG_DATA_HOME", root + "/data");
    qputenv("XDG_CACHE_HOME", root + "/cache");
    qputenv("XDG_RUNTIME_DIR", root + "/runtime");
    if (offscreen)
        qputenv("QT_QPA_PLATFORM", "offscreen");
    return home;
}

// The resident memory of this process, in MB.
inline double residentMB()
{
    QFile f(QStringLiteral("/proc/self/statm"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = f.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toDouble() * 4096.0 / (1024.0 * 1024.0) : 0;
}

// A demo log of `records` records written by make-sample-log.
inline QString makeSampleLog(const QString &path, int records)
{
    QProcess p;
    p.start(QStringLiteral(MAKE_SAMPLE_LOG), {path, QStringLiteral("--records"), QString::number(records)});
    if (!p.waitForFinished(60000) || p.exitCode() != 0) {
        std::fprintf(stderr, "make-sample-log failed: %s\n", p.readAllStandardError().constData());
        std::exit(1);
    }
    return path;
}

// Answers every open dialog with one path and every message with OK.
class FixedAnswerDialogs : public DialogHost
{
public:
    QString path;
    int messages = 0;
    FileDialogAnswer openFile(QWidget *, const FileDialogRequest &) override { return {true, path, 1}; }
    FileDialogAnswer saveFile(QWidget *, const FileDialogRequest &) override { return {}; }
    bool print(QWidget *, QPrinter &) override { return false; }
    MessageAnswer messageBox(QWidget *, const QString &, const QString &, MessageButtons, MessageIcon) override
    {
        ++messages;
        return MessageAnswer::Ok;
    }
    bool chooseFont(QWidget *, QFont &) override { return false; }
    int execDialog(QDialog &) override { return 0; }
};

} // namespace sorvant::bench
