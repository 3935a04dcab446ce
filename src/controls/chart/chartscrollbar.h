#pragma once

#include <QPointer>
#include <QScrollBar>

class ChartModel;

// The page scroll bar of a chart: its range is the chart's pages and moving
// it turns them.
class TChartScrollBar : public QScrollBar
{
    Q_OBJECT
public:
    explicit TChartScrollBar(ChartModel *chart, QWidget *parent = nullptr);
    // Copies the chart's page count and current page into the bar.
    void RecalcPosition();

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    QPointer<ChartModel> m_chart;
    bool m_recalculating = false;
};
