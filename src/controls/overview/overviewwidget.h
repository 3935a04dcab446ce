#pragma once

#include "overviewpainter.h"

#include <QWidget>

#include <memory>

// The overview on screen: a click reports the point under the pointer,
// dragging across the plot zooms into that run of points, the wheel zooms
// around the pointer, and Home, Escape or Backspace (or zoomOut()) show all
// points again.
class OverviewWidget : public QWidget
{
    Q_OBJECT
public:
    explicit OverviewWidget(QWidget *parent = nullptr);

    void setSummary(std::shared_ptr<const OverviewSummary> summary, OverviewTimeAxis time);
    const OverviewSummary &summary() const { return *m_summary; }
    std::vector<OverviewSeriesStyle> &series() { return m_series; }
    void setSeries(std::vector<OverviewSeriesStyle> series);
    void setSeriesVisible(int series, bool visible);
    void setAxes(const OverviewAxisStyle &left, const OverviewAxisStyle &right);
    OverviewLook &look() { return m_look; }
    void setShades(std::vector<OverviewSpan> shades);
    void setMarkers(std::vector<OverviewSpan> markers);
    const std::vector<OverviewSpan> &shades() const { return m_shades; }
    const std::vector<OverviewSpan> &markers() const { return m_markers; }

    OverviewViewRange viewRange() const { return m_view; }
    void setViewRange(const OverviewViewRange &range);
    bool isZoomed() const { return !m_view.isWhole(); }
    // The picture as it stands, for tests and tools.
    OverviewLayout currentLayout() const;
    // The fewest points a zoom shows.
    static constexpr double kMinimumSpan = 8;

public slots:
    void zoomOut();

signals:
    // A click (not a drag) at `point` (0 for the first point).
    void pointClicked(std::size_t point);
    void viewRangeChanged();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    // The point at `x` of the current layout, within the data.
    double pointAtX(double x) const;
    void zoomAround(double point, double factor);

    std::shared_ptr<const OverviewSummary> m_summary;
    OverviewTimeAxis m_time;
    std::vector<OverviewSeriesStyle> m_series;
    OverviewAxisStyle m_left, m_right;
    OverviewLook m_look;
    std::vector<OverviewSpan> m_shades, m_markers;
    OverviewViewRange m_view;
    bool m_pressed = false;
    bool m_dragging = false;
    double m_pressX = 0, m_dragX = 0;
};
