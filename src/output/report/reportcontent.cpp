#include "reportcontent.h"

#include "logdata/celltext.h"
#include "logdata/columns.h"
#include "logdata/logdays.h"
#include "logdata/outofrange.h"

#include <QFileInfo>

namespace sorvant {

namespace {

QChar separatorOf(const QLocale &locale)
{
    const QString point = locale.decimalPoint();
    return point.isEmpty() ? QLatin1Char('.') : point.at(0);
}

// A whole-number quantity shows whole numbers, a moisture its tenths.
QString valueText(int series, int raw, const CellTextFormat &format)
{
    return celltext::fixedText(quantityValue(series, raw), quantityRawPerUnit(series) == 10 ? 1 : 0, format);
}

QString momentText(const LogRecord &r, int day)
{
    return QStringLiteral("Day %1, %2").arg(day).arg(celltext::timeText(r.Hour, r.Minute));
}

ReportTable quantityTable(const LogStatistics &stats, const CellTextFormat &format)
{
    ReportTable t;
    t.caption = QStringLiteral("Readings");
    t.headings = {QStringLiteral("Reading"),
                  QStringLiteral("Lowest"),
                  QStringLiteral("Mean"),
                  QStringLiteral("Highest"),
                  QStringLiteral("Limit"),
                  QStringLiteral("Time within\nlimit (%)"),
                  QStringLiteral("Times out\nof range"),
                  QStringLiteral("Time out of range\n(h:mm:ss)")};
    t.rightAligned = {false, true, true, true, true, true, true, true};
    for (int s = 0; s < kSeriesCount; ++s) {
        const QuantityStatistics &q = stats[s];
        QStringList row{quantityHeading(s), valueText(s, q.lowestRaw, format),
                        celltext::fixedText(stats.mean(s), 1, format), valueText(s, q.highestRaw, format)};
        const QuantityLimit &limit = stats.limits[s];
        if (limit.isSet()) {
            row << limitReadingText(limit, format.decimalSeparator())
                << shareText(q.withinRecords, stats.records, format) << QString::number(q.spans)
                << durationText(q.outsideRecords);
        } else {
            row << QStringLiteral("none") << QString() << QString() << QString();
        }
        t.rows.push_back(row);
    }
    return t;
}

ReportTable binTable(const LogStatistics &stats, const CellTextFormat &format)
{
    ReportTable t;
    t.caption = QStringLiteral("Bins");
    t.headings = {QStringLiteral("Bin"), QStringLiteral("Time on bin\n(h:mm:ss)"),
                  QStringLiteral("Share of the\nrunning time (%)"), QStringLiteral("Mean\nMoisture In (%)"),
                  QStringLiteral("Mean\nMoisture Out (%)")};
    t.rightAligned = {true, true, true, true, true};
    for (const BinStatistics &b : stats.bins) {
        t.rows.push_back({QString::number(b.bin), durationText(b.records), shareText(b.records, stats.records, format),
                          celltext::fixedText(meanMoisture(b.moistureInSum, b.records), 1, format),
                          celltext::fixedText(meanMoisture(b.moistureOutSum, b.records), 1, format)});
    }
    return t;
}

ReportTable dayTable(const LogStatistics &stats, const LogRecord *records, const CellTextFormat &format)
{
    ReportTable t;
    t.caption = QStringLiteral("Days");
    t.headings = {QStringLiteral("Day"),
                  QStringLiteral("From"),
                  QStringLiteral("To"),
                  QStringLiteral("Running time\n(h:mm:ss)"),
                  QStringLiteral("Mean\nMoisture In (%)"),
                  QStringLiteral("Mean\nMoisture Out (%)"),
                  QStringLiteral("Highest Grain\nTemp in Dryer (") + QChar(0x00B0) + QLatin1Char(')')};
    t.rightAligned = {true, true, true, true, true, true, true};
    for (const DayStatistics &d : stats.days) {
        const LogRecord &first = records[d.firstRecord];
        const LogRecord &last = records[d.firstRecord + d.records - 1];
        t.rows.push_back({QString::number(d.day), celltext::timeText(first.Hour, first.Minute),
                          celltext::timeText(last.Hour, last.Minute), durationText(d.records),
                          celltext::fixedText(meanMoisture(d.moistureInSum, d.records), 1, format),
                          celltext::fixedText(meanMoisture(d.moistureOutSum, d.records), 1, format),
                          QString::number(d.highestGrainTempInDryer)});
    }
    return t;
}

QString numberText(double v, QChar separator)
{
    QString text = QString::number(v, 'g', 15);
    text.replace(QLatin1Char('.'), separator);
    return text;
}

} // namespace

ReportInput reportInput(const QString &title, const QString &logPath, const QDate &made, const QLocale &locale)
{
    return {title, QFileInfo(logPath).fileName(), made, locale};
}

QString quantityHeading(int series)
{
    const QString title = seriesTitle(series);
    switch (series) {
    case 0:
    case 1: return title + QStringLiteral(" (%)");
    case 5: return title + QStringLiteral(" (") + QChar(0x00F7) + QStringLiteral("10)");
    default: return title + QStringLiteral(" (") + QChar(0x00B0) + QLatin1Char(')');
    }
}

QString limitReadingText(const QuantityLimit &limit, QChar decimalSeparator)
{
    if (limit.lowest && limit.highest)
        return QStringLiteral("%1 to %2").arg(numberText(*limit.lowest, decimalSeparator),
                                             numberText(*limit.highest, decimalSeparator));
    if (limit.lowest)
        return QStringLiteral("at least %1").arg(numberText(*limit.lowest, decimalSeparator));
    if (limit.highest)
        return QStringLiteral("at most %1").arg(numberText(*limit.highest, decimalSeparator));
    return QStringLiteral("none");
}

ReportContent buildReportContent(const LogStatistics &stats, const LogRecord *records, const LogDays &days,
                                 const ReportInput &input)
{
    const CellTextFormat format(separatorOf(input.locale));
    ReportContent c;
    c.heading = QStringLiteral("Drying Report");
    c.title = input.title.simplified();
    c.fileName = input.fileName;
    c.facts.emplace_back(QStringLiteral("Log file"), input.fileName);
    const std::size_t n = stats.records;
    if (n > 0) {
        c.facts.emplace_back(QStringLiteral("First record"), momentText(records[0], days.dayOf(0)));
        c.facts.emplace_back(QStringLiteral("Last record"), momentText(records[n - 1], days.dayOf(n - 1)));
    } else {
        c.facts.emplace_back(QStringLiteral("First record"), QStringLiteral("none"));
        c.facts.emplace_back(QStringLiteral("Last record"), QStringLiteral("none"));
    }
    c.facts.emplace_back(QStringLiteral("Running time"), durationText(n) + QStringLiteral(" (h:mm:ss)"));
    c.facts.emplace_back(QStringLiteral("Records"), QString::number(n) + QStringLiteral(" (one every 12 seconds)"));
    c.facts.emplace_back(QStringLiteral("Report made"), input.locale.toString(input.made, QLocale::ShortFormat));
    if (n == 0) {
        c.note = QStringLiteral("This log holds no records: there is nothing to report.");
        return c;
    }
    c.overview = true;
    c.overviewCaption = QStringLiteral("The whole log");
    if (stats.limits.anySet())
        c.overviewNote = QStringLiteral("Shaded in red: the times a reading was outside its limit.");
    c.tables.push_back(quantityTable(stats, format));
    c.tables.push_back(binTable(stats, format));
    if (stats.days.size() > 1)
        c.tables.push_back(dayTable(stats, records, format));
    return c;
}

} // namespace sorvant
