#pragma once

#include "chartlayout.h"
#include "chartmodel.h"

#include <QPoint>
#include <QPointer>
#include <QWidget>

// The chart on screen: paints its ChartModel and turns the mouse into zoom,
// pan, legend clicks and marker drags.
class TDataChart : public QWidget
{
    Q_OBJECT
public:
    // Drags of this many pixels or fewer in either direction do nothing.
    static constexpr int kMinZoomPixels = 16;
    static constexpr int kZoomSteps = 5;

    explicit TDataChart(ChartModel *chart, QWidget *parent = nullptr);
    ChartModel *chart() const { return m_chart; }
    // The layout as it shows now.
    ChartLayout currentLayout() const;
    bool isZoomDragging() const { return m_mode == Mode::Zoom; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    enum class Mode { None, Zoom, Pan, MarkDrag };
    void endDrag();

    QPointer<ChartModel> m_chart;
    Mode m_mode = Mode::None;
    QPoint m_press, m_last;
    int m_markSeries = -1;
    std::size_t m_markPoint = 0;
    QPointF m_markStart;
};
