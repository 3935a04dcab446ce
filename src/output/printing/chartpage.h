#pragma once

#include "printerdevice.h"

#include <QDateTime>
#include <QLocale>
#include <QRect>
#include <QString>

class ChartModel;

namespace sorvant {

// The date-and-time line of a chart printout: the regional short date, a
// blank and the regional long time; the date alone at exactly midnight.
QString chartPageDateLine(const QDateTime &now, const QLocale &locale);

// Where the chart goes on a printable area of `pageSize` device pixels:
// a twentieth of the page in from every side.
QRect chartPageRectangle(const QSize &pageSize);

// Prints the chart as it is shown (its page, zoom and pan, hidden series,
// markers, 2D or 3D) on one landscape page under the date line. The
// printer's orientation is put back afterwards and the busy pointer shown
// meanwhile is taken away, however the job ends. A failure throws UserError;
// a job that had begun is aborted first, so nothing of it is printed.
void PrintChartPage(PrinterDevice &printer, const ChartModel &chart, const QDateTime &now,
                    const QLocale &locale = QLocale::system());

} // namespace sorvant
