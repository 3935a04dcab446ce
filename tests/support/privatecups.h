#pragma once

// A print system of the test's own: a cupsd with its configuration, spool,
// logs and socket in a temporary folder, reached through CUPS_SERVER, with
// queues whose device is a file. The machine's own CUPS is never touched.
// Queues take PDF as it comes (the filter gziptoany copies it), so what the
// program sent can be read back with poppler.

#include "output/printing/printqueue.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QThread>

#include <unistd.h>

namespace sorvant::testing {

class PrivateCups
{
public:
    PrivateCups() = default;
    PrivateCups(const PrivateCups &) = delete;
    PrivateCups &operator=(const PrivateCups &) = delete;
    ~PrivateCups()
    {
        stop();
        if (m_serverSet) {
            if (m_hadServer)
                qputenv("CUPS_SERVER", m_oldServer);
            else
                qunsetenv("CUPS_SERVER");
            reconnectPrintSystem();
        }
    }

    // Why the print system cannot run here; empty when it can.
    static QString missing()
    {
        for (const char *tool : {"cupsd", "lpadmin", "cupsreject", "cupsaccept"}) {
            const QString name = QString::fromLatin1(tool);
            if (QStandardPaths::findExecutable(name).isEmpty()
                && QStandardPaths::findExecutable(name, {QStringLiteral("/usr/sbin"), QStringLiteral("/sbin")})
                       .isEmpty())
                return QStringLiteral("%1 is not installed (scripts/install-deps.sh installs cups)").arg(name);
        }
        if (!QFileInfo::exists(QStringLiteral("/usr/lib/cups/filter/gziptoany")))
            return QStringLiteral("the CUPS filters are not installed (package cups)");
        return QString();
    }

    // Starts cupsd; false (and why()) when it does not come up.
    bool start()
    {
        if (!m_dir.isValid())
            return fail(QStringLiteral("no temporary folder"));
        // Filters run as the print system's own user: it must reach the spool.
        QFile::setPermissions(m_dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner
                                                | QFileDevice::ReadGroup | QFileDevice::ExeGroup
                                                | QFileDevice::ReadOther | QFileDevice::ExeOther);
        for (const char *sub : {"conf", "spool", "spool/tmp", "log", "cache", "state", "out"})
            QDir(m_dir.path()).mkpath(QString::fromLatin1(sub));
        write(QStringLiteral("conf/cupsd.conf"),
              QStringLiteral("LogLevel info\n"
                             "Listen %1\n"
                             "Browsing No\n"
                             "BrowseLocalProtocols none\n"
                             "DefaultAuthType None\n"
                             "WebInterface No\n"
                             "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
                             "<Policy default>\n  <Limit All>\n    Order deny,allow\n  </Limit>\n</Policy>\n")
                  .arg(socketPath()));
        QString files = QStringLiteral("FileDevice Yes\n"
                                       "ServerRoot %1/conf\n"
                                       "RequestRoot %1/spool\n"
                                       "TempDir %1/spool/tmp\n"
                                       "CacheDir %1/cache\n"
                                       "StateDir %1/state\n"
                                       "ErrorLog %1/log/error_log\n"
                                       "AccessLog %1/log/access_log\n"
                                       "PageLog %1/log/page_log\n"
                                       "ServerKeychain %1/conf/ssl\n")
                            .arg(m_dir.path());
        if (::getuid() != 0) {
            // Not root: the scheduler and its filters run as this user.
            const QString user = qEnvironmentVariable("USER", QStringLiteral("nobody"));
            files += QStringLiteral("User %1\n").arg(user);
        }
        write(QStringLiteral("conf/cups-files.conf"), files);
        write(QStringLiteral("conf/test.ppd"), ppd());

        m_hadServer = qEnvironmentVariableIsSet("CUPS_SERVER");
        m_oldServer = qgetenv("CUPS_SERVER");
        qputenv("CUPS_SERVER", socketPath().toUtf8());
        m_serverSet = true;
        reconnectPrintSystem();
        m_cupsd.setProcessChannelMode(QProcess::MergedChannels);
        m_cupsd.start(tool(QStringLiteral("cupsd")),
                      {QStringLiteral("-F"), QStringLiteral("-c"), m_dir.filePath(QStringLiteral("conf/cupsd.conf")),
                       QStringLiteral("-s"), m_dir.filePath(QStringLiteral("conf/cups-files.conf"))});
        if (!m_cupsd.waitForStarted(10000))
            return fail(QStringLiteral("cupsd did not start: ") + m_cupsd.errorString());
        QElapsedTimer waited;
        waited.start();
        while (!QFileInfo::exists(socketPath())) {
            if (m_cupsd.state() != QProcess::Running || waited.elapsed() > 15000)
                return fail(QStringLiteral("cupsd did not listen: ") + QString::fromLocal8Bit(m_cupsd.readAll())
                            + errorLog());
            QThread::msleep(50);
        }
        return true;
    }

    // Stops cupsd; the print system the process used before comes back
    // when the object goes.
    void stop()
    {
        if (m_cupsd.state() != QProcess::NotRunning) {
            m_cupsd.terminate();
            if (!m_cupsd.waitForFinished(10000)) {
                m_cupsd.kill();
                m_cupsd.waitForFinished(5000);
            }
        }
        reconnectPrintSystem();
    }

    // Adds a queue that writes what it prints to outputPath(name); its
    // paper is Letter unless chosen otherwise, A4 and A5 are offered too.
    bool addQueue(const QString &name, bool makeDefault = false)
    {
        QStringList args{QStringLiteral("-p"), name, QStringLiteral("-E"), QStringLiteral("-v"),
                         QStringLiteral("file://") + outputPath(name), QStringLiteral("-P"),
                         m_dir.filePath(QStringLiteral("conf/test.ppd"))};
        if (!admin(QStringLiteral("lpadmin"), args))
            return false;
        return !makeDefault || admin(QStringLiteral("lpadmin"), {QStringLiteral("-d"), name});
    }
    bool removeQueue(const QString &name) { return admin(QStringLiteral("lpadmin"), {QStringLiteral("-x"), name}); }
    bool reject(const QString &name, const QString &reason)
    {
        return admin(QStringLiteral("cupsreject"), {QStringLiteral("-r"), reason, name});
    }
    bool accept(const QString &name) { return admin(QStringLiteral("cupsaccept"), {name}); }

    QString outputPath(const QString &queue) const { return m_dir.filePath(QStringLiteral("out/%1.pdf").arg(queue)); }
    QString socketPath() const { return m_dir.filePath(QStringLiteral("cups.sock")); }

    // Waits until the queue's file holds a whole PDF; false after `ms`.
    bool waitForOutput(const QString &queue, int ms = 15000) const
    {
        QElapsedTimer waited;
        waited.start();
        while (waited.elapsed() < ms) {
            QFile f(outputPath(queue));
            if (f.open(QIODevice::ReadOnly) && f.size() > 0) {
                f.seek(std::max<qint64>(0, f.size() - 64));
                if (f.readAll().contains("%%EOF"))
                    return true;
            }
            QThread::msleep(50);
        }
        return false;
    }

    QString why() const { return m_why; }
    QString errorLog() const
    {
        QFile f(m_dir.filePath(QStringLiteral("log/error_log")));
        return f.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(f.readAll().right(4000)) : QString();
    }

private:
    static QString tool(const QString &name)
    {
        const QString found = QStandardPaths::findExecutable(name);
        return !found.isEmpty() ? found
                                : QStandardPaths::findExecutable(name, {QStringLiteral("/usr/sbin"), QStringLiteral("/sbin")});
    }

    bool admin(const QString &program, const QStringList &args)
    {
        QProcess p;
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.start(tool(program), args);
        if (!p.waitForFinished(20000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
            return fail(program + QStringLiteral(" failed: ") + QString::fromLocal8Bit(p.readAll()));
        return true;
    }

    bool fail(const QString &why)
    {
        m_why = why;
        return false;
    }

    void write(const QString &relative, const QString &text)
    {
        QFile f(m_dir.filePath(relative));
        if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            f.write(text.toUtf8());
    }

    static QString ppd()
    {
        return QStringLiteral(
            "*PPD-Adobe: \"4.3\"\n*FormatVersion: \"4.3\"\n*FileVersion: \"1.0\"\n*LanguageVersion: English\n"
            "*LanguageEncoding: ISOLatin1\n*PCFileName: \"SORVTEST.PPD\"\n*Manufacturer: \"Sorvant\"\n"
            "*Product: \"(Test Printer)\"\n*ModelName: \"Sorvant Test Printer\"\n"
            "*ShortNickName: \"Sorvant Test Printer\"\n*NickName: \"Sorvant Test Printer\"\n"
            "*PSVersion: \"(3010.000) 0\"\n*LanguageLevel: \"3\"\n*ColorDevice: False\n"
            "*DefaultColorSpace: Gray\n*FileSystem: False\n*Throughput: \"1\"\n*LandscapeOrientation: Plus90\n"
            "*TTRasterizer: Type42\n*cupsFilter: \"application/pdf 0 gziptoany\"\n"
            "*OpenUI *PageSize/Media Size: PickOne\n*OrderDependency: 10 AnySetup *PageSize\n"
            "*DefaultPageSize: Letter\n"
            "*PageSize Letter/US Letter: \"<</PageSize[612 792]>>setpagedevice\"\n"
            "*PageSize A4/A4: \"<</PageSize[595 842]>>setpagedevice\"\n"
            "*PageSize A5/A5: \"<</PageSize[420 595]>>setpagedevice\"\n*CloseUI: *PageSize\n"
            "*OpenUI *PageRegion: PickOne\n*OrderDependency: 10 AnySetup *PageRegion\n*DefaultPageRegion: Letter\n"
            "*PageRegion Letter/US Letter: \"<</PageSize[612 792]>>setpagedevice\"\n"
            "*PageRegion A4/A4: \"<</PageSize[595 842]>>setpagedevice\"\n"
            "*PageRegion A5/A5: \"<</PageSize[420 595]>>setpagedevice\"\n*CloseUI: *PageRegion\n"
            "*DefaultImageableArea: Letter\n*ImageableArea Letter/US Letter: \"18 18 594 774\"\n"
            "*ImageableArea A4/A4: \"18 18 577 824\"\n*ImageableArea A5/A5: \"18 18 402 577\"\n"
            "*DefaultPaperDimension: Letter\n*PaperDimension Letter/US Letter: \"612 792\"\n"
            "*PaperDimension A4/A4: \"595 842\"\n*PaperDimension A5/A5: \"420 595\"\n");
    }

    // In /tmp itself: the filters run as the print system's user, who cannot
    // enter a test's private temporary folder.
    QTemporaryDir m_dir{QStringLiteral("/tmp/sorvant-cups-XXXXXX")};
    QProcess m_cupsd;
    QString m_why;
    bool m_serverSet = false, m_hadServer = false;
    QByteArray m_oldServer;
};

} // namespace sorvant::testing
