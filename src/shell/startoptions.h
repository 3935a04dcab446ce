#pragma once

#include <QString>
#include <QStringList>

namespace sorvant {

// What the command line asks of a start.
//
//   sorvant [PATH...]          the open dialog starts in PATH's folder; nothing is loaded
//   sorvant --open FILE        FILE is loaded (by the running Sorvant, if there is one)
//   sorvant --open=FILE        the same; FILE may also be a file: URI
//   sorvant --open             (a launcher's "%f" with no file) a plain start
struct StartOptions {
    QStringList plainArguments; // the arguments the main window joins into a path
    QString fileToOpen;         // absolute; empty when none
    QString warning;            // for stderr: arguments that were not used
};

// `currentFolder` makes a relative FILE absolute, so that a running instance
// in another folder finds it.
StartOptions parseStartArguments(const QStringList &arguments, const QString &currentFolder);

} // namespace sorvant
