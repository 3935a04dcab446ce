#pragma once

// Runs the built sorvant-export as a process, as a script would.

#include <QProcess>
#include <QStringList>

namespace exporterrun {

struct Outcome {
    int exitCode = -1; // -1: it did not end on its own within a minute
    QByteArray err;
};

// `env` adds or replaces variables ("LC_ALL=C") in the test's environment.
inline Outcome run(const QStringList &args, const QStringList &env = {})
{
    QProcess p;
    QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
    for (const QString &kv : env)
        e.insert(kv.section(QLatin1Char('='), 0, 0), kv.section(QLatin1Char('='), 1));
    p.setProcessEnvironment(e);
    p.start(QStringLiteral(SORVANT_BINARY_DIR "/tools/sorvant-export"), args);
    Outcome r;
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit) {
        p.kill();
        p.waitForFinished();
        return r;
    }
    r.exitCode = p.exitCode();
    r.err = p.readAllStandardError();
    return r;
}

} // namespace exporterrun
