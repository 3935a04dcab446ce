#pragma once

#include "controls/chart/chartmodel.h"
#include "controls/chart/chartscrollbar.h"
#include "controls/chart/datachart.h"
#include "logdata/sinks.h"

#include <QObject>
#include <QPointer>
#include <QSize>

#include <array>
#include <memory>
#include <vector>

class QGuiApplication;
class QImage;
class QPainter;
class QRect;
class QScrollBar;
class QWidget;

namespace sorvant {

constexpr int kChartPointsPerPage = 12;
constexpr int kChartScrollBarHeight = 17;

// Chart position (drawing and legend order) of Series1 to Series6.
constexpr std::array<int, kSeriesCount> kChartPositionOfSeries = {3, 4, 0, 1, 2, 5};

// Sorvant's `Chart`: the six series of the series table in their order,
// axes, paging and looks. Fonts come from the system's font configuration.
void configureChart(ChartModel &chart);
// The time of day `fraction` of the way from the point labelled `before` to
// the one labelled `after` (time texts "H:MM"), for the axis ends of a zoom
// between two points; a text that is not a time of day is given back as it is.
QString timeBetweenPoints(const QString &before, const QString &after, double fraction);
// The fixed points a chart shows before the first load (three pages).
void setPlaceholderPoints(ChartModel &chart);
// Makes the Tahoma face of the axis labels resolve (see platform/fonts.h);
// once per process, for tools that show the chart without the main window
// (which registers them itself); does nothing without a QGuiApplication.
void registerChartFonts();

// The load's view of the chart's own series (index 0 is Series1).
class ChartSeriesSink : public SeriesSink
{
public:
    explicit ChartSeriesSink(ChartModel &chart) : m_chart(chart) {}
    TLineSeries &series(int seriesIndex)
    {
        return m_chart.series(kChartPositionOfSeries[static_cast<std::size_t>(seriesIndex)]);
    }
    void Clear(int seriesIndex) override { series(seriesIndex).Clear(); }
    void AddXY(int seriesIndex, double x, double y, std::string_view labelUtf8) override
    {
        series(seriesIndex).AddXY(x, y, labelUtf8);
    }

private:
    ChartModel &m_chart;
};

// The chart view: `Chart` and its page scroll bar `ChartScrollBar1`, both
// children of `parent` and hidden at start.
class ChartView : public QObject
{
    Q_OBJECT
public:
    explicit ChartView(QWidget *parent);
    ~ChartView() override;

    QWidget *chartWidget() const;
    TDataChart *chart() const { return m_widget; }
    ChartModel &model() { return m_model; }
    const ChartModel &model() const { return m_model; }
    QScrollBar *scrollBar() const;
    TChartScrollBar *pageScrollBar() const { return m_scrollBar; }
    SeriesSink &seriesSink() { return m_sink; }

    // The closing step of a load and of every view switch: the scroll bar
    // takes the chart's page count and page (the page drops to the new last
    // one when the log got shorter).
    void RecalcPosition();

    void setMarkersVisible(bool visible) { m_model.setMarksVisible(visible); }
    bool markersVisible() const { return m_model.marksVisible(); }
    void setView3D(bool on) { m_model.setView3D(on); }
    bool isView3D() const { return m_model.View3D(); }
    void PrintPartial(QPainter &painter, const QRect &rectangle) const { m_model.PrintPartial(painter, rectangle); }

private:
    ChartModel m_model;
    ChartSeriesSink m_sink{m_model};
    QPointer<TDataChart> m_widget;
    QPointer<TChartScrollBar> m_scrollBar;
};

// The chart's size in the main window at its designed size: what a chart
// printout made without a window is laid out at, so its texts and lines
// stand in the proportions a Print from the window gives.
constexpr QSize kWindowChartSize(925, 606);

// What a chart image shows.
struct ChartImageRequest {
    int page = 1;
    QSize size{1200, 800};
    bool view3D = false;
    bool markers = false;
    std::vector<int> hiddenSeries; // 1 is Series1 ... 6 is Series6
};

// Sorvant's chart without a window, for tools: the load fills it through
// seriesSink(), then one page is drawn through PrintPartial. Needs a
// QGuiApplication (see ensureGuiApplication()).
class ChartImageExport
{
public:
    ChartImageExport();
    SeriesSink &seriesSink() { return m_sink; }
    ChartModel &model() { return m_model; }
    // Sets the chart up as the request asks (series, 3D, markers, page, the
    // size it is seen at) without drawing. Throws UserError for a page the
    // chart does not have.
    void apply(const ChartImageRequest &request);
    // Applies the request and draws the page into `image`; returns what was
    // laid out. Throws UserError for a page the chart does not have.
    ChartLayout render(const ChartImageRequest &request, QImage &image);
    // Renders and writes a PNG file as a whole. Throws UserError.
    void writePng(const ChartImageRequest &request, const QString &path);

private:
    ChartModel m_model;
    ChartSeriesSink m_sink{m_model};
};

// The application object drawing text needs, made only when none exists:
// on the offscreen platform when there is no display. Null otherwise.
std::unique_ptr<QGuiApplication> ensureGuiApplication();

} // namespace sorvant
