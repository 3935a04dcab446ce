#include "gridprint.h"

#include "gridpagepainter.h"
#include "gridpageplan.h"
#include "qtprinttextmeasurer.h"

#include "logdata/sinks.h"
#include "platform/usererror.h"

#include <algorithm>

namespace sorvant {

namespace {

QString failure(const QString &what, const PrinterDevice &printer)
{
    const QString why = printer.errorString();
    return why.isEmpty() ? what : QStringLiteral("%1: %2").arg(what, why);
}

// Leaves the progress bar at rest whichever way the job ends.
class ProgressGuard
{
public:
    explicit ProgressGuard(ProgressSink *progress) : m_progress(progress) {}
    ~ProgressGuard()
    {
        if (m_progress) {
            m_progress->setPosition(0);
            m_progress->setVisible(false);
        }
    }
    ProgressGuard(const ProgressGuard &) = delete;
    ProgressGuard &operator=(const ProgressGuard &) = delete;

private:
    ProgressSink *m_progress;
};

} // namespace

namespace {

// Draws pages [first, last) of `plan` into the open document of `printer`.
void drawPages(PrinterDevice &printer, const GridPagePlan &plan, int first, int last, PrintTextMeasurer *measurer,
               ProgressSink *progress, const QDateTime &now)
{
    const int dpiX = std::max(1, printer.resolutionX());
    const int dpiY = std::max(1, printer.resolutionY());
    GridPagePainter painter(plan, measurer);
    for (int i = first; i < last; ++i) {
        if (i > first && !printer.newPage())
            throw UserError(failure(QStringLiteral("The printer could not start a new page"), printer));
        QPainter *surface = printer.painter();
        if (!surface)
            throw UserError(failure(QStringLiteral("The printer has no page to draw on"), printer));
        painter.drawPage(*surface, i, now.isValid() ? now : QDateTime::currentDateTime(), dpiX, dpiY);
        if (progress)
            progress->setPosition(i - first + 1);
    }
    if (!printer.endDocument())
        throw UserError(failure(QStringLiteral("The printer could not finish the document"), printer));
}

// Sets the printer up for the job, starts the document, runs `body` on it
// and aborts the document when `body` throws.
template <class Body>
void runJob(PrinterDevice &printer, const PrintSettings &settings, const Body &body)
{
    if (!settings.UseDefaultOrientation)
        printer.setOrientation(settings.Orientation);
    printer.setDocName(settings.JobName);
    if (!printer.beginDocument())
        throw UserError(failure(QStringLiteral("The printer could not start the document"), printer));
    try {
        body();
    } catch (...) {
        printer.abortDocument();
        throw;
    }
}

} // namespace

void PrintGrid(PrinterDevice &printer, const GridPrintTable &table, const PrintSettings &settings,
               ProgressSink *progress, const QDateTime &now)
{
    runJob(printer, settings, [&] {
        const QSize pixels = printer.printableSizePixels();
        const int W = printLength(pixels.width(), std::max(1, printer.resolutionX()));
        const int H = printLength(pixels.height(), std::max(1, printer.resolutionY()));

        // The counting run: the plan knows the page total before anything is drawn.
        QtPrintTextMeasurer measurer;
        const GridPagePlan plan(table, settings, W, H, measurer);
        const int pages = plan.pageCount();

        ProgressGuard guard(progress);
        if (progress) {
            progress->setVisible(true);
            progress->setPosition(0);
            progress->setMaximum(pages);
        }
        drawPages(printer, plan, 0, pages, nullptr, progress, now);
    });
}

void PrintGridPages(PrinterDevice &printer, const GridPagePlan &plan, int first, int last,
                    PrintTextMeasurer &measurer, const QDateTime &now)
{
    runJob(printer, plan.settings(), [&] { drawPages(printer, plan, first, last, &measurer, nullptr, now); });
}

} // namespace sorvant
