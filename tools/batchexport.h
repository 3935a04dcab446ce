#pragma once

#include <QString>
#include <QStringList>

#include <cstdio>
#include <vector>

namespace sorvant {

struct ExportOptions;

// One log of a batch and the name its outputs take in the output folder.
struct BatchLog {
    QString path;
    QString name; // DIR/name + the suffix of each output kind
};

// The logs that `inputs` name, in a fixed order: the files as given, and of
// each folder its .dat files (any case) sorted by name, with `recursive` its
// subfolders' too (symbolic links to folders are not followed, so a loop
// cannot run forever). One file named twice is taken once. Each log gets the
// name of its file without the last extension; a name that an earlier log
// has already (compared ignoring case, as a FAT stick compares them) becomes
// NAME-2, NAME-3 ..., never one that another log has. A folder that cannot
// be read or holds no log adds a line to `problems`.
std::vector<BatchLog> collectBatchLogs(const QStringList &inputs, bool recursive, QStringList &problems);

// Writes the outputs of every log on `options.jobs` threads (0: one per
// core). Failures are named on `errors` and the other logs go on; progress
// goes there too unless `options.quiet`. Returns 0 when every log was
// written, 1 when any failed.
int runBatchExport(const ExportOptions &options, std::FILE *errors);

} // namespace sorvant
