#include "platform/singleinstance.h"
#include "shell/settingsstore.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <csignal>
#include <memory>

#include <sys/types.h>

namespace sorvant {
namespace {

constexpr int kWaitMs = 20000;

// `count` records of a drying run: 16 bytes each.
QByteArray logBytes(int count)
{
    QByteArray b;
    for (int i = 0; i < count; ++i) {
        for (int v : {90, 621, 215, 665, 150, 35}) {
            b.append(static_cast<char>((v >> 8) & 0xFF));
            b.append(static_cast<char>(v & 0xFF));
        }
        b.append(static_cast<char>(i % 7));
        b.append(static_cast<char>(14));
        b.append(static_cast<char>(i % 60));
        b.append('\0');
    }
    return b;
}

class DesktopProcessTest : public ::testing::Test
{
protected:
    QTemporaryDir temp;
    QString settings = SettingsStore(QString()).filePath();
    QString socket = SingleInstance(SingleInstance::defaultServerName()).socketPath();

    void SetUp() override
    {
        ASSERT_FALSE(SingleInstance::defaultServerName().isEmpty());
        QFile::remove(settings);
        ASSERT_FALSE(QFileInfo::exists(socket)) << "a Sorvant of another test still runs";
    }

    QString writeLog(const QString &name, int records)
    {
        const QString path = temp.filePath(name);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(logBytes(records));
        return path;
    }

    // Starts sorvant and waits until it listens as the running instance.
    std::unique_ptr<QProcess> startPrimary(const QStringList &args)
    {
        auto p = std::make_unique<QProcess>();
        p->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        p->start(QStringLiteral(SORVANT_APP), args);
        EXPECT_TRUE(p->waitForStarted(kWaitMs));
        QDeadlineTimer deadline(kWaitMs);
        while (!QFileInfo::exists(socket) && !deadline.hasExpired() && p->state() == QProcess::Running)
            QThread::msleep(20);
        EXPECT_TRUE(QFileInfo::exists(socket)) << "sorvant did not start listening";
        return p;
    }

    // Sends the signal and waits for a clean end.
    static void endWith(QProcess &p, int signalNumber)
    {
        ASSERT_EQ(p.state(), QProcess::Running);
        ::kill(static_cast<pid_t>(p.processId()), signalNumber);
        ASSERT_TRUE(p.waitForFinished(kWaitMs)) << "still running after the signal";
        EXPECT_EQ(p.exitStatus(), QProcess::NormalExit) << "killed by the signal";
        EXPECT_EQ(p.exitCode(), 0);
    }

    StoredSettings readSettings() const
    {
        StoredSettings s;
        SettingsStore(settings).read(s, false);
        return s;
    }
};

TEST_F(DesktopProcessTest, OpenLoadsTheLogAndTermOrHupSavesTheRun)
{
    for (int signalNumber : {SIGTERM, SIGHUP}) {
        SCOPED_TRACE(signalNumber);
        QFile::remove(settings);
        const QString log = writeLog(QStringLiteral("dryer %1.dat").arg(signalNumber), 250);
        auto sorvant = startPrimary({QStringLiteral("--open"), log});
        endWith(*sorvant, signalNumber);
        const StoredSettings s = readSettings();
        EXPECT_EQ(s.recentFiles.value(0), log);
        EXPECT_EQ(s.lastFolder, temp.path() + QLatin1Char('/'));
        EXPECT_EQ(s.sampleInterval, 25);
    }
}

TEST_F(DesktopProcessTest, ALaterStartWithOpenHandsTheFileToTheRunningOne)
{
    const QString log = writeLog(QStringLiteral("handed over.dat"), 100);
    auto running = startPrimary({});
    // A relative name is taken from the later start's own folder.
    QProcess later;
    later.setWorkingDirectory(temp.path());
    later.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    later.start(QStringLiteral(SORVANT_APP), {QStringLiteral("--open"), QStringLiteral("handed over.dat")});
    ASSERT_TRUE(later.waitForFinished(kWaitMs));
    EXPECT_EQ(later.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(later.exitCode(), 0);
    // The running one reads the request on its event loop; give it that turn
    // before the TERM, which it would otherwise take first.
    QThread::msleep(1000);
    endWith(*running, SIGTERM);
    const StoredSettings s = readSettings();
    EXPECT_EQ(s.recentFiles.value(0), log);
    EXPECT_EQ(s.recentFiles.value(1), QString());
}

TEST_F(DesktopProcessTest, APlainLaterStartStillOpensNothing)
{
    const QString log = writeLog(QStringLiteral("not opened.dat"), 100);
    auto running = startPrimary({});
    QProcess later;
    later.start(QStringLiteral(SORVANT_APP), {log});
    ASSERT_TRUE(later.waitForFinished(kWaitMs));
    EXPECT_EQ(later.exitCode(), 0);
    QThread::msleep(500);
    endWith(*running, SIGTERM);
    const StoredSettings s = readSettings();
    EXPECT_EQ(s.recentFiles.value(0), QString());
    EXPECT_EQ(s.lastFolder, QString());
}

} // namespace
} // namespace sorvant
