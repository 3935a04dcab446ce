// The chart on screen: scroll bar, mouse, legend and switching views.
#include "chartfixture.h"

#include "views/viewswitcher.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QScrollBar>
#include <QTableWidget>
#include <QTest>
#include <QVBoxLayout>

using namespace chartfixture;

namespace {

// The chart view in a window of its own, shown with the chart current.
struct Window {
    QWidget host;
    sorvant::ChartView view{&host};
    Window()
    {
        host.resize(925, 657);
        auto *box = new QVBoxLayout(&host);
        box->setContentsMargins(0, 0, 0, 0);
        box->setSpacing(0);
        box->addWidget(view.chartWidget(), 1);
        box->addWidget(view.scrollBar());
        view.model().setLocale(QLocale::c());
        view.chartWidget()->show();
        view.scrollBar()->show();
        host.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&host));
    }
    ChartModel &chart() { return view.model(); }
    QWidget *widget() { return view.chartWidget(); }
    QScrollBar *bar() { return view.scrollBar(); }
    ChartLayout layout() { return view.chart()->currentLayout(); }
    void loadRows(int rows, int step = 25)
    {
        load(chart(), rows, step);
        view.RecalcPosition();
    }
    void drag(Qt::MouseButton button, QPoint from, QPoint to)
    {
        QTest::mousePress(widget(), button, {}, from);
        QTest::mouseMove(widget(), (from + to) / 2);
        QTest::mouseMove(widget(), to);
        QTest::mouseRelease(widget(), button, {}, to);
    }
    QPoint plotPoint(double fx, double fy)
    {
        const QRectF p = layout().frontPlane;
        return QPointF(p.left() + p.width() * fx, p.top() + p.height() * fy).toPoint();
    }
};

} // namespace

TEST(ChartView, StartsHiddenWithPlaceholderPagesOneToThree)
{
    QWidget host;
    sorvant::ChartView view(&host);
    EXPECT_EQ(view.chartWidget()->objectName(), QStringLiteral("Chart"));
    EXPECT_EQ(view.scrollBar()->objectName(), QStringLiteral("ChartScrollBar1"));
    EXPECT_TRUE(view.chartWidget()->isHidden());
    EXPECT_TRUE(view.scrollBar()->isHidden());
    EXPECT_EQ(view.scrollBar()->height(), 17);
    EXPECT_EQ(view.scrollBar()->minimum(), 1);
    EXPECT_EQ(view.scrollBar()->maximum(), 3);
    EXPECT_EQ(view.scrollBar()->value(), 1);
    EXPECT_FALSE(view.markersVisible());
    EXPECT_FALSE(view.isView3D());
    view.setMarkersVisible(true);
    view.setView3D(true);
    EXPECT_TRUE(view.markersVisible());
    EXPECT_TRUE(view.isView3D());
}

TEST(ChartView, ZeroRowLoadLeavesOnePage)
{
    QWidget host;
    sorvant::ChartView view(&host);
    load(view.model(), 0);
    view.RecalcPosition();
    for (int i = 0; i < 6; ++i)
        EXPECT_TRUE(view.model().series(i).isEmpty());
    EXPECT_EQ(view.scrollBar()->minimum(), 1);
    EXPECT_EQ(view.scrollBar()->maximum(), 1);
    EXPECT_EQ(view.model().Page(), 1);
}

TEST(ChartView, PageSurvivesALoadOrDropsToTheNewLastPage)
{
    const struct { int newRows; int page; int maximum; } cases[] = {{24, 2, 2}, {240, 4, 20}, {120, 4, 10}};
    for (const auto &c : cases) {
        QWidget host;
        sorvant::ChartView view(&host);
        load(view.model(), 120); // 10 pages
        view.RecalcPosition();
        view.scrollBar()->setValue(4);
        ASSERT_EQ(view.model().Page(), 4);
        load(view.model(), c.newRows);
        view.RecalcPosition();
        EXPECT_EQ(view.model().Page(), c.page) << c.newRows;
        EXPECT_EQ(view.scrollBar()->value(), c.page);
        EXPECT_EQ(view.scrollBar()->maximum(), c.maximum);
        EXPECT_DOUBLE_EQ(view.model().effectiveScale(ChartAxisId::Bottom).minimum, 12.0 * 25 * (c.page - 1));
    }
}

TEST(ChartView, ScrollBarTurnsPages)
{
    Window w;
    w.loadRows(60); // 5 pages
    QScrollBar *bar = w.bar();
    const struct { const char *what; std::function<void()> act; int page; } steps[] = {
        {"End", [&] { QTest::keyClick(bar, Qt::Key_End); }, 5},
        {"Left", [&] { QTest::keyClick(bar, Qt::Key_Left); }, 4},
        {"Page Up", [&] { QTest::keyClick(bar, Qt::Key_PageUp); }, 3},
        {"Home", [&] { QTest::keyClick(bar, Qt::Key_Home); }, 1},
        {"Right", [&] { QTest::keyClick(bar, Qt::Key_Right); }, 2},
        {"Page Down", [&] { QTest::keyClick(bar, Qt::Key_PageDown); }, 3},
        {"arrow button", [&] { bar->triggerAction(QAbstractSlider::SliderSingleStepAdd); }, 4},
        {"trough", [&] { bar->triggerAction(QAbstractSlider::SliderPageStepSub); }, 3},
        {"thumb drag", [&] { bar->setSliderDown(true); bar->setSliderPosition(5); }, 5},
        {"thumb back", [&] { bar->setSliderPosition(2); bar->setSliderDown(false); }, 2},
    };
    for (const auto &s : steps) {
        s.act();
        EXPECT_EQ(w.chart().Page(), s.page) << s.what;
        EXPECT_EQ(bar->value(), s.page) << s.what;
    }
    // Setting the page on the chart moves the bar too.
    w.chart().setPage(5);
    EXPECT_EQ(bar->value(), 5);
}

TEST(ChartView, ZoomNeedsMoreThanSixteenPixelsBothWays)
{
    const struct { int dx, dy; bool zooms; } cases[] = {
        {16, 16, false}, {17, 16, false}, {16, 17, false}, {17, 17, true}, {17, -17, true}, {120, 80, true},
    };
    for (const auto &c : cases) {
        Window w;
        w.loadRows(30);
        int repaints = 0;
        QObject::connect(&w.chart(), &ChartModel::changed, [&] { ++repaints; });
        const QPoint from = w.plotPoint(0.3, 0.5);
        w.drag(Qt::LeftButton, from, from + QPoint(c.dx, c.dy));
        EXPECT_EQ(w.chart().isZoomed(), c.zooms) << c.dx << "x" << c.dy;
        if (c.zooms) {
            EXPECT_GE(repaints, TDataChart::kZoomSteps) << "animated over five steps";
            const ChartAxisScale b = w.chart().effectiveScale(ChartAxisId::Bottom);
            EXPECT_GT(b.minimum, 0);
            EXPECT_LT(b.maximum - b.minimum, 275 * (c.dx + 1.0) / w.layout().frontPlane.width() + 1);
        }
        EXPECT_FALSE(w.view.chart()->isZoomDragging());
    }
}

TEST(ChartView, ZoomPanAndUndoByMouseRestoreThePageViewExactly)
{
    Window w;
    w.loadRows(60);
    w.bar()->setValue(3);
    const ChartLayout before = w.layout();

    w.drag(Qt::LeftButton, w.plotPoint(0.2, 0.2), w.plotPoint(0.6, 0.7));
    ASSERT_TRUE(w.chart().isZoomed());
    const ChartLayout zoomed = w.layout();

    // Right button pans the horizontal axes only; leaving the plot ends it.
    const QPoint a = w.plotPoint(0.5, 0.5);
    QTest::mousePress(w.widget(), Qt::RightButton, {}, a);
    QTest::mouseMove(w.widget(), a + QPoint(30, 10));
    const ChartLayout panned = w.layout();
    EXPECT_LT(panned.bottom.map.minimum, zoomed.bottom.map.minimum);
    EXPECT_DOUBLE_EQ(panned.left.map.minimum, zoomed.left.map.minimum);
    EXPECT_DOUBLE_EQ(panned.left.map.maximum, zoomed.left.map.maximum);
    QTest::mouseMove(w.widget(), QPoint(2, 2)); // off the plot
    QTest::mouseMove(w.widget(), a + QPoint(90, 10));
    QTest::mouseRelease(w.widget(), Qt::RightButton, {}, a + QPoint(90, 10));
    EXPECT_DOUBLE_EQ(w.layout().bottom.map.minimum, panned.bottom.map.minimum) << "the pan ended at the edge";
    EXPECT_EQ(w.chart().Page(), 3) << "zoom and pan leave the page alone";
    EXPECT_EQ(w.bar()->value(), 3);

    // A rectangle dragged to the left undoes zoom and pan.
    w.drag(Qt::LeftButton, w.plotPoint(0.7, 0.3), w.plotPoint(0.3, 0.8));
    EXPECT_FALSE(w.chart().isZoomed());
    const ChartLayout after = w.layout();
    EXPECT_EQ(after.bottom.map.minimum, before.bottom.map.minimum);
    EXPECT_EQ(after.bottom.map.maximum, before.bottom.map.maximum);
    EXPECT_EQ(after.left.map.minimum, before.left.map.minimum);
    EXPECT_EQ(after.left.map.maximum, before.left.map.maximum);
    EXPECT_EQ(after.right.map.maximum, before.right.map.maximum);
    EXPECT_EQ(after.bottom.labelValues, before.bottom.labelValues);
}

TEST(ChartView, LegendClickTogglesItsSeries)
{
    Window w;
    w.loadRows(30);
    const double highest = w.chart().effectiveScale(ChartAxisId::Left).maximum;
    ASSERT_DOUBLE_EQ(highest, 90); // Grain Temp in Dryer
    const auto clickItem = [&](int position) {
        const ChartLayout l = w.layout();
        for (const auto &item : l.legend)
            if (item.series == position)
                QTest::mouseClick(w.widget(), Qt::LeftButton, {}, item.textRect.center().toPoint());
    };
    clickItem(Series4);
    EXPECT_FALSE(w.chart().series(Series4).visible);
    EXPECT_DOUBLE_EQ(w.chart().effectiveScale(ChartAxisId::Left).maximum, 66);
    EXPECT_TRUE(w.chart().series(Series3).visible) << "items are not exclusive";
    EXPECT_FALSE(w.chart().isZoomed()) << "a legend click starts no zoom";
    clickItem(Series4);
    EXPECT_TRUE(w.chart().series(Series4).visible);
}

TEST(ChartView, MarkDragMovesTheMarkAndStartsNoZoom)
{
    Window w;
    w.loadRows(30);
    w.view.setMarkersVisible(true);
    const ChartLayout l = w.layout();
    ASSERT_FALSE(l.marks.empty());
    // The topmost mark at a place: Unload Rate, drawn last.
    const ChartMarkLayout &m = l.marks[static_cast<std::size_t>(l.markAt(l.marks.back().rect.center()))];
    const QPoint from = m.rect.center().toPoint();
    w.drag(Qt::LeftButton, from, from + QPoint(40, -30));
    EXPECT_FALSE(w.chart().isZoomed());
    EXPECT_EQ(w.chart().series(m.series).markOffset(m.point), QPointF(40, -30));
    // A right-button drag on a mark moves it too, and pans nothing.
    const QPoint moved = from + QPoint(40, -30);
    w.drag(Qt::RightButton, moved, moved + QPoint(-5, 5));
    EXPECT_EQ(w.chart().series(m.series).markOffset(m.point), QPointF(35, -25));
    EXPECT_FALSE(w.chart().isZoomed());
}

TEST(ViewSwitcher, SwitchesBetweenSpreadsheetAndChartKeepingBothStates)
{
    QWidget host;
    auto *grid = new QTableWidget(50, 9, &host);
    sorvant::ChartView view(&host);
    QAction button;
    sorvant::ViewSwitcher switcher(grid, &view, &button);
    host.resize(925, 657);
    grid->resize(925, 657);
    view.chartWidget()->resize(925, 640);
    host.show();
    grid->setColumnHidden(4, true);
    grid->setCurrentCell(30, 2);
    EXPECT_FALSE(switcher.chartIsCurrent());
    EXPECT_EQ(switcher.buttonImage(), 2);

    // Before any load the chart shows its placeholder pages 1 of 3.
    switcher.SwitchViewsClick();
    EXPECT_TRUE(switcher.chartIsCurrent());
    EXPECT_TRUE(grid->isHidden());
    EXPECT_FALSE(view.chartWidget()->isHidden());
    EXPECT_FALSE(view.scrollBar()->isHidden());
    EXPECT_EQ(switcher.buttonImage(), 5);
    EXPECT_EQ(view.scrollBar()->maximum(), 3);
    EXPECT_EQ(view.scrollBar()->value(), 1);

    // A load that did not recalculate the bar is caught up by the switch.
    load(view.model(), 60);
    view.scrollBar()->setValue(3);
    view.model().ZoomRect(QRectF(200, 100, 200, 200));
    ASSERT_TRUE(view.model().isZoomed());
    view.model().setSeriesVisible(Series2, false);
    const ChartScales zoom = view.model().scales();
    switcher.SwitchViewsClick();
    EXPECT_FALSE(grid->isHidden());
    EXPECT_TRUE(view.chartWidget()->isHidden());
    EXPECT_TRUE(view.scrollBar()->isHidden());
    EXPECT_EQ(switcher.buttonImage(), 2);
    EXPECT_TRUE(grid->isColumnHidden(4));
    EXPECT_EQ(grid->currentRow(), 30);
    switcher.SwitchViewsClick();
    EXPECT_EQ(view.model().Page(), 3);
    EXPECT_EQ(view.scrollBar()->value(), 3);
    EXPECT_EQ(view.scrollBar()->maximum(), 5);
    EXPECT_EQ(view.model().scales(), zoom);
    EXPECT_FALSE(view.model().series(Series2).visible);
    EXPECT_TRUE(view.model().series(Series1).visible);
}

TEST(ViewSwitcher, ButtonImagesAreOurOwnPictures)
{
    const QImage chart = sorvant::ViewSwitcher::toolbarImage(2).pixmap(32, 32).toImage();
    const QImage table = sorvant::ViewSwitcher::toolbarImage(5).pixmap(32, 32).toImage();
    EXPECT_EQ(chart.size(), QSize(32, 32));
    EXPECT_EQ(table.size(), QSize(32, 32));
    EXPECT_NE(chart, table);
    EXPECT_EQ(sorvant::ViewSwitcher::toolbarImage(2).pixmap(32, 32, QIcon::Active).toImage(), chart)
        << "the same picture when highlighted";
}
