#pragma once

#include "overviewconfig.h"

#include <QWidget>

#include <array>

class OverviewWidget;
class QCheckBox;
class QLabel;
class QPushButton;

namespace sorvant {

// The whole-log overview: a window of its own beside the main window, with a
// check box per quantity, the "Whole Log" button and the overview itself.
// It reports where the user clicked; what that leads to is its owner's.
class OverviewWindow : public QWidget
{
    Q_OBJECT
public:
    explicit OverviewWindow(QWidget *parent);

    OverviewWidget *overview() const { return m_overview; }
    QCheckBox *seriesBox(int series) const { return m_boxes[static_cast<std::size_t>(series)]; }
    QPushButton *wholeLogButton() const { return m_whole; }

    // A new load: its summary and time axis; the view goes back to all of it.
    void setData(const LogOverviewData &overviewData);
    void setSpans(const std::vector<OutOfRangeSpan> &spans);
    // What the chart's page and the top of the spreadsheet show, in records.
    void setMarkers(double pageFirst, double pageEnd, double rowsFirst, double rowsEnd);

signals:
    void recordClicked(std::size_t record);

private:
    OverviewWidget *m_overview = nullptr;
    std::array<QCheckBox *, kSeriesCount> m_boxes{};
    QPushButton *m_whole = nullptr;
};

} // namespace sorvant
