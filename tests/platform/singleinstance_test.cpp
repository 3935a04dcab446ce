#include "platform/singleinstance.h"

#include "filetestutil.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLocalServer>
#include <QProcess>
#include <QSignalSpy>
#include <QUuid>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

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
