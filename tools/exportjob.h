#pragma once

#include <QString>
#include <QStringList>

#include <vector>

namespace sorvant {

struct ExportOptions {
    QString log;
    int step = 25;
    std::vector<int> hiddenColumns;
    QString csv;
};

// Parses the command line (without argv[0]). Returns 0 when the job should
// run, otherwise the exit code (0 for --help/--version, 2 for bad arguments),
// with what to print in `message`.
int parseExportArguments(const QStringList &args, ExportOptions &options, QString &message);

int runExportTool(int argc, char **argv);

} // namespace sorvant
