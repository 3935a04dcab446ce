#include "chartlayout.h"

#include <QFontMetricsF>

#include <algorithm>
#include <cmath>
#include <optional>

namespace {

constexpr double kHuge = 1e7; // pixel coordinates beyond this are clamped

double clampPx(double v) { return std::clamp(v, -kHuge, kHuge); }

// Cuts the segment a-b to the rectangle (Liang-Barsky). False when no part
// of it lies inside; an end inside is kept exactly as it was.
bool clipSegment(const QRectF &r, QPointF &a, QPointF &b)
{
    const double dx = b.x() - a.x(), dy = b.y() - a.y();
    double t0 = 0, t1 = 1;
    const auto edge = [&](double p, double q) {
        if (p == 0)
            return q >= 0;
        const double t = q / p;
        if (p < 0) {
            if (t > t1)
                return false;
            t0 = std::max(t0, t);
        } else {
            if (t < t0)
                return false;
            t1 = std::min(t1, t);
        }
        return true;
    };
    if (!edge(-dx, a.x() - r.left()) || !edge(dx, r.right() - a.x()) || !edge(-dy, a.y() - r.top())
        || !edge(dy, r.bottom() - a.y()))
        return false;
    const QPointF start = a;
    if (t1 < 1)
        b = start + QPointF(dx, dy) * t1;
    if (t0 > 0)
        a = start + QPointF(dx, dy) * t0;
    return true;
}

// The next step of the 1, 2, 5 times a power of ten sequence.
double nextNiceStep(double step)
{
    const double p = std::pow(10.0, std::floor(std::log10(step) + 1e-9));
    const double m = step / p;
    if (m < 1.5)
        return 2 * p;
    if (m < 3.5)
        return 5 * p;
    return 10 * p;
}

// The smallest 1, 2, 5 step not below `v`.
double niceStepAtLeast(double v)
{
    if (!(v > 0) || !std::isfinite(v))
        return 1;
    const double p = std::pow(10.0, std::floor(std::log10(v)));
    for (double m : {1.0, 2.0, 5.0, 10.0})
        if (m * p >= v * (1 - 1e-12))
            return m * p;
    return 10 * p;
}

double labelCount(double minimum, double maximum, double step)
{
    return std::floor(maximum / step + 1e-9) - std::ceil(minimum / step - 1e-9) + 1;
}

// Ensures a usable range: an empty or inverted one is opened upwards.
void openRange(double &minimum, double &maximum)
{
    if (!std::isfinite(minimum))
        minimum = 0;
    if (!std::isfinite(maximum) || !(maximum > minimum))
        maximum = minimum + 1;
}

struct Texts {
    const ChartModel &chart;
    QString format(double v, const QString &fmt) const { return formatChartValue(v, fmt, chart.locale()); }
};

// Labels at the multiples of a fitted step for a vertical axis.
std::vector<double> verticalLabelValues(const ChartAxisStyle &style, const ChartAxisMap &map, double lengthPx,
                                        double labelHeight, double &stepOut)
{
    const double range = map.maximum - map.minimum;
    const double start = style.labelIncrement > 0 ? style.labelIncrement : niceStepAtLeast(range / 1000.0);
    const double step = fitLabelStep(map.minimum, map.maximum, start, labelsThatFit(lengthPx, labelHeight));
    stepOut = step;
    std::vector<double> values;
    for (double k = std::ceil(map.minimum / step - 1e-9); k * step <= map.maximum + step * 1e-9; k += 1) {
        values.push_back(k * step == 0 ? 0.0 : k * step);
        if (values.size() > 10000)
            break;
    }
    return values;
}

} // namespace

int labelsThatFit(double lengthPx, double labelHeight)
{
    if (!(labelHeight > 0))
        return 1;
    return std::max(1, static_cast<int>(std::lround(lengthPx / (labelHeight * 1.1))));
}

double fitLabelStep(double minimum, double maximum, double start, int fits)
{
    double step = start > 0 && std::isfinite(start) ? start : 1;
    if (!(maximum >= minimum) || !std::isfinite(maximum - minimum))
        return step;
    // A step wider than the range leaves at most one label, which always fits.
    while (labelCount(minimum, maximum, step) > std::max(1, fits) && step <= (maximum - minimum) * 2 + 1)
        step = nextNiceStep(step);
    return step;
}

int ChartLayout::legendItemAt(const QPointF &p) const
{
    for (std::size_t i = 0; i < legend.size(); ++i)
        if (legend[i].rect.contains(p))
            return static_cast<int>(i);
    return -1;
}

int ChartLayout::markAt(const QPointF &p) const
{
    for (std::size_t i = marks.size(); i-- > 0;)
        if (marks[i].rect.contains(p))
            return static_cast<int>(i);
    return -1;
}

ChartLayout layoutChart(const ChartModel &chart, const QSizeF &size)
{
    ChartLayout L;
    L.size = size;
    L.outer = QRectF(QPointF(0, 0), size);
    L.page = chart.shownPage();
    L.numPages = chart.NumPages();
    const ChartAppearance &ap = chart.appearance();
    const Texts texts{chart};
    const double w = size.width(), h = size.height();

    QRectF area = L.outer.adjusted(ap.bevelWidth, ap.bevelWidth, -ap.bevelWidth, -ap.bevelWidth);
    area.adjust(w * ap.marginLeft / 100, h * ap.marginTop / 100, -w * ap.marginRight / 100,
                -h * ap.marginBottom / 100);

    // Title, one line at the top.
    if (!ap.title.isEmpty()) {
        const QFontMetricsF fm(ap.titleFont);
        const double th = fm.height() + 4;
        L.title = {QRectF(area.left(), area.top(), area.width(), th), ap.title, ap.titleFont, ap.titleColour, 0};
        area.setTop(area.top() + th);
    }

    // Legend under the plot, in rows as wide as the chart allows.
    {
        const QFontMetricsF fm(ap.legendFont);
        const double rowH = std::ceil(fm.height()) + 6;
        const double box = std::max(8.0, std::ceil(fm.height()) - 2);
        const double lineLen = 16, pad = 6, gap = 4;
        struct Pending { int series; double width; };
        std::vector<std::vector<Pending>> rows(1);
        std::vector<double> rowWidths(1, 0);
        const double maxW = std::max(40.0, area.width() - 20);
        for (int i = 0; i < chart.seriesCount(); ++i) {
            const double iw = pad + box + gap + lineLen + gap + fm.horizontalAdvance(chart.series(i).title()) + pad;
            if (!rows.back().empty() && rowWidths.back() + iw > maxW) {
                rows.emplace_back();
                rowWidths.push_back(0);
            }
            rows.back().push_back({i, iw});
            rowWidths.back() += iw;
        }
        if (chart.seriesCount() > 0) {
            const double legendW = *std::max_element(rowWidths.begin(), rowWidths.end());
            const double legendH = rowH * static_cast<double>(rows.size()) + 4;
            const double bottom = area.bottom() - ap.legendShadowOffset.y() - 3;
            L.legendRect = QRectF(area.center().x() - legendW / 2, bottom - legendH, legendW, legendH);
            for (std::size_t r = 0; r < rows.size(); ++r) {
                double x = area.center().x() - rowWidths[r] / 2;
                const double y = L.legendRect.top() + 2 + rowH * static_cast<double>(r);
                for (const Pending &p : rows[r]) {
                    ChartLegendItem item;
                    item.series = p.series;
                    item.checked = chart.series(p.series).visible;
                    item.text = chart.series(p.series).title();
                    item.rect = QRectF(x, y, p.width, rowH);
                    item.box = QRectF(x + pad, y + (rowH - box) / 2, box, box);
                    const double lx = item.box.right() + gap;
                    item.line = QLineF(lx, y + rowH / 2, lx + lineLen, y + rowH / 2);
                    item.textRect = QRectF(lx + lineLen + gap, y, p.width - (lx + lineLen + gap - x), rowH);
                    L.legend.push_back(item);
                    x += p.width;
                }
            }
            area.setBottom(L.legendRect.top() - 4);
        }
    }

    const ChartAxisStyle &bs = chart.axis(ChartAxisId::Bottom);
    const ChartAxisStyle &ls = chart.axis(ChartAxisId::Left);
    const ChartAxisStyle &rs = chart.axis(ChartAxisId::Right);
    const QFontMetricsF bfm(bs.labelFont), lfm(ls.labelFont), rfm(rs.labelFont);
    const double zoom3D = chart.View3D() ? ap.zoomPercent / 100 : 1.0;

    const double plotTop = area.top() + std::max(lfm.height(), rfm.height()) / 2 + 2;
    double bottomExtent = 2;
    if (bs.visible)
        bottomExtent += bs.tickLength + 2 + bfm.height()
            + (bs.title.isEmpty() ? 0 : QFontMetricsF(bs.titleFont).height() + 2);
    const double plotBottom = std::max(plotTop + 10, area.bottom() - bottomExtent);
    const double plotHeight = plotBottom - plotTop;

    // Vertical axes: range, map and labels; their widths set the plot's sides.
    const auto verticalAxis = [&](ChartAxisId id, const ChartAxisStyle &style, const QFontMetricsF &fm,
                                  ChartAxisLayout &out) {
        out.visible = style.visible;
        ChartAxisScale sc = chart.effectiveScale(id);
        openRange(sc.minimum, sc.maximum);
        out.map = {sc.minimum, sc.maximum, plotBottom - style.minimumOffset, plotTop + style.maximumOffset};
        double width = 0;
        if (!style.visible)
            return width;
        const auto values = verticalLabelValues(style, out.map, plotHeight * zoom3D, fm.height(), out.labelStep);
        for (double v : values) {
            const QString t = texts.format(v, style.labelFormat);
            width = std::max(width, fm.horizontalAdvance(t));
            out.labelValues.push_back(v);
            out.labels.push_back({QRectF(), t, style.labelFont, style.labelColour, 0});
        }
        double extent = style.tickLength + 4 + width + 4;
        if (!style.title.isEmpty()) {
            const QFontMetricsF tfm(style.titleFont);
            out.title = {QRectF(0, 0, tfm.horizontalAdvance(style.title) + 2, tfm.height()), style.title,
                         style.titleFont, style.titleColour, style.titleAngle};
            extent += tfm.height() + 2;
        }
        return extent;
    };
    const double leftExtent = verticalAxis(ChartAxisId::Left, ls, lfm, L.left);
    const double rightExtent = verticalAxis(ChartAxisId::Right, rs, rfm, L.right);
    double plotLeft = area.left() + leftExtent;
    double plotRight = area.right() - rightExtent;
    if (plotRight < plotLeft + 10)
        plotRight = plotLeft + 10;
    L.plot = QRectF(QPointF(plotLeft, plotTop), QPointF(plotRight, plotBottom));

    if (chart.View3D()) {
        L.projection.enabled = true;
        L.projection.centre = L.plot.center();
        L.projection.focal = std::max(1.0, L.plot.width() * ap.perspective / 100);
        L.projection.zoom = zoom3D;
        L.projection.shift = ap.shift3D;
        L.depth = L.plot.width() * ap.depthPercent / 100;
    }
    const ChartProjection &pj = L.projection;
    L.frontPlane = QRectF(pj.map(L.plot.topLeft()), pj.map(L.plot.bottomRight()));
    const QRectF &fp = L.frontPlane;
    if (chart.View3D()) {
        const double d = L.depth;
        L.backWall = QPolygonF({pj.map(L.plot.topLeft(), d), pj.map(L.plot.topRight(), d),
                                pj.map(L.plot.bottomRight(), d), pj.map(L.plot.bottomLeft(), d)});
        L.leftWall = QPolygonF({pj.map(L.plot.topLeft()), pj.map(L.plot.topLeft(), d),
                                pj.map(L.plot.bottomLeft(), d), pj.map(L.plot.bottomLeft())});
        L.bottomWall = QPolygonF({pj.map(L.plot.bottomLeft()), pj.map(L.plot.bottomLeft(), d),
                                  pj.map(L.plot.bottomRight(), d), pj.map(L.plot.bottomRight())});
        L.leftWallEdge = QRectF(fp.left() - ap.wallSize, fp.top(), ap.wallSize, fp.height() + ap.wallSize);
        L.bottomWallEdge = QRectF(fp.left(), fp.bottom(), fp.width(), ap.wallSize);
    } else {
        L.backWall = QPolygonF(L.plot);
    }
    const double gridDepth = L.depth;
    const auto gridLine = [&](QPointF a, QPointF b) { return QLineF(pj.map(a, gridDepth), pj.map(b, gridDepth)); };

    // Place the vertical axes' labels, ticks, grids and titles.
    const auto placeVertical = [&](const ChartAxisStyle &style, const QFontMetricsF &fm, ChartAxisLayout &out,
                                   bool leftSide) {
        if (!style.visible)
            return;
        const double edge = leftSide ? fp.left() : fp.right();
        const double dir = leftSide ? -1 : 1;
        out.line = QLineF(edge, fp.top(), edge, fp.bottom());
        double labelsWidth = 0;
        for (std::size_t i = 0; i < out.labels.size(); ++i) {
            const double y = pj.map(QPointF(L.plot.left(), out.map.toPixel(out.labelValues[i]))).y();
            const double tw = fm.horizontalAdvance(out.labels[i].text) + 1;
            labelsWidth = std::max(labelsWidth, tw);
            const double x0 = edge + dir * (style.tickLength + 2);
            out.labels[i].rect = leftSide ? QRectF(x0 - tw, y - fm.height() / 2, tw, fm.height())
                                          : QRectF(x0, y - fm.height() / 2, tw, fm.height());
            out.ticks.emplace_back(edge, y, edge + dir * style.tickLength, y);
            if (style.gridVisible) {
                const double py = out.map.toPixel(out.labelValues[i]);
                out.grid.push_back(gridLine(QPointF(L.plot.left(), py), QPointF(L.plot.right(), py)));
            }
        }
        if (out.title.visible()) {
            const double th = out.title.rect.height();
            const double cx = edge + dir * (style.tickLength + 4 + labelsWidth + 4 + th / 2);
            const double tw = out.title.rect.width();
            out.title.rect = QRectF(cx - tw / 2, fp.center().y() - th / 2, tw, th);
        }
    };
    placeVertical(ls, lfm, L.left, true);
    placeVertical(rs, rfm, L.right, false);

    // Bottom axis.
    ChartAxisScale bsc = chart.effectiveScale(ChartAxisId::Bottom);
    openRange(bsc.minimum, bsc.maximum);
    L.bottom.visible = bs.visible;
    L.bottom.map = {bsc.minimum, bsc.maximum, L.plot.left() + bs.minimumOffset, L.plot.right() - bs.maximumOffset};
    const double xMin = bsc.minimum, xMax = bsc.maximum;
    const double eps = (xMax - xMin) * 1e-9;

    // The visible points of each series: found by bisection when X rises.
    const auto visibleRange = [&](int si, std::size_t &i0, std::size_t &i1) {
        const TLineSeries &s = chart.series(si);
        const auto &xs = s.xValues();
        if (chart.stats(si).sortedByX) {
            i0 = static_cast<std::size_t>(std::lower_bound(xs.begin(), xs.end(), xMin - eps) - xs.begin());
            i1 = static_cast<std::size_t>(std::upper_bound(xs.begin(), xs.end(), xMax + eps) - xs.begin());
        } else {
            i0 = 0;
            i1 = xs.size();
        }
    };

    if (bs.visible) {
        const double labelTop = fp.bottom() + bs.tickLength + 2;
        const double axisY = fp.bottom();
        const auto screenX = [&](double x) { return pj.map(QPointF(L.bottom.map.toPixel(x), L.plot.bottom())).x(); };
        L.bottom.line = QLineF(fp.left(), axisY, fp.right(), axisY);
        int labelSeries = -1;
        for (int i = 0; i < chart.seriesCount() && labelSeries < 0; ++i)
            if (chart.series(i).visible && !chart.series(i).isEmpty())
                labelSeries = i;
        // Numbers stand in only for points that carry no labels at all; a
        // zoom between two labelled points labels the axis ends from the
        // neighbouring points instead of showing X values, which would read
        // as times.
        bool pointLabels = false;
        std::size_t i0 = 0, i1 = 0;
        if (labelSeries >= 0) {
            visibleRange(labelSeries, i0, i1);
            pointLabels = chart.series(labelSeries).hasLabels();
        }
        double lastRight = -kHuge;
        const auto addLabel = [&](double x, const QString &t) {
            const double px = screenX(x);
            const double tw = bfm.horizontalAdvance(t);
            const double half = tw * 1.2 / 2; // each label counts 20 % wider
            if (px - half < lastRight)
                return;
            lastRight = px + half;
            L.bottom.labelValues.push_back(x);
            L.bottom.labels.push_back({QRectF(px - tw / 2 - 1, labelTop, tw + 2, bfm.height()), t, bs.labelFont,
                                       bs.labelColour, 0});
        };
        if (pointLabels) {
            const TLineSeries &s = chart.series(labelSeries);
            for (std::size_t i = i0; i < i1; ++i) {
                const double x = s.x(i);
                if (x < xMin - eps || x > xMax + eps)
                    continue;
                const std::string_view l = s.labelUtf8(i);
                if (!l.empty())
                    addLabel(x, QString::fromUtf8(l.data(), static_cast<qsizetype>(l.size())));
            }
            if (L.bottom.labels.empty()) {
                // The nearest labelled points left of and right of the range.
                std::optional<std::size_t> before, after;
                const auto labelled = [&s](std::size_t i) { return !s.labelUtf8(i).empty(); };
                if (chart.stats(labelSeries).sortedByX) {
                    for (std::size_t i = i0; i-- > 0 && !before;)
                        if (labelled(i))
                            before = i;
                    for (std::size_t i = i1; i < s.count() && !after; ++i)
                        if (labelled(i))
                            after = i;
                } else {
                    for (std::size_t i = 0; i < s.count(); ++i) {
                        if (!labelled(i))
                            continue;
                        if (s.x(i) < xMin && (!before || s.x(i) > s.x(*before)))
                            before = i;
                        if (s.x(i) > xMax && (!after || s.x(i) < s.x(*after)))
                            after = i;
                    }
                }
                const auto text = [&s](std::size_t i) {
                    const std::string_view l = s.labelUtf8(i);
                    return QString::fromUtf8(l.data(), static_cast<qsizetype>(l.size()));
                };
                QString leftText, rightText;
                if (before && after && bs.labelBetweenPoints) {
                    const double x0 = s.x(*before), span = s.x(*after) - x0;
                    leftText = bs.labelBetweenPoints(text(*before), text(*after), (xMin - x0) / span);
                    rightText = bs.labelBetweenPoints(text(*before), text(*after), (xMax - x0) / span);
                } else {
                    // Without a way to read between them, each end shows
                    // the point beyond it.
                    if (before)
                        leftText = text(*before);
                    if (after)
                        rightText = text(*after);
                }
                // Inside the plot's ends, so that both read whole.
                const double leftPx = screenX(xMin), rightPx = screenX(xMax);
                double leftEdge = leftPx;
                if (!leftText.isEmpty()) {
                    const double tw = bfm.horizontalAdvance(leftText);
                    leftEdge = leftPx + tw * 1.2;
                    L.bottom.labelValues.push_back(xMin);
                    L.bottom.labels.push_back(
                        {QRectF(leftPx, labelTop, tw + 2, bfm.height()), leftText, bs.labelFont, bs.labelColour, 0});
                }
                if (!rightText.isEmpty() && rightText != leftText) {
                    const double tw = bfm.horizontalAdvance(rightText);
                    if (rightPx - tw * 1.2 >= leftEdge) {
                        L.bottom.labelValues.push_back(xMax);
                        L.bottom.labels.push_back({QRectF(rightPx - tw - 2, labelTop, tw + 2, bfm.height()), rightText,
                                                   bs.labelFont, bs.labelColour, 0});
                    }
                }
            }
        } else if (labelSeries >= 0) {
            const double pxPerUnit = (screenX(xMax) - screenX(xMin)) / (xMax - xMin);
            const double widest = std::max(bfm.horizontalAdvance(texts.format(xMin, bs.labelFormat)),
                                           bfm.horizontalAdvance(texts.format(xMax, bs.labelFormat)));
            // Never finer than the format shows: "0" needs whole steps.
            const qsizetype dot = bs.labelFormat.indexOf(QLatin1Char('.'));
            const double resolution = std::pow(10.0, -(dot < 0 ? 0.0 : static_cast<double>(bs.labelFormat.size() - dot - 1)));
            const double start = std::max(bs.labelIncrement, resolution);
            double step = niceStepAtLeast(std::max(start, widest * 1.2 / std::max(pxPerUnit, 1e-12)));
            if (start > 0)
                while (step * pxPerUnit < widest * 1.2)
                    step = nextNiceStep(step);
            L.bottom.labelStep = step;
            double v = bs.labelsFromMinimum ? xMin : std::ceil(xMin / step - 1e-9) * step;
            for (int n = 0; v <= xMax + eps && n < 10000; ++n, v += step)
                addLabel(v, texts.format(v, bs.labelFormat));
        }
        for (std::size_t i = 0; i < L.bottom.labelValues.size(); ++i) {
            const double v = L.bottom.labelValues[i];
            const double px = screenX(v);
            L.bottom.ticks.emplace_back(px, axisY, px, axisY + bs.tickLength);
            const double ux = L.bottom.map.toPixel(v);
            if (bs.gridVisible)
                L.bottom.grid.push_back(gridLine(QPointF(ux, L.plot.bottom()), QPointF(ux, L.plot.top())));
            if (i + 1 < L.bottom.labelValues.size() && bs.minorTickCount > 0) {
                const double next = L.bottom.labelValues[i + 1];
                for (int k = 1; k <= bs.minorTickCount; ++k) {
                    const double mv = v + (next - v) * k / (bs.minorTickCount + 1);
                    const double mpx = screenX(mv);
                    L.bottom.minorTicks.emplace_back(mpx, axisY, mpx, axisY + bs.tickLength / 2.0);
                    if (bs.minorGridVisible) {
                        const double mux = L.bottom.map.toPixel(mv);
                        L.bottom.minorGrid.push_back(
                            gridLine(QPointF(mux, L.plot.bottom()), QPointF(mux, L.plot.top())));
                    }
                }
            }
        }
        if (!bs.title.isEmpty()) {
            const QFontMetricsF tfm(bs.titleFont);
            const double tw = tfm.horizontalAdvance(bs.title) + 2;
            L.bottom.title = {QRectF(fp.center().x() - tw / 2, labelTop + bfm.height() + 2, tw, tfm.height()),
                              bs.title, bs.titleFont, bs.titleColour, 0};
        }
    }

    // Series and their marks; the last in order sits at the front in 3D.
    const int n = chart.seriesCount();
    const double slot = n > 0 ? L.depth / n : 0;
    const QFontMetricsF mfm(ap.markFont);
    for (int si = 0; si < n; ++si) {
        const TLineSeries &s = chart.series(si);
        if (!s.visible || s.isEmpty())
            continue;
        const ChartAxisMap &vmap = L.axisFor(s.verticalAxis).map;
        std::size_t i0 = 0, i1 = 0;
        visibleRange(si, i0, i1);
        ChartSeriesLayout sl;
        sl.series = si;
        sl.first = i0 > 0 ? i0 - 1 : 0;
        sl.last = std::min(i1, s.count() - 1);
        if (sl.first > sl.last)
            sl.first = sl.last;
        const double zFront = slot * (n - 1 - si);
        const double zBack = zFront + slot * std::clamp(s.depth, 0.0, 1.0);
        sl.ribbon = chart.View3D() && zBack > zFront;
        sl.clip = QRectF(pj.map(L.plot.topLeft(), zFront), pj.map(L.plot.bottomRight(), zFront));
        // The lines are cut to the plot here, with room for the pen, so
        // the painter never strokes a segment thousands of plot heights long:
        // a value far off the axis costs a repaint what any other does.
        const double room = std::max(2.0, s.penWidth + 2.0);
        const QRectF clipArea = L.plot.adjusted(-room, -room, room, room);
        QPolygonF front, back;
        QPointF lastEnd; // the end of the run so far, before projection
        const auto flush = [&] {
            if (!front.isEmpty()) {
                sl.front.push_back(std::move(front));
                if (sl.ribbon)
                    sl.back.push_back(std::move(back));
            }
            front = QPolygonF();
            back = QPolygonF();
        };
        const auto append = [&](const QPointF &q) {
            front << pj.map(q, zFront);
            if (sl.ribbon)
                back << pj.map(q, zBack);
            lastEnd = q;
        };
        std::optional<QPointF> previous;
        for (std::size_t i = sl.first; i <= sl.last; ++i) {
            if (s.isNull(i) || !std::isfinite(s.y(i))) {
                flush();
                previous.reset();
                continue;
            }
            const QPointF p(clampPx(L.bottom.map.toPixel(s.x(i))), clampPx(vmap.toPixel(s.y(i))));
            if (!previous) {
                if (clipArea.contains(p))
                    append(p);
            } else {
                QPointF a = *previous, b = p;
                if (!clipSegment(clipArea, a, b)) {
                    flush();
                } else {
                    // A segment coming back into the plot starts a new run.
                    if (front.isEmpty() || a != lastEnd) {
                        flush();
                        append(a);
                    }
                    append(b);
                }
            }
            previous = p;
            if (s.marksVisible && i >= i0 && i < i1) {
                ChartMarkLayout m;
                m.series = si;
                m.point = i;
                m.anchor = pj.map(p, zFront);
                m.text = texts.format(s.y(i), s.valueFormat);
                const double mw = mfm.horizontalAdvance(m.text) + 6, mh = mfm.height() + 2;
                m.rect = QRectF(m.anchor.x() - mw / 2, m.anchor.y() - mh, mw, mh).translated(s.markOffset(i));
                L.marks.push_back(std::move(m));
            }
        }
        flush();
        L.series.push_back(std::move(sl));
    }
    return L;
}
