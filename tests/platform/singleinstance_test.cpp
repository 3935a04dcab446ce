#include "platform/singleinstance.h"

#include "filetestutil.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLocalServer>
#include <QSysInfo>
#include <QProcess>
#include <QSignalSpy>
#include <QUuid>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

using sorvant::SingleInstance;

namespace {

// A name no other test uses, so tests never meet each other's instances.
QString uniqueName()
{
    return QStringLiteral("sorvant-test-") + QUuid::createUuid().toString(QUuid::Id128).left(12);
}

struct HelperRun {
    int exitCode = -1;
    QStringList lines;
};

std::unique_ptr<QProcess> startHelper(const QStringList &args)
{
    auto p = std::make_unique<QProcess>();
    p->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p->start(QStringLiteral(SORVANT_SINGLEINSTANCE_HELPER), args);
    return p;
}

// Waits for the helper while this thread's event loop keeps serving our own
// instance's socket.
HelperRun finish(QProcess &p, int timeoutMs = 30000)
{
    HelperRun run;
    QElapsedTimer clock;
    clock.start();
    while (p.state() != QProcess::NotRunning && clock.elapsed() < timeoutMs) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        p.waitForFinished(20);
    }
    if (p.state() != QProcess::NotRunning) {
        p.kill();
        p.waitForFinished();
        return run;
    }
    run.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    run.lines = QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    return run;
}

} // namespace

TEST(SingleInstanceTest, SecondInstanceInProcessAsksTheFirst)
{
    const QString name = uniqueName();
    SingleInstance first(name);
    ASSERT_TRUE(first.tryBecomePrimary());
    EXPECT_TRUE(first.isPrimary());
    QSignalSpy spy(&first, &SingleInstance::activationRequested);

    SingleInstance second(name);
    EXPECT_FALSE(second.tryBecomePrimary());
    EXPECT_FALSE(second.isPrimary());
    ASSERT_TRUE(spy.wait(5000));
    EXPECT_EQ(spy.count(), 1);

    // Another user's name, or another program's, is a different instance.
    SingleInstance unrelated(uniqueName());
    EXPECT_TRUE(unrelated.tryBecomePrimary());
}

TEST(SingleInstanceTest, ClosedInstanceLeavesTheWayFree)
{
    const QString name = uniqueName();
    {
        SingleInstance first(name);
        ASSERT_TRUE(first.tryBecomePrimary());
    }
    SingleInstance next(name);
    EXPECT_TRUE(next.tryBecomePrimary());
}

TEST(SingleInstanceTest, SecondProcessExitsZeroAndTheFirstComesForward)
{
    const QString name = uniqueName();
    SingleInstance first(name);
    ASSERT_TRUE(first.tryBecomePrimary());
    QSignalSpy spy(&first, &SingleInstance::activationRequested);

    auto p = startHelper({name, QStringLiteral("wait"), QStringLiteral("1")});
    const HelperRun run = finish(*p);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.lines, QStringList{QStringLiteral("secondary")});
    if (spy.isEmpty())
        spy.wait(5000);
    EXPECT_EQ(spy.count(), 1);
}

TEST(SingleInstanceTest, StaleSocketAndStaleLockAfterACrash)
{
    const QString name = uniqueName();
    auto crashed = startHelper({name, QStringLiteral("crash")});
    HelperRun run = finish(*crashed);
    ASSERT_EQ(run.exitCode, 3);
    ASSERT_EQ(run.lines, QStringList{QStringLiteral("primary")});
    SingleInstance probe(name);
    const QString socketPath = QDir::cleanPath(QDir::tempPath()) + QLatin1Char('/') + name;
    ASSERT_TRUE(QFileInfo::exists(socketPath)) << "the crash should have left its socket";

    auto locked = startHelper({name, QStringLiteral("crash-locked")});
    run = finish(*locked);
    ASSERT_EQ(run.exitCode, 3);
    ASSERT_TRUE(QFileInfo::exists(probe.lockFilePath())) << "the crash should have left its lock";

    QElapsedTimer clock;
    clock.start();
    SingleInstance next(name);
    EXPECT_TRUE(next.tryBecomePrimary());
    EXPECT_LT(clock.elapsed(), 5000);

    // And it really listens: a later start is sent to it.
    QSignalSpy spy(&next, &SingleInstance::activationRequested);
    auto later = startHelper({name, QStringLiteral("wait"), QStringLiteral("1")});
    run = finish(*later);
    EXPECT_EQ(run.lines, QStringList{QStringLiteral("secondary")});
    if (spy.isEmpty())
        spy.wait(5000);
    EXPECT_EQ(spy.count(), 1);
}

TEST(SingleInstanceTest, SimultaneousStartsGiveExactlyOnePrimary)
{
    constexpr int starts = 5;
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        const QString name = uniqueName();
        const QString at = QString::number(QDateTime::currentMSecsSinceEpoch() + 700);
        std::vector<std::unique_ptr<QProcess>> processes;
        for (int i = 0; i < starts; ++i)
            processes.push_back(startHelper({name, QStringLiteral("wait"), QString::number(starts - 1), at}));
        int primaries = 0, secondaries = 0;
        for (auto &p : processes) {
            const HelperRun run = finish(*p);
            EXPECT_EQ(run.exitCode, 0) << run.lines.join(QLatin1Char(' ')).toStdString();
            if (run.lines.value(0) == QLatin1String("primary")) {
                ++primaries;
                // ... and it heard every other start.
                EXPECT_EQ(run.lines.count(QStringLiteral("activated")), starts - 1);
            } else if (run.lines.value(0) == QLatin1String("secondary")) {
                ++secondaries;
            }
        }
        EXPECT_EQ(primaries, 1);
        EXPECT_EQ(secondaries, starts - 1);
    }
}

TEST(SingleInstanceTest, DefaultNameIsPerUserInTheRuntimeFolder)
{
    const QString name = SingleInstance::defaultServerName();
    EXPECT_TRUE(name.endsWith(QStringLiteral("/Sorvant-") + QString::number(::getuid()))) << name.toStdString();
    EXPECT_TRUE(name.startsWith(qEnvironmentVariable("XDG_RUNTIME_DIR") + QLatin1Char('/'))) << name.toStdString();
    SingleInstance instance;
    ASSERT_TRUE(instance.tryBecomePrimary());
    EXPECT_TRUE(QFileInfo::exists(name));
}

namespace {

// Owner and mode of a path, not following a link.
struct Ownership {
    bool exists = false;
    uid_t owner = 0;
    mode_t mode = 0;
};
Ownership ownershipOf(const QString &path)
{
    struct stat st {};
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0)
        return {};
    return {true, st.st_uid, st.st_mode};
}

// Sets an environment variable for one scope.
class ScopedEnv
{
public:
    ScopedEnv(const char *name, const QByteArray &value) : m_name(name), m_old(qgetenv(name)), m_had(qEnvironmentVariableIsSet(name))
    {
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, value);
    }
    ~ScopedEnv() { m_had ? qputenv(m_name, m_old) : qunsetenv(m_name); }

private:
    const char *m_name;
    QByteArray m_old;
    bool m_had;
};

constexpr uid_t kNobody = 65534;

} // namespace

TEST(SingleInstanceTest, WithoutARuntimeFolderTheSocketGoesToAFolderOnlyTheUserCanWrite)
{
    const QString uid = QString::number(::geteuid());
    const QString tempFolder = QDir::tempPath() + QStringLiteral("/sorvant-") + uid;
    const auto expectPrivate = [](const QString &name) {
        const Ownership o = ownershipOf(QFileInfo(name).absolutePath());
        EXPECT_TRUE(o.exists && S_ISDIR(o.mode)) << name.toStdString();
        EXPECT_EQ(o.owner, ::geteuid());
        EXPECT_EQ(o.mode & 077, 0u) << std::oct << o.mode;
    };
    {
        // Unset, and set to a folder that others may write: neither is used.
        ScopedEnv unset("XDG_RUNTIME_DIR", QByteArray());
        const QString name = SingleInstance::defaultServerName();
        EXPECT_EQ(name, tempFolder + QStringLiteral("/Sorvant-") + uid);
        expectPrivate(name);
        SingleInstance instance(name);
        EXPECT_TRUE(instance.tryBecomePrimary());
        EXPECT_TRUE(instance.isPrimary());
    }
    const QString open = QDir::tempPath() + QStringLiteral("/open-runtime");
    ASSERT_TRUE(QDir().mkpath(open));
    ASSERT_EQ(::chmod(QFile::encodeName(open).constData(), 0777), 0);
    {
        ScopedEnv shared("XDG_RUNTIME_DIR", QFile::encodeName(open));
        EXPECT_EQ(SingleInstance::defaultServerName(), tempFolder + QStringLiteral("/Sorvant-") + uid);
    }
    // Someone made the temporary folder's name first: world-writable, or
    // (as root can arrange) owned by another user. Sorvant goes elsewhere.
    ASSERT_TRUE(QDir(tempFolder).removeRecursively());
    ASSERT_EQ(::mkdir(QFile::encodeName(tempFolder).constData(), 0700), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(tempFolder).constData(), 0777), 0);
    std::vector<const char *> hostile{"world-writable"};
    if (::geteuid() == 0)
        hostile.push_back("another user's");
    for (const char *what : hostile) {
        SCOPED_TRACE(what);
        if (QLatin1String(what) == QLatin1String("another user's")) {
            ASSERT_EQ(::chmod(QFile::encodeName(tempFolder).constData(), 0700), 0);
            ASSERT_EQ(::chown(QFile::encodeName(tempFolder).constData(), kNobody, kNobody), 0);
        }
        ScopedEnv unset("XDG_RUNTIME_DIR", QByteArray());
        const QString name = SingleInstance::defaultServerName();
        ASSERT_FALSE(name.isEmpty());
        EXPECT_FALSE(name.startsWith(tempFolder + QLatin1Char('/'))) << name.toStdString();
        expectPrivate(name);
    }
}

TEST(SingleInstanceTest, ASocketOrLockOwnedBySomeoneElseIsNotTrusted)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "giving a file to another user needs root; the folder checks run for everyone";
    const QString folder = QDir::tempPath() + QStringLiteral("/private");
    ASSERT_EQ(::mkdir(QFile::encodeName(folder).constData(), 0700), 0);
    const QString name = folder + QStringLiteral("/Sorvant-test");

    // Another user's server answers on the name, and holds a live lock.
    QLocalServer foreign;
    ASSERT_TRUE(foreign.listen(name));
    ASSERT_EQ(::chown(QFile::encodeName(name).constData(), kNobody, kNobody), 0);
    // The lock names this very process, which is alive, so it is never stale.
    const QString lockPath = SingleInstance(name).lockFilePath();
    QFile lockFile(lockPath);
    ASSERT_TRUE(lockFile.open(QIODevice::WriteOnly));
    lockFile.write(QByteArray::number(QCoreApplication::applicationPid()) + '\n'
                   + QCoreApplication::applicationName().toUtf8() + '\n' + QSysInfo::machineHostName().toUtf8() + '\n');
    lockFile.close();
    ASSERT_EQ(::chown(QFile::encodeName(lockPath).constData(), kNobody, kNobody), 0);

    QElapsedTimer clock;
    clock.start();
    SingleInstance instance(name);
    EXPECT_TRUE(instance.tryBecomePrimary());
    EXPECT_TRUE(instance.isPrimary());
    EXPECT_LT(clock.elapsed(), 5000) << "waited on the foreign lock";
    QCoreApplication::processEvents();
    EXPECT_FALSE(foreign.hasPendingConnections()) << "asked the foreign server";
    EXPECT_EQ(ownershipOf(name).owner, ::geteuid());
}
