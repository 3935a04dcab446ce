#include "chartpage.h"

#include "controls/chart/chartmodel.h"
#include "platform/busypointer.h"
#include "platform/usererror.h"

#include <QFont>
#include <QPainter>
#include <QPrinter>

#include <algorithm>
#include <optional>

namespace sorvant {

namespace {

// The locale's long time pattern without its time-zone part: the time of
// day is what the page shows, as a desktop clock does.
QString longTimePattern(const QLocale &locale)
{
    const QString pattern = locale.timeFormat(QLocale::LongFormat);
    QString out;
    bool quoted = false;
    for (const QChar ch : pattern) {
        if (ch == QLatin1Char('\''))
            quoted = !quoted;
        if (!quoted && ch == QLatin1Char('t'))
            continue;
        out += ch;
    }
    return out.simplified();
}

// Keeps the orientation the print dialog left and the normal pointer,
// whatever way the job ends: landscape first, then the busy pointer, and
// back in the opposite order.
class ChartJobGuard
{
public:
    explicit ChartJobGuard(PrinterDevice &printer) : m_printer(printer), m_orientation(printer.orientation())
    {
        m_printer.setOrientation(poLandscape);
        m_busy.emplace();
    }
    ~ChartJobGuard() { m_printer.setOrientation(m_orientation); }
    ChartJobGuard(const ChartJobGuard &) = delete;
    ChartJobGuard &operator=(const ChartJobGuard &) = delete;

private:
    PrinterDevice &m_printer;
    TPrinterOrientation m_orientation;
    std::optional<BusyPointer> m_busy;
};

} // namespace

QString chartPageDateLine(const QDateTime &now, const QLocale &locale)
{
    const QString date = locale.toString(now.date(), QLocale::ShortFormat);
    const QTime time = now.time();
    if (time.hour() == 0 && time.minute() == 0 && time.second() == 0)
        return date;
    return date + QLatin1Char(' ') + locale.toString(time, longTimePattern(locale));
}

void drawChartPage(QPainter &painter, const QSize &pageSize, const ChartModel &chart, const QDateTime &now,
                   const QLocale &locale)
{
    QFont font(QStringLiteral("Arial"));
    font.setPointSize(10);
    font.setBold(false);
    font.setItalic(false);
    font.setUnderline(false);
    font.setStrikeOut(false);
    painter.save();
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(QRect(20, 20, std::max(1, pageSize.width() - 20), std::max(1, pageSize.height() - 20)),
                     Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, chartPageDateLine(now, locale));
    painter.restore();

    chart.PrintPartial(painter, chartPageRectangle(pageSize));
}

QRect chartPageRectangle(const QSize &pageSize)
{
    const int w = pageSize.width();
    const int h = pageSize.height();
    const int left = w / 20;
    const int top = h / 20;
    return QRect(left, top, (w - w / 20) - left, (h - h / 20) - top);
}

void PrintChartPage(PrinterDevice &printer, const ChartModel &chart, const QDateTime &now, const QLocale &locale)
{
    ChartJobGuard guard(printer);
    if (!printer.beginDocument())
        throw UserError(printer.errorString());
    try {
        QPainter *painter = printer.painter();
        if (!painter)
            throw UserError(QStringLiteral("The printer has no page to draw on"));
        drawChartPage(*painter, printer.printableSizePixels(), chart, now, locale);
        if (!printer.endDocument())
            throw UserError(printer.errorString());
    } catch (...) {
        printer.abortDocument();
        throw;
    }
}

ChartPreviewDocument::ChartPreviewDocument(const QPrinter &printer, const ChartModel &chart, const QDateTime &now,
                                           const QLocale &locale)
    : m_printer(printer), m_chart(chart), m_now(now), m_locale(locale)
{
}

QPageLayout ChartPreviewDocument::pageLayout() const
{
    QPageLayout layout = m_printer.pageLayout();
    layout.setOrientation(QPageLayout::Landscape);
    return layout;
}

int ChartPreviewDocument::resolution() const
{
    return std::max(1, m_printer.resolution());
}

void ChartPreviewDocument::drawPage(int index, QPainter &painter) const
{
    if (index != 0)
        return;
    drawChartPage(painter, pageLayout().paintRectPixels(resolution()).size(), m_chart, m_now, m_locale);
}

} // namespace sorvant
