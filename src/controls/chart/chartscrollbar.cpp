#include "chartscrollbar.h"

#include "chartmodel.h"

#include <QKeyEvent>

TChartScrollBar::TChartScrollBar(ChartModel *chart, QWidget *parent) : QScrollBar(Qt::Horizontal, parent), m_chart(chart)
{
    // Arrow keys, Page Up/Down, Home and End turn pages once the bar has focus.
    setFocusPolicy(Qt::StrongFocus);
    setTracking(true); // the chart follows the thumb page by page
    setRange(1, 1);
    setSingleStep(1);
    setPageStep(1);
    connect(this, &QScrollBar::valueChanged, this, [this](int value) {
        if (m_chart)
            m_chart->setPage(value);
    });
    if (chart) {
        connect(chart, &ChartModel::pageChanged, this, &TChartScrollBar::RecalcPosition);
        connect(chart, &ChartModel::scalesChanged, this, &TChartScrollBar::RecalcPosition);
    }
}

void TChartScrollBar::RecalcPosition()
{
    if (!m_chart || m_recalculating || m_chart->seriesCount() == 0)
        return;
    m_recalculating = true;
    // A maximum below the position pulls the position down first, and that
    // move sets the chart's page.
    setMinimum(1);
    setMaximum(m_chart->NumPages());
    setSingleStep(1);
    setPageStep(1);
    setValue(m_chart->Page());
    m_recalculating = false;
}

void TChartScrollBar::keyPressEvent(QKeyEvent *event)
{
    // The left and up arrows go back a page, right and down forward, on
    // every platform style (some map a horizontal bar's arrows the other way).
    switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Up:
        triggerAction(SliderSingleStepSub);
        return;
    case Qt::Key_Right:
    case Qt::Key_Down:
        triggerAction(SliderSingleStepAdd);
        return;
    default:
        QScrollBar::keyPressEvent(event);
    }
}
