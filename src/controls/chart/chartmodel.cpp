#include "chartmodel.h"

#include "chartlayout.h"
#include "chartpainter.h"

#include <QPainter>
#include <QRect>

#include <algorithm>
#include <cmath>

namespace {

constexpr std::size_t axisIndex(ChartAxisId id) { return static_cast<std::size_t>(id); }

} // namespace

ChartModel::ChartModel(QObject *parent) : QObject(parent)
{
    axis(ChartAxisId::Top).visible = false;
    axis(ChartAxisId::Right).titleAngle = 270;
    axis(ChartAxisId::Left).titleAngle = 90;
}

ChartModel::~ChartModel() = default;

const std::vector<QColor> &ChartModel::pastelPalette()
{
    static const std::vector<QColor> palette = {
        QColor(204, 255, 255), QColor(255, 255, 204), QColor(204, 204, 255), QColor(255, 204, 255),
        QColor(204, 255, 204), QColor(255, 204, 204), QColor(255, 229, 204), QColor(229, 204, 255),
    };
    return palette;
}

TLineSeries &ChartModel::addSeries(const QString &title, std::optional<QColor> colour)
{
    auto s = std::make_unique<TLineSeries>(title);
    if (colour) {
        s->seriesColour = *colour;
    } else {
        const auto &palette = pastelPalette();
        s->seriesColour = palette.front();
        for (const QColor &c : palette) {
            const bool used = std::any_of(m_series.begin(), m_series.end(), [&](const auto &other) {
                return other->seriesColour.rgb() == c.rgb();
            });
            if (!used) {
                s->seriesColour = c;
                break;
            }
        }
    }
    s->penColour = s->seriesColour;
    s->setColour(s->seriesColour.rgb() & 0xFFFFFFu);
    m_series.push_back(std::move(s));
    emit changed();
    return *m_series.back();
}

void ChartModel::setLocale(const QLocale &locale)
{
    m_locale = locale;
    emit changed();
}

void ChartModel::setMaxPointsPerPage(int points)
{
    m_maxPointsPerPage = std::max(0, points);
    emit changed();
}

void ChartModel::setScaleLastPage(bool scale)
{
    m_scaleLastPage = scale;
    emit changed();
}

int ChartModel::NumPages() const
{
    if (m_series.empty() || m_maxPointsPerPage <= 0)
        return 1;
    std::size_t n = 0;
    for (const auto &s : m_series)
        if (s->visible)
            n = std::max(n, s->count());
    const std::size_t per = static_cast<std::size_t>(m_maxPointsPerPage);
    const std::size_t pages = (n + per - 1) / per;
    return pages == 0 ? 1 : static_cast<int>(std::min<std::size_t>(pages, INT32_MAX));
}

int ChartModel::shownPage() const { return std::clamp(m_page, 1, NumPages()); }

void ChartModel::setPage(int page)
{
    const int p = std::clamp(page, 1, NumPages());
    if (p == m_page)
        return;
    m_page = p;
    emit changed();
    emit pageChanged(m_page);
}

std::pair<std::size_t, std::size_t> ChartModel::pagePoints() const
{
    std::size_t n = 0;
    for (const auto &s : m_series)
        if (s->visible)
            n = std::max(n, s->count());
    if (m_maxPointsPerPage <= 0)
        return {0, n};
    const std::size_t per = static_cast<std::size_t>(m_maxPointsPerPage);
    const std::size_t first = per * static_cast<std::size_t>(shownPage() - 1);
    if (first >= n)
        return {first, 0};
    return {first, std::min(per, n - first)};
}

void ChartModel::setView3D(bool on)
{
    if (m_view3D == on)
        return;
    m_view3D = on;
    emit changed();
}

void ChartModel::setSeriesVisible(int series, bool visible)
{
    if (series < 0 || series >= seriesCount() || this->series(series).visible == visible)
        return;
    this->series(series).visible = visible;
    emit changed();
}

void ChartModel::setMarksVisible(bool visible)
{
    for (auto &s : m_series)
        s->marksVisible = visible;
    emit changed();
}

bool ChartModel::marksVisible() const
{
    return std::any_of(m_series.begin(), m_series.end(), [](const auto &s) { return s->marksVisible; });
}

const ChartModel::SeriesStats &ChartModel::stats(int series) const
{
    m_stats.resize(m_series.size());
    SeriesStats &st = m_stats[static_cast<std::size_t>(series)];
    const TLineSeries &s = this->series(series);
    if (st.revision == s.revision())
        return st;
    st = SeriesStats();
    st.revision = s.revision();
    const auto &xs = s.xValues();
    const auto &ys = s.yValues();
    for (std::size_t i = 0; i < xs.size(); ++i) {
        if (i > 0 && xs[i] < xs[i - 1])
            st.sortedByX = false;
        if (s.isNull(i) || !std::isfinite(ys[i]))
            continue;
        if (!st.hasValue) {
            st.minY = st.maxY = ys[i];
            st.hasValue = true;
        } else {
            st.minY = std::min(st.minY, ys[i]);
            st.maxY = std::max(st.maxY, ys[i]);
        }
    }
    return st;
}

ChartAxisScale ChartModel::effectiveScale(ChartAxisId id) const
{
    const ChartAxisScale &scale = m_scales[axisIndex(id)];
    if (!scale.automatic)
        return scale;
    const ChartAxisStyle &style = axis(id);
    ChartAxisScale r;
    r.automatic = true;
    bool found = false;
    if (id == ChartAxisId::Bottom || id == ChartAxisId::Top) {
        const auto [first, d] = pagePoints();
        double lo = 0, hi = 0;
        for (const auto &s : m_series) {
            if (!s->visible || s->count() <= first)
                continue;
            const std::size_t lastIndex = m_maxPointsPerPage > 0
                ? std::min(s->count() - 1, first + static_cast<std::size_t>(m_maxPointsPerPage) - 1)
                : s->count() - 1;
            double a = s->x(first), b = s->x(lastIndex);
            if (m_maxPointsPerPage <= 0) {
                const auto mm = std::minmax_element(s->xValues().begin(), s->xValues().end());
                a = *mm.first;
                b = *mm.second;
            }
            lo = found ? std::min(lo, a) : a;
            hi = found ? std::max(hi, b) : b;
            found = true;
        }
        if (found && m_maxPointsPerPage > 0 && !m_scaleLastPage && d > 0
            && d < static_cast<std::size_t>(m_maxPointsPerPage)) {
            // A short last page keeps the spacing of a full one.
            const double full = m_maxPointsPerPage;
            const double share = static_cast<double>(d);
            hi = hi == lo ? lo + full / share : lo + (hi - lo) * full / share;
        }
        r.minimum = lo;
        r.maximum = hi;
    } else {
        double lo = 0, hi = 0;
        for (int i = 0; i < seriesCount(); ++i) {
            const TLineSeries &s = series(i);
            if (!s.visible || s.verticalAxis != id)
                continue;
            const SeriesStats &st = stats(i);
            if (!st.hasValue)
                continue;
            lo = found ? std::min(lo, st.minY) : st.minY;
            hi = found ? std::max(hi, st.maxY) : st.maxY;
            found = true;
        }
        r.minimum = style.automaticMinimum ? lo : style.fixedMinimum;
        r.maximum = style.automaticMaximum ? hi : style.fixedMaximum;
    }
    return r;
}

void ChartModel::saveScalesOnce()
{
    if (!m_saved)
        m_saved = m_scales;
}

void ChartModel::setScales(const ChartScales &scales)
{
    m_scales = scales;
    emit changed();
}

void ChartModel::zoomTo(const ChartScales &target, int steps, const std::function<void()> &afterStep)
{
    saveScalesOnce();
    ChartScales start;
    for (int a = 0; a < kChartAxisCount; ++a)
        start[static_cast<std::size_t>(a)] = effectiveScale(static_cast<ChartAxisId>(a));
    steps = std::max(1, steps);
    for (int i = 1; i <= steps; ++i) {
        ChartScales next;
        for (std::size_t a = 0; a < start.size(); ++a) {
            next[a].automatic = false;
            if (i == steps) {
                next[a].minimum = target[a].minimum;
                next[a].maximum = target[a].maximum;
            } else {
                const double t = static_cast<double>(i) / steps;
                next[a].minimum = start[a].minimum + (target[a].minimum - start[a].minimum) * t;
                next[a].maximum = start[a].maximum + (target[a].maximum - start[a].maximum) * t;
            }
        }
        setScales(next);
        if (afterStep)
            afterStep();
    }
    emit scalesChanged();
}

void ChartModel::ZoomRect(const QRectF &pixels, int steps, const std::function<void()> &afterStep)
{
    if (m_viewSize.isEmpty())
        return;
    const ChartLayout l = layout(m_viewSize);
    const QRectF r = pixels.normalized();
    const QPointF a = l.projection.unmapFront(r.topLeft());
    const QPointF b = l.projection.unmapFront(r.bottomRight());
    ChartScales target;
    const auto setRange = [&](ChartAxisId id, double v0, double v1) {
        ChartAxisScale &s = target[axisIndex(id)];
        s.automatic = false;
        s.minimum = std::min(v0, v1);
        s.maximum = std::max(v0, v1);
    };
    setRange(ChartAxisId::Bottom, l.bottom.map.toValue(a.x()), l.bottom.map.toValue(b.x()));
    // The top axis carries no series; it moves with the bottom one.
    setRange(ChartAxisId::Top, l.bottom.map.toValue(a.x()), l.bottom.map.toValue(b.x()));
    setRange(ChartAxisId::Left, l.left.map.toValue(a.y()), l.left.map.toValue(b.y()));
    setRange(ChartAxisId::Right, l.right.map.toValue(a.y()), l.right.map.toValue(b.y()));
    zoomTo(target, steps, afterStep);
}

void ChartModel::UndoZoom()
{
    if (!m_saved)
        return;
    const ChartScales saved = *m_saved;
    m_saved.reset();
    setScales(saved);
    emit scalesChanged();
}

void ChartModel::panPixels(double dx)
{
    if (m_viewSize.isEmpty() || dx == 0)
        return;
    const ChartLayout l = layout(m_viewSize);
    // The plot's width on screen: in 3D the front of the plot is zoomed.
    const double widthPx = (l.bottom.map.endPx - l.bottom.map.startPx) * (l.projection.enabled ? l.projection.zoom : 1.0);
    if (widthPx <= 0)
        return;
    saveScalesOnce();
    ChartScales next = m_scales;
    for (ChartAxisId id : {ChartAxisId::Bottom, ChartAxisId::Top}) {
        ChartAxisScale s = effectiveScale(id);
        if (id == ChartAxisId::Top && m_scales[axisIndex(id)].automatic)
            s = effectiveScale(ChartAxisId::Bottom);
        const double delta = -dx * (s.maximum - s.minimum) / widthPx;
        next[axisIndex(id)] = {false, s.minimum + delta, s.maximum + delta};
    }
    setScales(next);
    emit scalesChanged();
}

ChartLayout ChartModel::layout(const QSizeF &size) const { return layoutChart(*this, size); }

void ChartModel::PrintPartial(QPainter &painter, const QRect &rectangle) const
{
    if (rectangle.isEmpty())
        return;
    const QSizeF target(rectangle.width(), rectangle.height());
    const QSizeF reference = m_viewSize.isEmpty() ? target : m_viewSize;
    const ChartLayout l = layout(reference);
    painter.save();
    painter.translate(rectangle.topLeft());
    painter.scale(target.width() / reference.width(), target.height() / reference.height());
    paintChart(painter, *this, l);
    painter.restore();
}

QString formatChartValue(double value, const QString &format, const QLocale &locale)
{
    const qsizetype dot = format.indexOf(QLatin1Char('.'));
    int required = 0, optional = 0;
    if (dot >= 0) {
        for (qsizetype i = dot + 1; i < format.size(); ++i) {
            if (format[i] == QLatin1Char('0'))
                ++required;
            else if (format[i] == QLatin1Char('#'))
                ++optional;
        }
    }
    const bool grouping = format.contains(QLatin1Char(','));
    if (!std::isfinite(value))
        return QString();
    const int decimals = required + optional;
    const double scale = std::pow(10.0, decimals);
    double rounded = std::round(value * scale) / scale;
    if (rounded == 0)
        rounded = 0; // no "-0"
    QLocale l = locale;
    l.setNumberOptions(grouping ? QLocale::DefaultNumberOptions : QLocale::OmitGroupSeparator);
    QString text = l.toString(rounded, 'f', decimals);
    if (optional > 0) {
        const QString point = l.decimalPoint();
        const qsizetype at = text.lastIndexOf(point);
        if (at >= 0) {
            qsizetype keep = text.size();
            const qsizetype minimumEnd = at + point.size() + required;
            while (keep > minimumEnd && text[keep - 1] == QLatin1Char('0'))
                --keep;
            if (keep == at + point.size())
                keep = at;
            text.truncate(keep);
        }
    }
    return text;
}
