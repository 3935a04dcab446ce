#include "datachart.h"

#include "chartpainter.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include <cstdlib>

TDataChart::TDataChart(ChartModel *chart, QWidget *parent) : QWidget(parent), m_chart(chart)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(false);
    setFocusPolicy(Qt::ClickFocus);
    if (chart) {
        connect(chart, &ChartModel::changed, this, qOverload<>(&QWidget::update));
        chart->setViewSize(size());
    }
}

ChartLayout TDataChart::currentLayout() const
{
    return m_chart ? m_chart->layout(size()) : ChartLayout();
}

void TDataChart::paintEvent(QPaintEvent *)
{
    if (!m_chart)
        return;
    QPainter p(this);
    const ChartLayout l = currentLayout();
    paintChart(p, *m_chart, l);
    if (m_mode == Mode::Zoom) {
        p.setRenderHint(QPainter::Antialiasing, false);
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(Qt::black, 1, Qt::DashLine));
        p.drawRect(QRect(m_press, m_last).normalized());
    }
}

void TDataChart::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    if (m_chart)
        m_chart->setViewSize(size());
}

void TDataChart::mousePressEvent(QMouseEvent *event)
{
    if (!m_chart || m_mode != Mode::None)
        return;
    const QPoint pos = event->position().toPoint();
    const ChartLayout l = currentLayout();
    m_press = m_last = pos;
    // A marker under the mouse takes any button, before zoom and pan.
    const int mark = l.markAt(pos);
    if (mark >= 0) {
        const ChartMarkLayout &m = l.marks[static_cast<std::size_t>(mark)];
        m_mode = Mode::MarkDrag;
        m_markSeries = m.series;
        m_markPoint = m.point;
        m_markStart = m_chart->series(m.series).markOffset(m.point);
        return;
    }
    if (event->button() == Qt::LeftButton) {
        const int item = l.legendItemAt(pos);
        if (item >= 0) {
            m_chart->toggleSeries(l.legend[static_cast<std::size_t>(item)].series);
            return;
        }
    }
    if (!l.frontPlane.contains(pos))
        return;
    if (event->button() == Qt::LeftButton)
        m_mode = Mode::Zoom;
    else if (event->button() == Qt::RightButton)
        m_mode = Mode::Pan;
}

void TDataChart::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_chart)
        return;
    const QPoint pos = event->position().toPoint();
    switch (m_mode) {
    case Mode::None:
        return;
    case Mode::Zoom:
        m_last = pos;
        update();
        return;
    case Mode::Pan:
        if (!currentLayout().frontPlane.contains(pos)) {
            endDrag();
            return;
        }
        m_chart->panPixels(pos.x() - m_last.x());
        m_last = pos;
        return;
    case Mode::MarkDrag:
        if (m_markSeries >= 0 && m_markSeries < m_chart->seriesCount()
            && m_markPoint < m_chart->series(m_markSeries).count()) {
            m_chart->series(m_markSeries).setMarkOffset(m_markPoint, m_markStart + QPointF(pos - m_press));
            update();
        }
        m_last = pos;
        return;
    }
}

void TDataChart::mouseReleaseEvent(QMouseEvent *event)
{
    if (!m_chart)
        return;
    if (m_mode == Mode::Zoom && event->button() == Qt::LeftButton) {
        const QPoint end = event->position().toPoint();
        const int dx = end.x() - m_press.x();
        const int dy = end.y() - m_press.y();
        const QPoint start = m_press;
        endDrag();
        if (std::abs(dx) > kMinZoomPixels && std::abs(dy) > kMinZoomPixels) {
            if (dx > 0)
                m_chart->ZoomRect(QRectF(start, end), kZoomSteps, [this] { repaint(); });
            else
                m_chart->UndoZoom();
        }
        return;
    }
    if (m_mode != Mode::None)
        endDrag();
}

void TDataChart::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && m_mode != Mode::None) {
        endDrag();
        return;
    }
    QWidget::keyPressEvent(event);
}

void TDataChart::endDrag()
{
    const bool wasZoom = m_mode == Mode::Zoom;
    m_mode = Mode::None;
    m_markSeries = -1;
    if (wasZoom)
        update();
}
