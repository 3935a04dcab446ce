#pragma once

#include <QString>

class ChartModel;
class DataGridStore;

namespace sorvant {

class DryingReport;
struct PrintSettings;

// Paper names the command line takes: A4, Letter, Legal, A3 (any case).
// Empty: the system's default paper, as Qt chooses it.
bool isPaperName(const QString &name);

// Prints the spreadsheet with `settings` into a PDF file, as the window's
// Print command would on a PDF printer, drawing pages on `threads` threads
// (0: one a core, eight at the most; 1: one document drawn straight into
// the file). The file
// is written beside the target and renamed over it only when complete.
// Throws UserError.
void writeSpreadsheetPdf(const DataGridStore &grid, const PrintSettings &settings, const QString &path,
                         const QString &paper, int threads = 0);

// Prints the chart as it is set up, one landscape page under the date line,
// as the Print command does. Throws UserError.
void writeChartPdf(const ChartModel &chart, const QString &path, const QString &paper);

// Prints the drying report, portrait, as File > Print Report does. Throws UserError.
void writeReportPdf(const DryingReport &report, const QString &path, const QString &paper);

} // namespace sorvant
