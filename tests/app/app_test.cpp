#include "platform/singleinstance.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

struct Outcome {
    int exitCode = -1;
    QByteArray out, err;
};

// Runs sorvant without any display: a window it tried to open would end it
// with Qt's "could not connect to display" instead of the expected answer.
Outcome runSorvant(const QStringList &args)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QLatin1String(name));
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(SORVANT_APP), args);
    Outcome o;
    if (!p.waitForFinished(20000) || p.exitStatus() != QProcess::NormalExit)
        return o;
    o.exitCode = p.exitCode();
    o.out = p.readAllStandardOutput();
    o.err = p.readAllStandardError();
    return o;
}

QString settingsFolder()
{
    return qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/Sorvant");
}

TEST(SorvantProgram, HelpAndVersionAnswerWithoutAWindowOrASetting)
{
    const struct {
        QStringList args;
        const char *out; // what standard output starts with
    } cases[] = {
        {{QStringLiteral("--version")}, "sorvant " SORVANT_VERSION "\n"},
        {{QStringLiteral("--help")}, "Usage: sorvant [PATH]\n"},
        {{QStringLiteral("-h")}, "Usage: sorvant [PATH]\n"},
        // An option anywhere among the arguments, as GNU programs take it.
        {{QStringLiteral("/home/ann/logs/"), QStringLiteral("--version")}, "sorvant " SORVANT_VERSION "\n"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.args.join(QLatin1Char(' ')).toStdString());
        const Outcome r = runSorvant(c.args);
        EXPECT_EQ(r.exitCode, 0) << r.err.constData();
        EXPECT_TRUE(r.out.startsWith(c.out)) << r.out.constData();
        EXPECT_TRUE(r.err.isEmpty()) << r.err.constData();
        EXPECT_FALSE(QDir(settingsFolder()).exists());
    }
    // The version line is all --version prints: help2man reads it.
    EXPECT_EQ(runSorvant({QStringLiteral("--version")}).out, QByteArray("sorvant " SORVANT_VERSION "\n"));
}

TEST(SorvantProgram, VersionIsAnsweredWhileAnotherSorvantRuns)
{
    sorvant::SingleInstance running;
    ASSERT_TRUE(running.tryBecomePrimary());
    QSignalSpy asked(&running, &sorvant::SingleInstance::activationRequested);
    const Outcome r = runSorvant({QStringLiteral("--version")});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, QByteArray("sorvant " SORVANT_VERSION "\n"));
    // The running one is not brought forward by a question to the terminal.
    QTest::qWait(300);
    EXPECT_EQ(asked.count(), 0);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
