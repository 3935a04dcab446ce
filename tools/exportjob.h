#pragma once

#include "logdata/limits.h"

#include <QString>
#include <QStringList>

#include <cstdio>
#include <utility>
#include <vector>

namespace sorvant {

// One run of sorvant-export. Each output format adds its target here, its
// option in parseExportArguments() and its writer in runExport().
struct ExportOptions {
    QString log;
    int step = 25;
    std::vector<int> hiddenColumns;
    QString csv; // empty: no CSV asked for
    QString xls; // empty: no workbook asked for
    // The chart page as a PNG image.
    QString chartPng; // empty: no chart image asked for
    int chartPage = 1;
    int chartWidth = 1200, chartHeight = 800;
    bool chartSizeGiven = false; // --size: also the size a --chart-pdf is laid out at
    bool chart3D = false;
    bool chartMarkers = false;
    std::vector<int> hiddenSeries; // 1 to 6: Series1 to Series6
    // Printouts as PDF files, on `paper` (empty: the system's default).
    QString pdf;      // empty: no spreadsheet printout asked for
    QString chartPdf; // empty: no chart printout asked for
    QString paper;
    // A print settings file as the "Print Data Sheet" dialog saves it; empty:
    // the starting print settings.
    QString printSettings;
    // The overview of every record as a PNG image (at --size, default
    // 1600x500) and the out-of-range spans of `limits` as CSV.
    QString overviewPng;
    QString spansCsv;
    Limits limits;

    bool hasOutput() const { return !outputs().empty(); }
    // Every file asked for, with the option that names it.
    std::vector<std::pair<QString, QString>> outputs() const;
    // Only the chart outputs need the six series; a CSV alone builds none.
    bool needsSeries() const { return !chartPng.isEmpty() || !chartPdf.isEmpty(); }
    bool needsGui() const
    {
        return !chartPng.isEmpty() || !chartPdf.isEmpty() || !pdf.isEmpty() || !overviewPng.isEmpty();
    }
};

// Parses the command line (without argv[0]). Returns 0 when the job should
// run, -1 after --help or --version, 2 for bad arguments, with what to print
// in `message`.
int parseExportArguments(const QStringList &args, ExportOptions &options, QString &message);

// Refuses, with what to print in `message`, an output that is an input (the
// log or the print settings file) and two outputs that are one file, however
// their names are spelled (symbolic links, hard links, "." and ".." all
// count): an input may be the only copy, and of two outputs only the last
// would survive. 0 or 2.
int checkOutputTargets(const ExportOptions &options, QString &message);

// Loads the log into a grid configured as Sorvant's spreadsheet and writes
// every requested output. Errors go to `errors`. Returns the exit code: 0;
// 1 when the load or a write failed; 2, with nothing read or written, when
// checkOutputTargets() refuses the outputs.
int runExport(const ExportOptions &options, std::FILE *errors);

int runExportTool(int argc, char **argv);

} // namespace sorvant
