#pragma once

#include "chartmodel.h"

#include <QFont>
#include <QLineF>
#include <QPolygonF>
#include <QRectF>
#include <QString>

#include <cstddef>
#include <vector>

// Maps axis values to pixels along one direction.
struct ChartAxisMap {
    double minimum = 0, maximum = 1;
    double startPx = 0, endPx = 1; // pixel of minimum and of maximum
    double toPixel(double v) const { return startPx + (v - minimum) * (endPx - startPx) / (maximum - minimum); }
    double toValue(double px) const { return minimum + (px - startPx) * (maximum - minimum) / (endPx - startPx); }
};

// The head-on perspective of the 3D view: depth recedes towards the centre
// of the plot; the whole scene is then zoomed and shifted.
struct ChartProjection {
    bool enabled = false;
    QPointF centre;
    double focal = 1;
    double zoom = 1;
    QPointF shift;
    QPointF map(const QPointF &p, double z = 0) const
    {
        if (!enabled)
            return p;
        const double k = focal / (focal + z) * zoom;
        return centre + (p - centre) * k + shift;
    }
    QPointF unmapFront(const QPointF &q) const { return enabled ? centre + (q - shift - centre) / zoom : q; }
};

struct ChartText {
    QRectF rect;
    QString text;
    QFont font;
    QColor colour;
    int angle = 0; // the text is drawn rotated about the centre of rect
    bool visible() const { return !text.isEmpty(); }
};

struct ChartAxisLayout {
    bool visible = false;
    ChartAxisMap map;
    double labelStep = 0; // 0 when the labels are the points' own texts
    std::vector<double> labelValues;
    std::vector<ChartText> labels;
    std::vector<QLineF> ticks, minorTicks, grid, minorGrid;
    QLineF line;
    ChartText title;
};

struct ChartSeriesLayout {
    int series = 0;
    // First and last point index laid out: the points within the bottom
    // axis range and one beside each end.
    std::size_t first = 0, last = 0;
    // Runs of joined points (a null point breaks a run); in 3D `back` holds
    // the same runs at the back of the ribbon.
    std::vector<QPolygonF> front, back;
    bool ribbon = false;
    QRectF clip; // the plot at the series' depth

};

struct ChartMarkLayout {
    int series = 0;
    std::size_t point = 0;
    QPointF anchor; // the point, on screen
    QRectF rect;    // where the mark is drawn, drag offset included
    QString text;
};

struct ChartLegendItem {
    int series = 0;
    bool checked = true;
    QRectF rect; // the whole clickable item
    QRectF box;
    QLineF line;
    QRectF textRect;
    QString text;
};

// Everything the painter draws, in pixels of a chart of `size`.
struct ChartLayout {
    QSizeF size;
    QRectF outer;
    QRectF plot;       // the front of the plot before the 3D projection
    QRectF frontPlane; // the front of the plot on screen
    ChartProjection projection;
    double depth = 0;  // total 3D depth in pixels
    QPolygonF backWall, leftWall, bottomWall;
    QRectF leftWallEdge, bottomWallEdge; // the walls' thickness at the front
    ChartText title;
    ChartAxisLayout left, right, bottom;
    int page = 1, numPages = 1;
    std::vector<ChartSeriesLayout> series;
    std::vector<ChartMarkLayout> marks;
    QRectF legendRect;
    std::vector<ChartLegendItem> legend;

    const ChartAxisLayout &axisFor(ChartAxisId id) const { return id == ChartAxisId::Right ? right : left; }
    // Legend item or mark under a point; -1 when there is none.
    int legendItemAt(const QPointF &p) const;
    int markAt(const QPointF &p) const; // the mark drawn last wins
};

// Lays the chart out for a target of `size` pixels.
ChartLayout layoutChart(const ChartModel &chart, const QSizeF &size);

// Smallest label step from `start` on, growing through 1, 2, 5 times a power
// of ten, whose labels at its multiples within [min, max] number at most `fits`.
double fitLabelStep(double minimum, double maximum, double start, int fits);
// How many labels fit along `lengthPx`: the length over 110 % of a label's height.
int labelsThatFit(double lengthPx, double labelHeight);
