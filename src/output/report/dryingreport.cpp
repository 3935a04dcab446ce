#include "dryingreport.h"

#include "output/printing/qtprinttextmeasurer.h"
#include "platform/usererror.h"

#include <QPainter>
#include <QPrinter>

#include <algorithm>
#include <array>

namespace sorvant {

namespace {

// Drawing units per tenth of a millimetre: texts placed to a sixteenth of
// that, as the spreadsheet printout places them.
constexpr int kUnit = 16;
// The overview is drawn in units of a 96 dpi screen, so its texts and lines
// come out on paper as large as in the window.
constexpr double kTenthsPerScreenPixel = 254.0 / 96.0;

QFont styleFont(ReportStyle style)
{
    const TPrintFont f = reportFont(style);
    return QtPrintTextMeasurer::qtFont(f, printCharHeight(f.Size, 1.0) * kUnit);
}

QString failure(const QString &what, const PrinterDevice &printer)
{
    const QString why = printer.errorString();
    return why.isEmpty() ? what : QStringLiteral("%1: %2").arg(what, why);
}

} // namespace

DryingReport::DryingReport(const LogStore &store, const Limits &limits, const ReportInput &input)
    : m_spans(findOutOfRangeSpans(store.data(), store.count(), limits)),
      m_stats(computeLogStatistics(store.data(), store.count(), store.days(), limits, m_spans)),
      m_content(buildReportContent(m_stats, store.data(), store.days(), input))
{
    if (m_content.overview)
        m_overview = buildLogOverview(store);
}

QString DryingReport::documentName() const
{
    return m_content.fileName.isEmpty() ? m_content.heading
                                        : m_content.heading + QStringLiteral(" - ") + m_content.fileName;
}

void DryingReport::drawPage(QPainter &painter, const ReportPlan &plan, int index, double dpiX, double dpiY) const
{
    if (index < 0 || index >= plan.pageCount())
        return;
    const ReportPage &page = plan.page(index);
    painter.save();
    painter.scale(dpiX / 254.0 / kUnit, dpiY / 254.0 / kUnit);
    painter.setBackgroundMode(Qt::TransparentMode);

    for (const QRect &r : page.shaded)
        painter.fillRect(QRect(r.x() * kUnit, r.y() * kUnit, r.width() * kUnit, r.height() * kUnit),
                         QColor(228, 228, 228));

    if (!page.overview.isNull()) {
        const QRect &r = page.overview;
        painter.save();
        painter.translate(r.x() * kUnit, r.y() * kUnit);
        painter.scale(kUnit * kTenthsPerScreenPixel, kUnit * kTenthsPerScreenPixel);
        const QRectF area(0, 0, r.width() / kTenthsPerScreenPixel, r.height() / kTenthsPerScreenPixel);
        paintLogOverview(painter, area, m_overview, m_spans, overviewSeriesStyles(), kOverviewColumns);
        painter.restore();
    }

    painter.setPen(QPen(QColor(90, 90, 90), 2.0 * kUnit)); // 0.2 mm
    QList<QLine> lines;
    lines.reserve(static_cast<qsizetype>(page.lines.size()));
    for (const ReportLine &l : page.lines)
        lines.append(QLine(l.x1 * kUnit, l.y1 * kUnit, l.x2 * kUnit, l.y2 * kUnit));
    painter.drawLines(lines);

    std::array<QFont, static_cast<std::size_t>(ReportStyle::Count)> fonts;
    std::array<bool, static_cast<std::size_t>(ReportStyle::Count)> made{};
    painter.setPen(Qt::black);
    for (const ReportText &t : page.texts) {
        const auto s = static_cast<std::size_t>(t.style);
        if (!made[s]) {
            fonts[s] = styleFont(t.style);
            made[s] = true;
        }
        painter.setFont(fonts[s]);
        const QFontMetricsF metrics(fonts[s], painter.device());
        painter.drawText(QPointF(t.x * kUnit, t.y * kUnit + metrics.ascent()), t.text);
    }
    painter.restore();
}

QPageLayout reportPageLayout(const QPageLayout &printerLayout)
{
    QPageLayout layout = printerLayout;
    layout.setOrientation(QPageLayout::Portrait);
    return layout;
}

void PrintReport(PrinterDevice &printer, const DryingReport &report)
{
    printer.setOrientation(poPortrait);
    printer.setDocName(report.documentName());
    if (!printer.beginDocument())
        throw UserError(failure(QStringLiteral("The printer could not start the document"), printer));
    try {
        const QSize pixels = printer.printableSizePixels();
        const int dpiX = std::max(1, printer.resolutionX());
        const int dpiY = std::max(1, printer.resolutionY());
        QtPrintTextMeasurer measurer;
        const ReportPlan plan(report.content(), printLength(pixels.width(), dpiX), printLength(pixels.height(), dpiY),
                              measurer);
        for (int i = 0; i < plan.pageCount(); ++i) {
            if (i > 0 && !printer.newPage())
                throw UserError(failure(QStringLiteral("The printer could not start a new page"), printer));
            QPainter *surface = printer.painter();
            if (!surface)
                throw UserError(failure(QStringLiteral("The printer has no page to draw on"), printer));
            report.drawPage(*surface, plan, i, dpiX, dpiY);
        }
        if (!printer.endDocument())
            throw UserError(failure(QStringLiteral("The printer could not finish the document"), printer));
    } catch (...) {
        printer.abortDocument();
        throw;
    }
}

ReportPreviewDocument::ReportPreviewDocument(const QPrinter &printer, const DryingReport &report)
    : m_printer(printer), m_report(report), m_measurer(std::make_unique<QtPrintTextMeasurer>())
{
    refresh();
}

ReportPreviewDocument::~ReportPreviewDocument() = default;

void ReportPreviewDocument::refresh()
{
    m_layout = reportPageLayout(m_printer.pageLayout());
    m_resolution = std::max(1, m_printer.resolution());
    const QSize pixels = m_layout.paintRectPixels(m_resolution).size();
    m_plan = std::make_unique<ReportPlan>(m_report.content(), printLength(pixels.width(), m_resolution),
                                          printLength(pixels.height(), m_resolution), *m_measurer);
}

void ReportPreviewDocument::drawPage(int index, QPainter &painter) const
{
    m_report.drawPage(painter, *m_plan, index, m_resolution, m_resolution);
}

} // namespace sorvant
