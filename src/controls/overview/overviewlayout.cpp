#include "overviewlayout.h"

#include <QFontMetricsF>

#include <algorithm>
#include <cmath>

double OverviewLayout::xOf(double point) const
{
    return plot.left() + (point - first) * plot.width() / (end - first);
}

double OverviewLayout::pointAt(double x) const
{
    return first + (x - plot.left()) * (end - first) / plot.width();
}

double OverviewLayout::yOf(OverviewAxisSide side, double value) const
{
    const double lo = side == OverviewAxisSide::Left ? leftMin : rightMin;
    const double hi = side == OverviewAxisSide::Left ? leftMax : rightMax;
    // Two pixels stay free above the highest value, as on the chart.
    const double top = plot.top() + 2, bottom = plot.bottom();
    return bottom - (value - lo) * (bottom - top) / (hi - lo);
}

double overviewNiceStep(double span, int wanted)
{
    if (!(span > 0) || wanted < 1)
        return 1;
    const double raw = span / wanted;
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    for (const double m : {1.0, 2.0, 5.0, 10.0}) {
        if (m * power >= raw)
            return m * power;
    }
    return 10 * power;
}

namespace {

std::vector<double> labelValues(double lo, double hi, double step)
{
    std::vector<double> values;
    const double firstValue = std::ceil(lo / step - 1e-9) * step;
    for (double v = firstValue; v <= hi + step * 1e-9 && values.size() < 1000; v += step)
        values.push_back(std::abs(v) < step * 1e-9 ? 0.0 : v);
    return values;
}

QString valueText(double v, double step)
{
    const int decimals = step >= 1 ? 0 : std::min(6, int(std::ceil(-std::log10(step) - 1e-9)));
    return QString::number(v, 'f', decimals);
}

} // namespace

OverviewLayout layoutOverview(const std::vector<OverviewSeriesStyle> &series, const OverviewAxisStyle &left,
                              const OverviewAxisStyle &right, const OverviewLook &look,
                              const OverviewSummary &summary, const OverviewTimeAxis &time,
                              const OverviewViewRange &view, const QRectF &rect)
{
    OverviewLayout l;
    l.outer = rect;
    const QFontMetricsF fm(look.font);
    const double h = fm.height();
    const double pad = std::max(2.0, h * 0.3);
    const std::size_t points = summary.pointCount();
    l.empty = points == 0;

    // Vertical scales; an automatic top follows the visible series over all points.
    l.leftMin = left.minimum;
    l.rightMin = right.minimum;
    const auto top = [&](const OverviewAxisStyle &axis, OverviewAxisSide side) {
        if (!axis.automaticMaximum)
            return axis.maximum;
        bool any = false;
        double hi = axis.minimum;
        for (std::size_t s = 0; s < series.size(); ++s) {
            if (!series[s].visible || series[s].axis != side)
                continue;
            const OverviewStats st = summary.whole(static_cast<int>(s));
            if (st.count == 0)
                continue;
            hi = any ? std::max<double>(hi, st.maximum) : std::max<double>(axis.minimum, st.maximum);
            any = true;
        }
        return hi;
    };
    l.leftMax = top(left, OverviewAxisSide::Left);
    l.rightMax = top(right, OverviewAxisSide::Right);
    if (!(l.leftMax > l.leftMin))
        l.leftMax = l.leftMin + 1;
    if (!(l.rightMax > l.rightMin))
        l.rightMax = l.rightMin + 1;

    // Room for the labels: value labels and rotated titles at the sides, two
    // rows of time labels below, the legend above.
    double leftStep = 1, rightStep = 1;
    const double roughPlotHeight = std::max(10.0, rect.height() - 4 * h);
    const int wantedLabels = std::max(1, int(roughPlotHeight / (2.2 * h)));
    leftStep = overviewNiceStep(l.leftMax - l.leftMin, wantedLabels);
    rightStep = overviewNiceStep(l.rightMax - l.rightMin, wantedLabels);
    const auto widest = [&](double lo, double hi, double step) {
        double w = 0;
        for (double v : labelValues(lo, hi, step))
            w = std::max(w, fm.horizontalAdvance(valueText(v, step)));
        return w;
    };
    const double leftLabelWidth = widest(l.leftMin, l.leftMax, leftStep);
    const double rightLabelWidth = widest(l.rightMin, l.rightMax, rightStep);
    l.leftTitle = left.title;
    l.rightTitle = right.title;
    const double leftMargin = pad + (left.title.isEmpty() ? 0 : h + pad) + leftLabelWidth + pad;
    const double rightMargin = pad + (right.title.isEmpty() ? 0 : h + pad) + rightLabelWidth + pad;
    double topMargin = pad + h * 0.5;
    if (look.legend) {
        double x = rect.left() + leftMargin;
        const double y = rect.top() + pad;
        for (const OverviewSeriesStyle &s : series) {
            if (!s.visible)
                continue;
            OverviewLayout::LegendItem item;
            item.swatch = QRectF(x, y + h * 0.25, h * 0.9, h * 0.5);
            item.colour = s.colour;
            item.label = {QPointF(item.swatch.right() + pad, y), s.title, Qt::AlignLeft | Qt::AlignTop};
            x = item.label.at.x() + fm.horizontalAdvance(s.title) + 3 * pad;
            l.legend.push_back(item);
        }
        topMargin = pad + h + pad;
    }
    const double bottomMargin = pad + 2 * h + pad;
    // Whole units, so that on an image every column of the plot is one
    // whole pixel and none is shared with the frame.
    const double plotLeft = std::round(rect.left() + leftMargin);
    const double plotTop = std::round(rect.top() + topMargin);
    l.plot = QRectF(plotLeft, plotTop, std::max(1.0, std::round(rect.right() - rightMargin) - plotLeft),
                    std::max(1.0, std::round(rect.bottom() - bottomMargin) - plotTop));
    l.leftTitleBox = QRectF(rect.left() + pad, l.plot.top(), h, l.plot.height());
    l.rightTitleBox = QRectF(rect.right() - pad - h, l.plot.top(), h, l.plot.height());

    // The points in view.
    l.first = 0;
    l.end = std::max<double>(1, double(points));
    if (!view.isWhole()) {
        l.first = std::max(0.0, view.first);
        l.end = std::min(double(std::max<std::size_t>(points, 1)), view.end);
        if (!(l.end > l.first)) {
            l.first = 0;
            l.end = std::max<double>(1, double(points));
        }
    }

    for (double v : labelValues(l.leftMin, l.leftMax, leftStep)) {
        const double y = l.yOf(OverviewAxisSide::Left, v);
        l.leftGrid.push_back(y);
        l.leftLabels.push_back({QPointF(l.plot.left() - pad, y), valueText(v, leftStep), Qt::AlignRight | Qt::AlignVCenter});
    }
    for (double v : labelValues(l.rightMin, l.rightMax, rightStep)) {
        const double y = l.yOf(OverviewAxisSide::Right, v);
        l.rightGrid.push_back(y);
        l.rightLabels.push_back({QPointF(l.plot.right() + pad, y), valueText(v, rightStep), Qt::AlignLeft | Qt::AlignVCenter});
    }
    if (l.empty)
        return l;

    // Time labels: hours on the first row, days on the second, each as
    // sparse as their widths need.
    const double pxPerPoint = l.plot.width() / (l.end - l.first);
    const double secondsPerPoint = time.secondsPerPoint > 0 ? time.secondsPerPoint : 1;
    const double pxPerHour = 3600 / secondsPerPoint * pxPerPoint;
    const double hourRow = l.plot.bottom() + pad;
    const double dayRow = hourRow + h;
    const double hourWidth = fm.horizontalAdvance(QStringLiteral("00:00")) * 1.5;
    int hourStep = 0;
    for (const int step : {1, 2, 3, 4, 6, 12}) {
        if (step * pxPerHour >= hourWidth) {
            hourStep = step;
            break;
        }
    }
    const auto inView = [&](std::size_t point) { return double(point) >= l.first && double(point) < l.end; };
    if (hourStep > 0) {
        auto it = std::lower_bound(time.hourStarts.begin(), time.hourStarts.end(), l.first,
                                   [](const OverviewTimeAxis::HourStart &m, double p) { return double(m.point) < p; });
        for (; it != time.hourStarts.end() && double(it->point) < l.end; ++it) {
            if (it->hour % hourStep != 0
                || std::binary_search(time.dayStarts.begin(), time.dayStarts.end(), it->point))
                continue;
            const double x = l.xOf(double(it->point));
            l.hourTicks.push_back(x);
            l.timeLabels.push_back({QPointF(x, hourRow), QStringLiteral("%1:00").arg(it->hour, 2, 10, QLatin1Char('0')),
                                    Qt::AlignHCenter | Qt::AlignTop});
        }
    }
    const double pxPerDay = 24 * pxPerHour;
    const double dayWidth = fm.horizontalAdvance(look.dayLabel.arg(100)) * 1.3;
    // Every 1, 2, 5, 10, 20, 50, ... days.
    long long dayStep = 1;
    for (int k = 1; double(dayStep) * pxPerDay < dayWidth && k < 30; ++k) {
        static const int kMultiples[3] = {1, 2, 5};
        long long power = 1;
        for (int i = 0; i < k / 3; ++i)
            power *= 10;
        dayStep = kMultiples[k % 3] * power;
    }
    // The day in which the view starts, at the left edge, unless its own
    // label is about to follow.
    const auto firstDay = std::upper_bound(time.dayStarts.begin(), time.dayStarts.end(), std::size_t(l.first));
    const long long startDay = (firstDay - time.dayStarts.begin()) + 1;
    double nextLabelX = l.plot.right() + 1;
    for (auto it = firstDay; it != time.dayStarts.end() && double(*it) < l.end; ++it) {
        const long long day = (it - time.dayStarts.begin()) + 2;
        const double x = l.xOf(double(*it));
        if (pxPerDay >= 4 || (day - 1) % dayStep == 0)
            l.midnights.push_back(x);
        if ((day - 1) % dayStep == 0) {
            if (nextLabelX > l.plot.right())
                nextLabelX = x;
            l.timeLabels.push_back({QPointF(x + 2, dayRow), look.dayLabel.arg(day), Qt::AlignLeft | Qt::AlignTop});
        }
    }
    if (inView(std::size_t(l.first)) && nextLabelX - l.plot.left() >= dayWidth * 0.8)
        l.timeLabels.push_back({QPointF(l.plot.left() + 2, dayRow), look.dayLabel.arg(startDay),
                                Qt::AlignLeft | Qt::AlignTop});
    return l;
}
