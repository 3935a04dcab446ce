#pragma once

#include "previewdocument.h"
#include "printerdevice.h"

#include <QDateTime>
#include <QLocale>
#include <QRect>
#include <QString>

class ChartModel;
class QPainter;
class QPrinter;

namespace sorvant {

// The date-and-time line of a chart printout: the regional short date, a
// blank and the regional long time; the date alone at exactly midnight.
QString chartPageDateLine(const QDateTime &now, const QLocale &locale);

// Where the chart goes on a printable area of `pageSize` device pixels:
// a twentieth of the page in from every side.
QRect chartPageRectangle(const QSize &pageSize);

// Draws the page, date line and chart, onto `painter` in device pixels of a
// printable area of `pageSize` pixels (what a print and a preview share).
void drawChartPage(QPainter &painter, const QSize &pageSize, const ChartModel &chart, const QDateTime &now,
                   const QLocale &locale);

// Prints the chart as it is shown (its page, zoom and pan, hidden series,
// markers, 2D or 3D) on one landscape page under the date line. The
// printer's orientation is put back afterwards and the busy pointer shown
// meanwhile is taken away, however the job ends. A failure throws UserError;
// a job that had begun is aborted first, so nothing of it is printed.
void PrintChartPage(PrinterDevice &printer, const ChartModel &chart, const QDateTime &now,
                    const QLocale &locale = QLocale::system());

// The one chart page as the Print command would print it on `printer`
// (landscape), for the preview; the printer itself is left alone. The
// printer and the chart must outlive the document.
class ChartPreviewDocument : public PreviewDocument
{
public:
    ChartPreviewDocument(const QPrinter &printer, const ChartModel &chart, const QDateTime &now,
                         const QLocale &locale = QLocale::system());
    int pageCount() const override { return 1; }
    // The printer's paper as it is now, turned to landscape.
    QPageLayout pageLayout() const override;
    int resolution() const override;
    void drawPage(int index, QPainter &painter) const override;

private:
    const QPrinter &m_printer;
    const ChartModel &m_chart;
    QDateTime m_now;
    QLocale m_locale;
};

} // namespace sorvant
