#include "overviewconfig.h"

#include "controls/overview/overviewwidget.h"
#include "logdata/columns.h"
#include "platform/outputfile.h"
#include "platform/usererror.h"

#include <QBuffer>
#include <QImage>
#include <QPainter>

namespace sorvant {

void LogOverviewSource::values(int series, std::size_t first, std::size_t count, float *out) const
{
    const LogRecord *r = m_store.data() + first;
    // One loop per quantity: the switch stays out of the inner loop.
    switch (series) {
    case 0: for (std::size_t i = 0; i < count; ++i) out[i] = float(r[i].MoistureIn) * 0.1f; break;
    case 1: for (std::size_t i = 0; i < count; ++i) out[i] = float(r[i].MoistureOut) * 0.1f; break;
    case 2: for (std::size_t i = 0; i < count; ++i) out[i] = float(r[i].WetGrainTemp / 10); break;
    case 3: for (std::size_t i = 0; i < count; ++i) out[i] = float(r[i].GrainTempInsideDryer); break;
    case 4: for (std::size_t i = 0; i < count; ++i) out[i] = float(r[i].DriedGrainTemp / 10); break;
    default: for (std::size_t i = 0; i < count; ++i) out[i] = float(r[i].UnloadRate); break;
    }
}

LogOverviewData buildLogOverview(const LogStore &store)
{
    LogOverviewData data;
    data.summary = std::make_shared<OverviewSummary>(std::make_shared<LogOverviewSource>(store));
    data.time.secondsPerPoint = double(kSecondsPerRecord);
    data.time.dayStarts = store.days().midnights();
    const std::size_t n = store.count();
    for (std::size_t i = 1; i < n; ++i) {
        if (store[i].Hour != store[i - 1].Hour)
            data.time.hourStarts.push_back({i, store[i].Hour});
    }
    return data;
}

std::vector<OverviewSeriesStyle> overviewSeriesStyles()
{
    const auto style = [](int series, QColor colour, OverviewAxisSide side) {
        return OverviewSeriesStyle{seriesTitle(series), colour, side, true};
    };
    return {
        style(0, QColor(255, 0, 255), OverviewAxisSide::Right),
        style(1, QColor(255, 0, 0), OverviewAxisSide::Right),
        style(2, QColor(0, 128, 0), OverviewAxisSide::Left),
        style(3, QColor(255, 128, 0), OverviewAxisSide::Left),
        style(4, QColor(204, 255, 255), OverviewAxisSide::Left),
        style(5, QColor(0, 0, 0), OverviewAxisSide::Right),
    };
}

OverviewAxisStyle overviewLeftAxis()
{
    OverviewAxisStyle axis;
    axis.title = QStringLiteral("Temperature");
    axis.minimum = 0;
    axis.automaticMaximum = true;
    return axis;
}

OverviewAxisStyle overviewRightAxis()
{
    OverviewAxisStyle axis;
    axis.title = QStringLiteral("Moisture \\ Unload Rate % (") + QChar(0x00F7) + QStringLiteral("10)");
    axis.minimum = 0;
    axis.maximum = 100;
    return axis;
}

OverviewLook overviewLook()
{
    OverviewLook look;
    look.font = QFont(QStringLiteral("Arial"));
    look.font.setPixelSize(11);
    look.background = QColor(240, 240, 240);
    look.plotBackground = QColor(252, 236, 207); // the chart's back wall
    look.text = QColor(0, 0, 100);
    look.grid = QColor(185, 185, 255);
    look.midnight = QColor(0, 0, 128);
    look.emptyText = QStringLiteral("No log loaded");
    return look;
}

std::vector<int> overviewLegendOrder()
{
    return {2, 3, 4, 0, 1, 5};
}

void configureOverview(OverviewWidget &widget)
{
    widget.setSeries(overviewSeriesStyles());
    widget.setAxes(overviewLeftAxis(), overviewRightAxis());
    widget.look() = overviewLook();
    widget.look().legend = false; // the window's check boxes name the series
}

std::vector<OverviewSpan> spanShades(const std::vector<OutOfRangeSpan> &spans)
{
    std::vector<OverviewSpan> shades;
    shades.reserve(spans.size());
    for (const OutOfRangeSpan &s : spans)
        shades.push_back({double(s.first), double(s.last + 1), QColor(220, 0, 0, 45)});
    return shades;
}

OverviewSpan pageMarker(double firstRecord, double endRecord)
{
    return {firstRecord, endRecord, QColor(0, 0, 160, 40), QColor(0, 0, 160)};
}

OverviewSpan rowsMarker(double firstRecord, double endRecord)
{
    return {firstRecord, endRecord, QColor(0, 140, 0, 40), QColor(0, 120, 0)};
}

OverviewLayout logOverviewLayout(const LogOverviewData &data, const QRectF &rectangle,
                                 const std::vector<OverviewSeriesStyle> &series)
{
    return layoutOverview(series, overviewLeftAxis(), overviewRightAxis(), overviewLook(), *data.summary, data.time,
                          {}, rectangle);
}

void paintLogOverview(QPainter &painter, const QRectF &rectangle, const LogOverviewData &data,
                      const std::vector<OutOfRangeSpan> &spans, const std::vector<OverviewSeriesStyle> &series,
                      int maxColumns)
{
    const OverviewLook look = overviewLook();
    const OverviewLayout layout = logOverviewLayout(data, rectangle, series);
    OverviewPicture picture;
    picture.series = &series;
    picture.look = &look;
    picture.summary = data.summary.get();
    picture.shades = spanShades(spans);
    picture.maxColumns = maxColumns;
    paintOverview(painter, layout, picture);
}

void writeOverviewPng(const LogStore &store, const Limits &limits, const QSize &size, const QString &path)
{
    const LogOverviewData data = buildLogOverview(store);
    const std::vector<OutOfRangeSpan> spans = findOutOfRangeSpans(store.data(), store.count(), limits);
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        paintLogOverview(painter, QRectF(QPointF(0, 0), QSizeF(size)), data, spans);
    }
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG"))
        throw UserError(QStringLiteral("Cannot draw the overview image %1").arg(path));
    OutputFile file(path);
    if (!file.open())
        throw UserError(QStringLiteral("Cannot Create file ") + path);
    if (!file.write(png.constData(), std::size_t(png.size())) || !file.commit())
        throw UserError(QStringLiteral("Error writing file %1: %2").arg(path, file.errorString()));
}

} // namespace sorvant
