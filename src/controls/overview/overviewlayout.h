#pragma once

#include "overviewsummary.h"

#include <QColor>
#include <QFont>
#include <QRectF>
#include <QString>

#include <cstddef>
#include <vector>

class QFontMetricsF;

enum class OverviewAxisSide { Left, Right };

struct OverviewSeriesStyle {
    QString title;
    QColor colour;
    OverviewAxisSide axis = OverviewAxisSide::Left;
    bool visible = true;
};

// A vertical scale: from `minimum` to `maximum`, or to the largest value of
// its visible series over all points when `automaticMaximum` is set.
struct OverviewAxisStyle {
    QString title;
    double minimum = 0;
    double maximum = 100;
    bool automaticMaximum = false;
};

// The time of the points: they follow each other at `secondsPerPoint`, a
// new day starts at each of `dayStarts` (points of days 2, 3, ...) and a new
// hour of the day at each of `hourStarts`.
struct OverviewTimeAxis {
    struct HourStart {
        std::size_t point;
        int hour;
    };
    double secondsPerPoint = 1;
    std::vector<std::size_t> dayStarts;
    std::vector<HourStart> hourStarts;
};

// A run of points drawn across the whole height of the plot: a marker (with
// an outline) or a shaded span (without).
struct OverviewSpan {
    double first = 0; // points; `end` is one past the last
    double end = 0;
    QColor fill;
    QColor outline = Qt::transparent;
};

struct OverviewLook {
    QFont font;
    QColor background = Qt::white;
    QColor plotBackground = Qt::white;
    QColor text = Qt::black;
    QColor grid = QColor(220, 220, 220);
    QColor midnight = QColor(90, 90, 90);
    QColor frame = QColor(120, 120, 120);
    // Alpha of the min-to-max band; the mean line is opaque.
    int bandAlpha = 110;
    QString dayLabel = QStringLiteral("Day %1");
    QString emptyText; // drawn in an empty plot
    bool legend = true;
};

// The part of the points shown: [first, end); an empty range is all of them.
struct OverviewViewRange {
    double first = 0;
    double end = 0;
    bool isWhole() const { return end <= first; }
};

// Where everything of one overview picture goes, computed from data, options
// and a target rectangle; the painter only draws it.
struct OverviewLayout {
    QRectF outer;
    QRectF plot;
    double first = 0, end = 1; // points shown
    double leftMin = 0, leftMax = 1, rightMin = 0, rightMax = 100;
    struct Label {
        QPointF at; // the text's reference point
        QString text;
        Qt::Alignment align;
    };
    std::vector<Label> leftLabels, rightLabels, timeLabels;
    std::vector<double> leftGrid, rightGrid; // y of each value label
    std::vector<double> midnights;           // x of each new day in view
    std::vector<double> hourTicks;           // x of each labelled hour
    struct LegendItem {
        QRectF swatch;
        Label label;
        QColor colour;
    };
    std::vector<LegendItem> legend;
    QString leftTitle, rightTitle;
    QRectF leftTitleBox, rightTitleBox;
    bool empty = true;

    double xOf(double point) const;
    double pointAt(double x) const;
    double yOf(OverviewAxisSide side, double value) const;
};

OverviewLayout layoutOverview(const std::vector<OverviewSeriesStyle> &series, const OverviewAxisStyle &left,
                              const OverviewAxisStyle &right, const OverviewLook &look,
                              const OverviewSummary &summary, const OverviewTimeAxis &time,
                              const OverviewViewRange &view, const QRectF &rect);

// "1, 2, 5 x 10^k" step for about `wanted` labels over `span`.
double overviewNiceStep(double span, int wanted);
