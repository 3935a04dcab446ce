#pragma once

#include "chartseries.h"

#include <QColor>
#include <QFont>
#include <QLocale>
#include <QObject>
#include <QPointF>
#include <QRectF>
#include <QSizeF>

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QPainter;
class QRect;

struct ChartLayout;

enum class ChartAxisId { Left = 0, Right = 1, Top = 2, Bottom = 3 };
constexpr int kChartAxisCount = 4;

// What one axis shows: a range given by the data (automatic) or set by a
// zoom or pan.
struct ChartAxisScale {
    bool automatic = true;
    double minimum = 0.0;
    double maximum = 0.0;
    bool operator==(const ChartAxisScale &o) const
    {
        return automatic == o.automatic && (automatic || (minimum == o.minimum && maximum == o.maximum));
    }
    bool operator!=(const ChartAxisScale &o) const { return !(*this == o); }
};
using ChartScales = std::array<ChartAxisScale, kChartAxisCount>;

struct ChartAxisStyle {
    bool visible = true;
    QString title;
    QFont titleFont;
    QColor titleColour = Qt::black;
    int titleAngle = 0; // 90: reads upwards, 270: reads downwards
    QFont labelFont;
    QColor labelColour = Qt::black;
    QString labelFormat = QStringLiteral("0");
    // First label step tried; 0 lets the axis choose one from its range.
    double labelIncrement = 0.0;
    // Labels start at the range's minimum instead of a multiple of the step.
    bool labelsFromMinimum = false;
    // When a zoom leaves no point label in view, the axis ends are labelled
    // with the text this gives for the place `fraction` of the way from the
    // point before the range to the one after it (0 at the first, 1 at the
    // second); empty: the two points' own labels.
    std::function<QString(const QString &before, const QString &after, double fraction)> labelBetweenPoints;
    // An automatic end either follows the data or stays at its fixed value.
    bool automaticMinimum = true;
    bool automaticMaximum = true;
    double fixedMinimum = 0.0;
    double fixedMaximum = 0.0;
    // Pixels kept free beyond the range's ends.
    double minimumOffset = 0.0;
    double maximumOffset = 0.0;
    QColor axisColour = Qt::black;
    int axisWidth = 1;
    int tickLength = 4;
    bool gridVisible = false;
    QColor gridColour = Qt::gray;
    Qt::PenStyle gridStyle = Qt::DotLine;
    bool minorGridVisible = false;
    QColor minorGridColour = Qt::lightGray;
    int minorTickCount = 0;
};

struct ChartAppearance {
    QString title;
    QFont titleFont;
    QColor titleColour = Qt::black;
    QColor titleShadowColour = Qt::gray;
    QPointF titleShadowOffset;
    QColor gradientStart = Qt::white, gradientMiddle = Qt::white, gradientEnd = Qt::white;
    int bevelWidth = 0;
    // Percent of the chart's size.
    double marginTop = 0, marginRight = 0, marginBottom = 0, marginLeft = 0;
    QColor backWall = Qt::white;
    QColor leftWall = Qt::white;
    QColor bottomWall = Qt::white;
    int wallSize = 5;
    QFont legendFont;
    QColor legendText = Qt::black;
    QColor legendTop = Qt::white, legendMiddle = Qt::white, legendBottom = Qt::white;
    QColor legendDivider = Qt::lightGray;
    QColor legendShadow = QColor(128, 128, 128, 128);
    QPointF legendShadowOffset{4, 5};
    QFont markFont;
    QColor markBackground = QColor(255, 255, 225);
    QColor markFrame = Qt::black;
    QColor markText = Qt::black;
    // 3D view: depth in percent of the plot width, perspective in percent
    // (larger is flatter), zoom in percent and a shift of the whole scene.
    double depthPercent = 25;
    double perspective = 200;
    double zoomPercent = 80;
    QPointF shift3D{-14, -14};
};

// A line series of the chart: its points plus how it is drawn.
class TLineSeries : public ChartSeries
{
public:
    using ChartSeries::ChartSeries;
    QColor seriesColour; // the line, legend line and ribbon face
    QColor penColour;    // the ribbon's outline in 3D
    int penWidth = 1;
    ChartAxisId verticalAxis = ChartAxisId::Left;
    QString valueFormat = QStringLiteral("0");
    bool visible = true;
    bool marksVisible = false;
    // Ribbon depth as a share of the series' 3D slot; 0 draws a flat line.
    double depth = 1.0;
};

// The general-purpose line chart without its widget: series, axes, paging,
// zoom and pan. The layout and painter draw it onto any QPainter, so the
// widget, printing and image export show the same picture.
class ChartModel : public QObject
{
    Q_OBJECT
public:
    explicit ChartModel(QObject *parent = nullptr);
    ~ChartModel() override;

    // Adds a series at the end of the drawing order. Without a colour it
    // takes the first palette colour no series of the chart uses yet.
    TLineSeries &addSeries(const QString &title, std::optional<QColor> colour = std::nullopt);
    int seriesCount() const { return static_cast<int>(m_series.size()); }
    TLineSeries &series(int i) { return *m_series[static_cast<std::size_t>(i)]; }
    const TLineSeries &series(int i) const { return *m_series[static_cast<std::size_t>(i)]; }
    static const std::vector<QColor> &pastelPalette();

    ChartAxisStyle &axis(ChartAxisId id) { return m_axes[static_cast<std::size_t>(id)]; }
    const ChartAxisStyle &axis(ChartAxisId id) const { return m_axes[static_cast<std::size_t>(id)]; }
    ChartAppearance &appearance() { return m_appearance; }
    const ChartAppearance &appearance() const { return m_appearance; }

    QLocale locale() const { return m_locale; }
    void setLocale(const QLocale &locale);

    // Paging.
    int MaxPointsPerPage() const { return m_maxPointsPerPage; }
    void setMaxPointsPerPage(int points);
    bool ScaleLastPage() const { return m_scaleLastPage; }
    void setScaleLastPage(bool scale);
    int Page() const { return m_page; }
    // Kept within 1 to NumPages(); emits pageChanged when it changes.
    void setPage(int page);
    int NumPages() const;
    // The page the axes show: Page(), or the last page when the data shrank.
    int shownPage() const;
    // The points of `shownPage()` of the series that sets the page count:
    // index of its first point and how many it holds (0 when there are none).
    std::pair<std::size_t, std::size_t> pagePoints() const;

    bool View3D() const { return m_view3D; }
    void setView3D(bool on);
    void setSeriesVisible(int series, bool visible);
    void toggleSeries(int series) { setSeriesVisible(series, !this->series(series).visible); }
    void setMarksVisible(bool visible); // for every series
    bool marksVisible() const;

    // The range each axis shows now (automatic or zoomed).
    ChartAxisScale effectiveScale(ChartAxisId id) const;
    ChartScales scales() const { return m_scales; }
    bool isZoomed() const { return m_saved.has_value(); }

    // Sets all four axes to `target` in `steps` equal moves, calling
    // `afterStep` after each (the widget repaints there). Saves the scales
    // first unless a zoom or pan already did.
    void zoomTo(const ChartScales &target, int steps = 1, const std::function<void()> &afterStep = {});
    // Zooms all four axes to a rectangle of the chart as laid out at viewSize().
    void ZoomRect(const QRectF &pixels, int steps = 1, const std::function<void()> &afterStep = {});
    // Restores the scales saved before the first zoom or pan.
    void UndoZoom();
    // Shifts the horizontal axes by a mouse movement of `dx` pixels.
    void panPixels(double dx);

    // The size the chart is laid out at on screen; printing stretches that
    // picture. Empty until a widget sets it.
    QSizeF viewSize() const { return m_viewSize; }
    void setViewSize(const QSizeF &size) { m_viewSize = size; }
    ChartLayout layout(const QSizeF &size) const;
    // Draws the chart as it shows now, stretched to fill `rectangle`.
    void PrintPartial(QPainter &painter, const QRect &rectangle) const;

    // Call after the series' points changed outside the chart (a load).
    void dataChanged() { emit changed(); }

    // Per-series facts over all points, cached by series revision.
    struct SeriesStats {
        std::uint64_t revision = ~std::uint64_t(0);
        bool sortedByX = true;
        bool hasValue = false;
        double minY = 0, maxY = 0;
    };
    const SeriesStats &stats(int series) const;

signals:
    void changed();
    void pageChanged(int page);
    void scalesChanged();

private:
    void saveScalesOnce();
    void setScales(const ChartScales &scales);

    std::vector<std::unique_ptr<TLineSeries>> m_series;
    std::array<ChartAxisStyle, kChartAxisCount> m_axes;
    ChartAppearance m_appearance;
    QLocale m_locale;
    int m_maxPointsPerPage = 0;
    bool m_scaleLastPage = true;
    int m_page = 1;
    bool m_view3D = false;
    ChartScales m_scales;
    std::optional<ChartScales> m_saved;
    QSizeF m_viewSize;
    mutable std::vector<SeriesStats> m_stats;
};

// A number in a format such as "0", "0.0" or "#,##0.###".
QString formatChartValue(double value, const QString &format, const QLocale &locale);
