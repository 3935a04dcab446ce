#pragma once

#include "celltext.h"
#include "logstore.h"
#include "sinks.h"

#include <QString>

#include <cstddef>
#include <functional>

namespace sorvant {

// The message box a failed load shows: OK and Cancel, no icon.
QString fileErrorText();    // "Can't perform one of the following file operations: Open, Seek, Read, Close."
QString fileErrorCaption(); // "File Error"

// Where a load delivers its results. Only `table` is required: a caller that
// needs no chart (the CSV exporter) leaves `series` null and no point is made.
struct LoadTargets {
    TableSink *table = nullptr;
    SeriesSink *series = nullptr;
    ProgressSink *progress = nullptr;
    std::function<void()> recalcPosition; // the chart's page scroll bar
    std::function<void()> showFileError;  // the modal "File Error" box
};

struct LoadResult {
    bool ok = false;
    std::size_t records = 0; // whole records read
    int rows = 0;            // data rows written
    QString detail;          // what failed, for command-line tools; empty on success
};

// Reads `path` whole into `store`, fixes the byte order and runs the building
// pass at `sampleInterval`, then the closing steps. Never throws: a failure
// shows the "File Error" box through `targets.showFileError` and still closes.
LoadResult LoadLog(const QString &path, int sampleInterval, LogStore &store, const CellTextFormat &format,
                   LoadTargets &targets);

// The building pass over the first `records` records of `store`. `rowCounter`
// is owned by the caller and advanced per row written, so the caller knows
// how far the pass got if it fails part-way. Exceptions pass through.
void BuildTableAndSeries(const LogStore &store, std::size_t records, int sampleInterval,
                         const CellTextFormat &format, LoadTargets &targets, int &rowCounter);

// Writes the nine headers into row 0 and centres them.
void WriteHeaders(TableSink &table);

} // namespace sorvant
