#include "overviewwidget.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace {
// A press that moves less than this is a click.
constexpr double kDragThreshold = 4;
} // namespace

OverviewWidget::OverviewWidget(QWidget *parent)
    : QWidget(parent), m_summary(std::make_shared<OverviewSummary>())
{
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(false);
    setMinimumSize(200, 120);
    setCursor(Qt::CrossCursor);
}

void OverviewWidget::setSummary(std::shared_ptr<const OverviewSummary> summary, OverviewTimeAxis time)
{
    m_summary = summary ? std::move(summary) : std::make_shared<OverviewSummary>();
    m_time = std::move(time);
    // A new log starts at the whole of it.
    m_view = {};
    emit viewRangeChanged();
    update();
}

void OverviewWidget::setSeries(std::vector<OverviewSeriesStyle> series)
{
    m_series = std::move(series);
    update();
}

void OverviewWidget::setSeriesVisible(int series, bool visible)
{
    if (series < 0 || series >= int(m_series.size()))
        return;
    m_series[static_cast<std::size_t>(series)].visible = visible;
    update();
}

void OverviewWidget::setAxes(const OverviewAxisStyle &left, const OverviewAxisStyle &right)
{
    m_left = left;
    m_right = right;
    update();
}

void OverviewWidget::setShades(std::vector<OverviewSpan> shades)
{
    m_shades = std::move(shades);
    update();
}

void OverviewWidget::setMarkers(std::vector<OverviewSpan> markers)
{
    m_markers = std::move(markers);
    update();
}

void OverviewWidget::setViewRange(const OverviewViewRange &range)
{
    OverviewViewRange r = range;
    const double points = double(m_summary->pointCount());
    if (!r.isWhole()) {
        r.first = std::max(0.0, r.first);
        r.end = std::min(points, r.end);
        if (r.end - r.first < kMinimumSpan) {
            const double c = (r.first + r.end) / 2;
            r.first = std::max(0.0, c - kMinimumSpan / 2);
            r.end = std::min(points, r.first + kMinimumSpan);
        }
        if (r.first <= 0 && r.end >= points)
            r = {};
    }
    if (r.first == m_view.first && r.end == m_view.end)
        return;
    m_view = r;
    emit viewRangeChanged();
    update();
}

void OverviewWidget::zoomOut()
{
    setViewRange({});
}

OverviewLayout OverviewWidget::currentLayout() const
{
    return layoutOverview(m_series, m_left, m_right, m_look, *m_summary, m_time, m_view, QRectF(rect()));
}

void OverviewWidget::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    const OverviewLayout layout = currentLayout();
    OverviewPicture picture;
    picture.series = &m_series;
    picture.look = &m_look;
    picture.summary = m_summary.get();
    picture.shades = m_shades;
    picture.markers = m_markers;
    paintOverview(p, layout, picture);
    if (m_dragging) {
        const double x0 = std::clamp(std::min(m_pressX, m_dragX), layout.plot.left(), layout.plot.right());
        const double x1 = std::clamp(std::max(m_pressX, m_dragX), layout.plot.left(), layout.plot.right());
        const QRectF band(x0, layout.plot.top(), x1 - x0, layout.plot.height());
        p.fillRect(band, QColor(0, 0, 128, 50));
        p.setPen(QPen(QColor(0, 0, 128), 0, Qt::DashLine));
        p.drawRect(band);
    }
}

double OverviewWidget::pointAtX(double x) const
{
    const OverviewLayout layout = currentLayout();
    const double clamped = std::clamp(x, layout.plot.left(), layout.plot.right());
    return std::clamp(layout.pointAt(clamped), 0.0, std::max(0.0, double(m_summary->pointCount())));
}

void OverviewWidget::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    m_pressed = true;
    m_dragging = false;
    m_pressX = m_dragX = event->position().x();
}

void OverviewWidget::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_pressed)
        return;
    m_dragX = event->position().x();
    if (std::abs(m_dragX - m_pressX) >= kDragThreshold)
        m_dragging = true;
    if (m_dragging)
        update();
}

void OverviewWidget::mouseReleaseEvent(QMouseEvent *event)
{
    if (!m_pressed || event->button() != Qt::LeftButton)
        return;
    m_pressed = false;
    const double x = event->position().x();
    const bool drag = m_dragging || std::abs(x - m_pressX) >= kDragThreshold;
    m_dragging = false;
    if (m_summary->pointCount() == 0) {
        update();
        return;
    }
    if (drag) {
        const double a = pointAtX(std::min(m_pressX, x)), b = pointAtX(std::max(m_pressX, x));
        setViewRange({a, b});
        update();
        return;
    }
    const OverviewLayout layout = currentLayout();
    if (!layout.plot.adjusted(-1, -1, 1, 1).contains(event->position()))
        return;
    const double point = pointAtX(x);
    const std::size_t last = m_summary->pointCount() - 1;
    emit pointClicked(std::min(last, std::size_t(std::floor(point))));
}

void OverviewWidget::zoomAround(double point, double factor)
{
    const OverviewLayout layout = currentLayout();
    const double first = layout.first, end = layout.end;
    const double span = (end - first) * factor;
    const double share = (end - first) > 0 ? (point - first) / (end - first) : 0.5;
    double a = point - span * share;
    double b = a + span;
    const double points = double(m_summary->pointCount());
    if (a < 0) {
        b -= a;
        a = 0;
    }
    if (b > points) {
        a = std::max(0.0, a - (b - points));
        b = points;
    }
    setViewRange({a, b});
}

void OverviewWidget::wheelEvent(QWheelEvent *event)
{
    const int steps = event->angleDelta().y() / 120;
    if (steps == 0 || m_summary->pointCount() == 0) {
        event->ignore();
        return;
    }
    // One notch forward shows 80 % of the span, centred where the pointer is.
    const double factor = std::pow(0.8, steps);
    zoomAround(pointAtX(event->position().x()), factor);
    event->accept();
}

void OverviewWidget::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Home:
    case Qt::Key_Escape:
    case Qt::Key_Backspace:
        if (isZoomed()) {
            zoomOut();
            return;
        }
        break;
    case Qt::Key_Plus:
    case Qt::Key_Minus: {
        const OverviewLayout layout = currentLayout();
        zoomAround((layout.first + layout.end) / 2, event->key() == Qt::Key_Plus ? 0.8 : 1.25);
        return;
    }
    default:
        break;
    }
    QWidget::keyPressEvent(event);
}
