#include "overviewwindow.h"

#include "controls/overview/overviewwidget.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

namespace sorvant {

OverviewWindow::OverviewWindow(QWidget *parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("OverviewWindow"));
    setWindowTitle(QStringLiteral("Overview"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    auto *bar = new QHBoxLayout;
    const std::vector<OverviewSeriesStyle> styles = overviewSeriesStyles();
    for (const int s : overviewLegendOrder()) {
        auto *box = new QCheckBox(seriesTitle(s), this);
        box->setObjectName(QStringLiteral("OverviewSeries%1").arg(s + 1));
        box->setChecked(true);
        // The series' colour as a swatch beside its name.
        QPixmap swatch(12, 12);
        swatch.fill(styles[static_cast<std::size_t>(s)].colour);
        box->setIcon(QIcon(swatch));
        connect(box, &QCheckBox::toggled, this, [this, s](bool on) { m_overview->setSeriesVisible(s, on); });
        m_boxes[static_cast<std::size_t>(s)] = box;
        bar->addWidget(box);
    }
    bar->addStretch(1);
    m_whole = new QPushButton(QStringLiteral("&Whole Log"), this);
    m_whole->setObjectName(QStringLiteral("WholeLogButton"));
    m_whole->setToolTip(QStringLiteral("Show the whole log again (Home)"));
    m_whole->setEnabled(false);
    bar->addWidget(m_whole);
    layout->addLayout(bar);

    m_overview = new OverviewWidget(this);
    m_overview->setObjectName(QStringLiteral("Overview"));
    configureOverview(*m_overview);
    m_overview->setToolTip(QStringLiteral("Click to show that moment in the spreadsheet and the chart; drag across "
                                          "a span or turn the wheel to zoom; Home shows the whole log"));
    layout->addWidget(m_overview, 1);
    connect(m_whole, &QPushButton::clicked, m_overview, &OverviewWidget::zoomOut);
    connect(m_overview, &OverviewWidget::viewRangeChanged, this,
            [this] { m_whole->setEnabled(m_overview->isZoomed()); });
    connect(m_overview, &OverviewWidget::pointClicked, this, &OverviewWindow::recordClicked);
    resize(900, 360);
}

void OverviewWindow::setData(const LogOverviewData &overviewData)
{
    m_overview->setSummary(overviewData.summary, overviewData.time);
}

void OverviewWindow::setSpans(const std::vector<OutOfRangeSpan> &spans)
{
    m_overview->setShades(spanShades(spans));
}

void OverviewWindow::setMarkers(double pageFirst, double pageEnd, double rowsFirst, double rowsEnd)
{
    std::vector<OverviewSpan> markers;
    if (rowsEnd > rowsFirst)
        markers.push_back(rowsMarker(rowsFirst, rowsEnd));
    if (pageEnd > pageFirst)
        markers.push_back(pageMarker(pageFirst, pageEnd));
    m_overview->setMarkers(std::move(markers));
}

} // namespace sorvant
