#pragma once

#include "gridpageplan.h"
#include "gridprinttable.h"
#include "printerdevice.h"
#include "printsettings.h"

#include <QDateTime>

namespace sorvant {

class ProgressSink;

// Prints a grid as one job on `printer`: the orientation set to
// settings.Orientation unless UseDefaultOrientation is on (and left so), the
// job named settings.JobName, a counting run for the page total and a
// printing run that draws every page, band after band.
//
// `progress`, when given, advances page by page through the printing run and
// is hidden at position 0 afterwards. `now` fixes the date and time the
// header and footer show; when invalid, each page takes the clock's time as
// it is composed.
//
// Throws UserError when the printer refuses to start the document, to start
// a new page or to end it; after a start, the job is aborted first, so
// nothing half-printed stays queued and the next print can start.
void PrintGrid(PrinterDevice &printer, const GridPrintTable &table, const PrintSettings &settings,
               ProgressSink *progress = nullptr, const QDateTime &now = QDateTime());

// Prints pages [first, last) of a planned printout as one job on `printer`,
// set up as PrintGrid sets it up; `printer` must have the page size the plan
// was made for. `measurer` measures the header and footer texts: one of the
// calling thread's, so that ranges of one plan can print on several threads
// at once, each on its own printer. Throws UserError as PrintGrid does.
void PrintGridPages(PrinterDevice &printer, const GridPagePlan &plan, int first, int last,
                    PrintTextMeasurer &measurer, const QDateTime &now = QDateTime());

} // namespace sorvant
