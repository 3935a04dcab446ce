#pragma once

#include "controls/overview/overviewpainter.h"
#include "logdata/limits.h"
#include "logdata/logstore.h"
#include "logdata/outofrange.h"

#include <QSize>

#include <memory>
#include <vector>

class OverviewWidget;
class QImage;

namespace sorvant {

// The six quantities of every record of the last load, as the chart plots
// them (series index 0 is Series1, "Moisture In"). It reads the store, so it
// is made again after every load.
class LogOverviewSource : public OverviewSource
{
public:
    explicit LogOverviewSource(const LogStore &store) : m_store(store), m_count(store.count()) {}
    int seriesCount() const override { return kSeriesCount; }
    std::size_t pointCount() const override { return m_count; }
    void values(int series, std::size_t first, std::size_t count, float *out) const override;

private:
    const LogStore &m_store;
    std::size_t m_count;
};

// Everything the overview shows of one load: the summary of every record and
// its time axis in days and hours. Empty before the first load.
struct LogOverviewData {
    std::shared_ptr<const OverviewSummary> summary = std::make_shared<OverviewSummary>();
    OverviewTimeAxis time;
};
LogOverviewData buildLogOverview(const LogStore &store);

// The chart's series: titles, colours and axes (temperatures on the left
// from 0 to their highest value, moisture and unload rate on the right from
// 0 to 100), by series index.
std::vector<OverviewSeriesStyle> overviewSeriesStyles();
OverviewAxisStyle overviewLeftAxis();
OverviewAxisStyle overviewRightAxis();
OverviewLook overviewLook();
// Series indices in the chart's legend order.
std::vector<int> overviewLegendOrder();
// Sets the widget up as Sorvant shows it.
void configureOverview(OverviewWidget &widget);

// The out-of-range spans as shaded runs of records.
std::vector<OverviewSpan> spanShades(const std::vector<OutOfRangeSpan> &spans);
// The marker of the chart's page, and of the rows at the top of the spreadsheet.
OverviewSpan pageMarker(double firstRecord, double endRecord);
OverviewSpan rowsMarker(double firstRecord, double endRecord);

// Where the overview of every record stands within `rectangle`.
OverviewLayout logOverviewLayout(const LogOverviewData &data, const QRectF &rectangle,
                                 const std::vector<OverviewSeriesStyle> &series = overviewSeriesStyles());
// The overview of every record, with the spans of `limits` shaded, drawn
// into `painter` within `rectangle`: a window, an image, a printer page (in
// at most `maxColumns` columns).
void paintLogOverview(QPainter &painter, const QRectF &rectangle, const LogOverviewData &data,
                      const std::vector<OutOfRangeSpan> &spans,
                      const std::vector<OverviewSeriesStyle> &series = overviewSeriesStyles(),
                      int maxColumns = kOverviewMaxColumns);
// The same as a PNG file written whole. Throws UserError.
void writeOverviewPng(const LogStore &store, const Limits &limits, const QSize &size, const QString &path);

} // namespace sorvant
