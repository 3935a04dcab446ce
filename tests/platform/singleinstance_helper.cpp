// A stand-in Sorvant start for the single-instance tests.
//   helper <server name> wait <n> [start at, ms since the epoch]
//     prints "primary" or "secondary"; a primary then prints "activated" for
//     each of <n> later starts and ends 0 (2 after 20 s without them).
//   helper <server name> crash
//     becomes primary and dies without cleaning up (exit code 3).
//   helper <server name> crash-locked
//     takes the start-up lock and dies holding it (exit code 3).
#include "platform/singleinstance.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QLockFile>
#include <QThread>
#include <QTimer>

#include <cstdio>
#include <cstdlib>

namespace {

void say(const char *text)
{
    std::printf("%s\n", text);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 3)
        return 64;
    sorvant::SingleInstance instance(args[1]);
    const QString mode = args[2];

    if (mode == QLatin1String("crash-locked")) {
        QLockFile lock(instance.lockFilePath());
        if (!lock.lock())
            return 65;
        say("locked");
        std::_Exit(3);
    }
    if (args.size() > 4) {
        const qint64 wait = args[4].toLongLong() - QDateTime::currentMSecsSinceEpoch();
        if (wait > 0)
            QThread::msleep(static_cast<unsigned long>(wait));
    }
    if (!instance.tryBecomePrimary()) {
        say("secondary");
        return 0;
    }
    say("primary");
    if (mode == QLatin1String("crash"))
        std::_Exit(3);

    const int expected = args.size() > 3 ? args[3].toInt() : 0;
    int seen = 0;
    QObject::connect(&instance, &sorvant::SingleInstance::activationRequested, &app, [&]() {
        say("activated");
        if (++seen >= expected)
            app.exit(0);
    });
    QTimer::singleShot(20000, &app, [&]() { app.exit(2); });
    if (expected == 0)
        return 0;
    return app.exec();
}
