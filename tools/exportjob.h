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
    // Threads drawing the --pdf printout: 0 one a core (eight at the most),
    // 1 one document drawn straight into the file.
    int pdfThreads = 0;
    // A print settings file as the "Print Data Sheet" dialog saves it; empty:
    // the starting print settings.
    QString printSettings;
    // The overview of every record as a PNG image (at --size, default
    // 1600x500) and the out-of-range spans of `limits` as CSV.
    QString overviewPng;
    QString spansCsv;
    Limits limits;
    // The drying report as a PDF file, under `reportTitle` (the farm, the dryer).
    QString reportPdf;
    QString reportTitle;

    // Many logs in one call (--out-dir): every output kind given without a
    // file name is written for each log as DIR/NAME plus its suffix.
    QStringList logs; // files and folders, as given
    QString outDir;   // empty: one log, the outputs as named
    bool recursive = false;
    int jobs = 0; // 0: one thread per core
    bool quiet = false;
    QStringList batchOutputs; // the options of the kinds asked for, in table order

    bool batch() const { return !outDir.isEmpty(); }
    bool hasOutput() const { return !outputs().empty(); }
    // Every file asked for, with the option that names it.
    std::vector<std::pair<QString, QString>> outputs() const;
    // Only the chart outputs need the six series; a CSV alone builds none.
    bool needsSeries() const { return !chartPng.isEmpty() || !chartPdf.isEmpty(); }
    bool needsGui() const
    {
        return !chartPng.isEmpty() || !chartPdf.isEmpty() || !pdf.isEmpty() || !overviewPng.isEmpty()
            || !reportPdf.isEmpty();
    }
};

// One kind of output file: its option, the member of ExportOptions that
// names its file in a run of one log, and the suffix that follows NAME in a
// batch. A new output is one more row of outputKinds().
struct OutputKind {
    const char *option;
    QString ExportOptions::*target;
    const char *batchSuffix;
};
const std::vector<OutputKind> &outputKinds();

// Which file a name reaches, as a text that two names share exactly when
// they reach one file: an existing file by its device and inode (so links
// count), a file still to be created by the real path of its folder and its
// name.
QString fileIdentityKey(const QString &name);

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
