// The chart's numbers: pages, axis ranges, labels and what is laid out.
#include "chartfixture.h"
#include "textink.h"

#include <gtest/gtest.h>

#include <QFontMetricsF>
#include <QImage>
#include <QPainter>

#include <cmath>

using namespace chartfixture;

namespace {

ChartAxisScale bottomRange(const ChartModel &chart) { return chart.effectiveScale(ChartAxisId::Bottom); }

} // namespace

TEST(ChartPaging, PageCountFollowsRowsTwelveToAPage)
{
    const struct { int rows; int pages; } cases[] = {{0, 1}, {1, 1}, {12, 1}, {13, 2}, {24, 2}, {25, 3}, {30, 3}};
    for (const auto &c : cases) {
        SorvantChart f;
        load(f.chart, c.rows);
        EXPECT_EQ(f.chart.NumPages(), c.pages) << c.rows << " rows";
    }
    ChartModel empty;
    EXPECT_EQ(empty.NumPages(), 1) << "a chart without series";
}

TEST(ChartPaging, BottomAxisFollowsThePageAndStretchesAShortLastPage)
{
    // step, rows, page -> expected range
    const struct { int step, rows, page; double from, to; } cases[] = {
        {25, 30, 1, 0, 275},    // the worked example
        {25, 30, 2, 300, 575},
        {25, 30, 3, 600, 850},  // six points keep a full page's spacing
        {25, 12, 1, 0, 275},    // exactly one page: first to twelfth point
        {25, 13, 2, 300, 312},  // a page of one point runs to X + 12
        {5, 14, 2, 60, 60 + 5.0 * 12 / 2},
    };
    for (const auto &c : cases) {
        SorvantChart f;
        load(f.chart, c.rows, c.step);
        f.chart.setPage(c.page);
        ASSERT_EQ(f.chart.Page(), c.page);
        const ChartAxisScale r = bottomRange(f.chart);
        EXPECT_DOUBLE_EQ(r.minimum, c.from) << c.rows << " rows, page " << c.page;
        EXPECT_DOUBLE_EQ(r.maximum, c.to) << c.rows << " rows, page " << c.page;
        const ChartLayout l = f.layout();
        EXPECT_DOUBLE_EQ(l.bottom.map.minimum, c.from);
        EXPECT_DOUBLE_EQ(l.bottom.map.maximum, c.to);
    }
}

TEST(ChartPaging, ShortLastPageFillsTheLeftOfThePlot)
{
    SorvantChart f;
    load(f.chart, 30);
    f.chart.setPage(3);
    const ChartLayout l = f.layout();
    ASSERT_FALSE(l.series.empty());
    const QPolygonF &run = l.series.front().front.front();
    // Points 600..725 laid out (plus nothing beyond the end); the last sits
    // at 125/250 of the plot width.
    EXPECT_EQ(l.series.front().first, 23u) << "one point before the page";
    EXPECT_EQ(l.series.front().last, 29u);
    EXPECT_NEAR(run.back().x(), l.plot.left() + l.plot.width() * 125.0 / 250.0, 1e-6);
}

TEST(ChartPaging, SetPageStaysWithinThePages)
{
    SorvantChart f;
    load(f.chart, 30);
    for (const auto &c : {std::pair{0, 1}, std::pair{2, 2}, std::pair{99, 3}, std::pair{-5, 1}}) {
        f.chart.setPage(c.first);
        EXPECT_EQ(f.chart.Page(), c.second) << c.first;
    }
}

TEST(ChartLayout, OnlyThePointsOfTheVisibleRangeAreLaidOut)
{
    SorvantChart f;
    load(f.chart, 144000, 5);
    f.chart.setPage(5000);
    const ChartLayout l = f.layout();
    ASSERT_EQ(l.series.size(), 6u);
    for (const ChartSeriesLayout &s : l.series) {
        EXPECT_EQ(s.first, 12u * 4999 - 1);
        EXPECT_EQ(s.last, 12u * 5000);
        ASSERT_EQ(s.front.size(), 1u);
        EXPECT_EQ(s.front.front().size(), 14);
    }
}

TEST(ChartLayout, LinesToValuesFarOffTheAxisAreCutAtThePlot)
{
    // One corrupt record: Unload Rate 0xFFFF far above the fixed 0-100 axis,
    // and a moisture far below it.
    SorvantChart f;
    load(f.chart, 30, 25, [](int r) {
        RowValues v;
        if (r == 5)
            v.unload = 655350;
        if (r == 7)
            v.moistureIn = -1e9;
        return v;
    });
    for (const bool view3D : {false, true}) {
        SCOPED_TRACE(view3D ? "3D" : "2D");
        f.chart.setView3D(view3D);
        const ChartLayout l = f.layout();
        const QRectF near = l.frontPlane.adjusted(-8, -8, 8, 8);
        ASSERT_EQ(l.series.size(), 6u);
        for (const ChartSeriesLayout &s : l.series) {
            for (const auto *runs : {&s.front, &s.back})
                for (const QPolygonF &run : *runs)
                    for (const QPointF &p : run)
                        EXPECT_TRUE(near.contains(p)) << s.series << ": " << p.x() << ", " << p.y();
            if (view3D)
                continue;
            // The line still leaves through the top between rows 4 and 5 and
            // comes back between rows 5 and 6; other series are one run.
            if (s.series == Series6 || s.series == Series1) {
                ASSERT_EQ(s.front.size(), 2u) << s.series;
                const double row = s.series == Series6 ? 5 : 7;
                const double leaves = s.front[0].back().x(), returns = s.front[1].front().x();
                EXPECT_GT(leaves, l.bottom.map.toPixel((row - 1) * 25));
                EXPECT_LT(leaves, l.bottom.map.toPixel(row * 25));
                EXPECT_GT(returns, l.bottom.map.toPixel(row * 25));
                EXPECT_LT(returns, l.bottom.map.toPixel((row + 1) * 25));
                EXPECT_NEAR(s.front[0].back().y(), s.series == Series6 ? l.plot.top() : l.plot.bottom(), 5);
            } else {
                EXPECT_EQ(s.front.size(), 1u) << s.series;
            }
        }
    }
}

TEST(ChartLayout, BottomLabelsAreThePointTimesAndSkipOverlaps)
{
    SorvantChart wide;
    load(wide.chart, 30);
    const ChartLayout l = wide.layout();
    ASSERT_EQ(l.bottom.labels.size(), 12u);
    for (int i = 0; i < 12; ++i) {
        EXPECT_EQ(l.bottom.labels[static_cast<std::size_t>(i)].text, QString::fromStdString(timeText(i)));
        EXPECT_DOUBLE_EQ(l.bottom.labelValues[static_cast<std::size_t>(i)], 25.0 * i);
    }
    EXPECT_EQ(l.bottom.minorTicks.size(), 11u * 7) << "seven minor ticks between labels";

    // On a narrow chart some labels are left out; none of those drawn, each
    // widened by 20 %, overlaps the one before, and the first is always drawn.
    SorvantChart narrow(QSizeF(260, 300));
    load(narrow.chart, 30);
    const ChartLayout n = narrow.layout();
    ASSERT_LT(n.bottom.labels.size(), 12u);
    ASSERT_GE(n.bottom.labels.size(), 2u);
    EXPECT_EQ(n.bottom.labels.front().text, QStringLiteral("6:00"));
    const QFontMetricsF fm(narrow.chart.axis(ChartAxisId::Bottom).labelFont);
    for (std::size_t i = 1; i < n.bottom.labels.size(); ++i) {
        const auto &a = n.bottom.labels[i - 1];
        const auto &b = n.bottom.labels[i];
        const double aRight = a.rect.center().x() + fm.horizontalAdvance(a.text) * 0.6;
        const double bLeft = b.rect.center().x() - fm.horizontalAdvance(b.text) * 0.6;
        EXPECT_GE(bLeft, aRight - 1e-9) << b.text.toStdString();
    }
}

TEST(ChartLayout, LeftAxisRunsFromZeroToTheHighestVisibleTemperature)
{
    SorvantChart f;
    load(f.chart, 30, 25, [](int r) {
        RowValues v;
        v.tempIn = 40;
        v.tempDryer = r == 29 ? 95 : 80; // the highest value is on another page
        v.tempOut = 66;
        return v;
    });
    EXPECT_DOUBLE_EQ(f.chart.effectiveScale(ChartAxisId::Left).maximum, 95);
    EXPECT_DOUBLE_EQ(f.chart.effectiveScale(ChartAxisId::Left).minimum, 0);
    const ChartLayout l = f.layout();
    // 0 sits one pixel above the plot's bottom, the top value two below its top.
    EXPECT_DOUBLE_EQ(l.left.map.toPixel(0), l.plot.bottom() - 1);
    EXPECT_DOUBLE_EQ(l.left.map.toPixel(95), l.plot.top() + 2);

    f.chart.setSeriesVisible(Series4, false);
    EXPECT_DOUBLE_EQ(f.chart.effectiveScale(ChartAxisId::Left).maximum, 66);
    EXPECT_EQ(f.chart.NumPages(), 3) << "the other series still hold 30 points";
    const ChartAxisScale right = f.chart.effectiveScale(ChartAxisId::Right);
    EXPECT_DOUBLE_EQ(right.minimum, 0);
    EXPECT_DOUBLE_EQ(right.maximum, 100);
}

TEST(ChartLayout, HidingAllSeriesLeavesAnEmptyPlotOfOnePage)
{
    SorvantChart f;
    load(f.chart, 30);
    f.chart.setMarksVisible(true);
    f.chart.setPage(2);
    for (int i = 0; i < 6; ++i)
        f.chart.setSeriesVisible(i, false);
    EXPECT_EQ(f.chart.NumPages(), 1);
    ChartLayout l = f.layout();
    EXPECT_TRUE(l.series.empty());
    EXPECT_TRUE(l.marks.empty());
    EXPECT_TRUE(l.bottom.labels.empty());
    ASSERT_EQ(l.legend.size(), 6u) << "all six stay in the legend";
    for (const auto &item : l.legend)
        EXPECT_FALSE(item.checked);

    f.chart.setSeriesVisible(Series1, true);
    EXPECT_EQ(f.chart.Page(), 2) << "hiding does not move the page";
    l = f.layout();
    ASSERT_EQ(l.series.size(), 1u);
    EXPECT_EQ(l.series.front().series, static_cast<int>(Series1));
    EXPECT_DOUBLE_EQ(l.bottom.map.minimum, 300);
}

TEST(ChartLayout, LeftLabelsEveryFiveWidenUntilTheyFit)
{
    EXPECT_DOUBLE_EQ(fitLabelStep(0, 100, 5, 30), 5);
    EXPECT_DOUBLE_EQ(fitLabelStep(0, 100, 5, 21), 5);
    EXPECT_DOUBLE_EQ(fitLabelStep(0, 100, 5, 20), 10);
    EXPECT_DOUBLE_EQ(fitLabelStep(0, 100, 5, 10), 20);
    EXPECT_DOUBLE_EQ(fitLabelStep(0, 300, 5, 10), 50);
    EXPECT_DOUBLE_EQ(fitLabelStep(0, 2000, 5, 8), 500);
    EXPECT_DOUBLE_EQ(fitLabelStep(0, 0.5, 5, 3), 5) << "one label always fits";
    EXPECT_EQ(labelsThatFit(110, 10), 10);
    EXPECT_EQ(labelsThatFit(115, 10), 10);
    EXPECT_EQ(labelsThatFit(5, 10), 1);

    // A tall chart shows every multiple of 5; a short one widens the step.
    const struct { double height; } sizes[] = {{900}, {400}, {260}, {200}};
    double previous = 0;
    for (const auto &s : sizes) {
        SorvantChart f(QSizeF(600, s.height));
        load(f.chart, 30, 25, [](int) { RowValues v; v.tempDryer = 140; return v; });
        const ChartLayout l = f.layout();
        const double step = l.left.labelStep;
        const int fits = labelsThatFit(l.plot.height(), QFontMetricsF(f.chart.axis(ChartAxisId::Left).labelFont).height());
        EXPECT_LE(static_cast<int>(l.left.labels.size()), fits) << s.height;
        EXPECT_GE(step, previous) << "a shorter plot never gets a narrower step";
        if (step > 5) { // the step before this one would not have fitted
            const double narrower = step == 10 ? 5 : step == 20 ? 10 : step == 50 ? 20 : 50;
            EXPECT_GT(std::floor(140 / narrower) + 1, fits) << s.height;
        }
        for (std::size_t i = 0; i < l.left.labelValues.size(); ++i)
            EXPECT_DOUBLE_EQ(l.left.labelValues[i], step * static_cast<double>(i));
        previous = step;
    }
    EXPECT_GT(previous, 5) << "the shortest chart needed a wider step";
}

// The axis labels are bold navy as designed, in a bold that really is heavier.
TEST(ChartLayout, AxisLabelsAreVisiblyBold)
{
    sorvant::registerChartFonts(); // the faces the window draws with
    SorvantChart f;
    for (ChartAxisId id : {ChartAxisId::Bottom, ChartAxisId::Left}) {
        const QFont font = f.chart.axis(id).labelFont;
        EXPECT_TRUE(font.bold());
        EXPECT_EQ(f.chart.axis(id).labelColour, QColor(0, 0, 128));
        const double ratio = sorvant::testing::boldInkRatio(font, QStringLiteral("14:05 15:30 100 95"));
        EXPECT_GT(ratio, 1.25) << font.family().toStdString() << ": bold draws no heavier than regular";
    }
}

TEST(ChartLayout, PlaceholderPointsGiveThreePagesOfNumberedLabels)
{
    SorvantChart f;
    sorvant::setPlaceholderPoints(f.chart);
    EXPECT_EQ(f.chart.NumPages(), 3);
    EXPECT_EQ(f.chart.series(Series3).count(), 31u);
    EXPECT_EQ(f.chart.series(Series6).count(), 26u);
    EXPECT_EQ(f.chart.series(Series1).count(), 25u);

    ChartLayout l = f.layout();
    ASSERT_FALSE(l.bottom.labels.empty());
    EXPECT_EQ(l.bottom.labels.front().text, QStringLiteral("0"));

    f.chart.setPage(3);
    const ChartAxisScale r = bottomRange(f.chart);
    EXPECT_DOUBLE_EQ(r.minimum, 24);
    EXPECT_DOUBLE_EQ(r.maximum, 24 + 6.0 * 12 / 7);
    l = f.layout();
    ASSERT_FALSE(l.bottom.labels.empty());
    EXPECT_EQ(l.bottom.labels.front().text, QStringLiteral("24")) << "labels start at the axis minimum";
    // Whole steps for the format "0": no label is written twice.
    for (std::size_t i = 1; i < l.bottom.labels.size(); ++i)
        EXPECT_NE(l.bottom.labels[i].text, l.bottom.labels[i - 1].text);
    EXPECT_GE(l.bottom.labelStep, 1);
    // Series3's six places without a value are not drawn.
    for (const ChartSeriesLayout &s : l.series) {
        if (s.series != Series3)
            continue;
        for (const QPolygonF &run : s.front)
            for (const QPointF &p : run)
                EXPECT_LE(l.bottom.map.toValue(p.x()), 24 + 1e-6);
    }
}

TEST(ChartZoom, ZoomBetweenTwoLabelledPointsShowsTheTimesAtTheAxisEnds)
{
    SorvantChart f;
    load(f.chart, 30, 5); // 1 minute averaging: X 0, 5, 10, ... at 6:00, 6:05, 6:10, ...
    const ChartLayout page = f.layout();
    // A rectangle strictly between the second (6:05) and third (6:10) point.
    const double x1 = page.bottom.map.toPixel(6), x2 = page.bottom.map.toPixel(9);
    ASSERT_GT(x2 - x1, 16);
    f.chart.ZoomRect(QRectF(x1, page.plot.top() + 20, x2 - x1, 100), 1, {});
    ASSERT_TRUE(f.chart.isZoomed());
    const ChartLayout zoomed = f.layout();
    ASSERT_NEAR(zoomed.bottom.map.minimum, 6, 1e-6);
    ASSERT_NEAR(zoomed.bottom.map.maximum, 9, 1e-6);
    // Times interpolated between the neighbouring points, at the two ends,
    // readable inside the plot's width: 6:05 + 1/5 and 4/5 of five minutes.
    ASSERT_EQ(zoomed.bottom.labels.size(), 2u);
    EXPECT_EQ(zoomed.bottom.labels[0].text, QStringLiteral("6:06"));
    EXPECT_EQ(zoomed.bottom.labels[1].text, QStringLiteral("6:09"));
    EXPECT_NEAR(zoomed.bottom.labelValues[0], 6, 1e-6);
    EXPECT_NEAR(zoomed.bottom.labelValues[1], 9, 1e-6);
    EXPECT_GE(zoomed.bottom.labels[0].rect.left(), zoomed.frontPlane.left() - 1);
    EXPECT_LE(zoomed.bottom.labels[1].rect.right(), zoomed.frontPlane.right() + 1);
    EXPECT_LE(zoomed.bottom.labels[0].rect.right(), zoomed.bottom.labels[1].rect.left());
    EXPECT_EQ(zoomed.bottom.ticks.size(), 2u);

    // Panned one plot width on, to take in the third point: its time is the
    // only label, under its point.
    f.chart.panPixels(-(zoomed.bottom.map.endPx - zoomed.bottom.map.startPx));
    const ChartLayout panned = f.layout();
    ASSERT_LE(panned.bottom.map.minimum, 10);
    ASSERT_GE(panned.bottom.map.maximum, 10);
    ASSERT_EQ(panned.bottom.labels.size(), 1u);
    EXPECT_EQ(panned.bottom.labels.front().text, QString::fromStdString(timeText(2)));
}

TEST(ChartZoom, TimesBetweenPointsAcrossMidnightAndBeyondTheLog)
{
    // Points at 23:50, 0:10 (a jump over midnight), then off the end of the log.
    SorvantChart f;
    sorvant::ChartSeriesSink sink(f.chart);
    for (int s = 0; s < sorvant::kSeriesCount; ++s) {
        sink.Clear(s);
        sink.AddXY(s, 0, 10, "23:50");
        sink.AddXY(s, 100, 10, "0:10");
    }
    f.chart.dataChanged();
    const auto labelsFor = [&f](double from, double to) {
        ChartScales scales;
        for (int a = 0; a < kChartAxisCount; ++a)
            scales[static_cast<std::size_t>(a)] = f.chart.effectiveScale(static_cast<ChartAxisId>(a));
        scales[static_cast<std::size_t>(ChartAxisId::Bottom)] = {false, from, to};
        f.chart.zoomTo(scales);
        std::vector<std::string> texts;
        for (const ChartText &t : f.layout().bottom.labels)
            texts.push_back(t.text.toStdString());
        return texts;
    };
    EXPECT_EQ(labelsFor(25, 75), (std::vector<std::string>{"23:55", "0:05"}));
    // Past the last point: its time, at the end nearest to it; never X values.
    EXPECT_EQ(labelsFor(150, 200), (std::vector<std::string>{"0:10"}));
    EXPECT_EQ(labelsFor(-80, -20), (std::vector<std::string>{"23:50"}));
}

TEST(ChartLayout, MarksShowTheValueFormatAboveTheirPoints)
{
    SorvantChart f;
    load(f.chart, 30);
    f.chart.setMarksVisible(true);
    const ChartLayout l = f.layout();
    ASSERT_EQ(l.marks.size(), 6u * 12) << "only the page's points, not the neighbours";
    const auto textOf = [&](int position) {
        for (const auto &m : l.marks)
            if (m.series == position)
                return m.text;
        return QString();
    };
    EXPECT_EQ(textOf(Series1), QStringLiteral("21.5"));
    EXPECT_EQ(textOf(Series2), QStringLiteral("15.0"));
    EXPECT_EQ(textOf(Series3), QStringLiteral("62"));
    EXPECT_EQ(textOf(Series6), QStringLiteral("35"));
    for (const auto &m : l.marks) {
        EXPECT_DOUBLE_EQ(m.rect.bottom(), m.anchor.y());
        EXPECT_DOUBLE_EQ(m.rect.center().x(), m.anchor.x());
    }
    // Overlapping marks: the series drawn last is found first.
    EXPECT_EQ(l.marks[static_cast<std::size_t>(l.markAt(l.marks.front().rect.center()))].series,
              l.marks.front().series);
}

TEST(ChartLayout, DraggedMarkKeepsItsOffsetUntilTheSeriesIsCleared)
{
    SorvantChart f;
    load(f.chart, 30);
    f.chart.setMarksVisible(true);
    f.chart.series(Series6).setMarkOffset(3, QPointF(10, -20));
    ChartLayout l = f.layout();
    bool found = false;
    for (const auto &m : l.marks)
        if (m.series == Series6 && m.point == 3) {
            found = true;
            EXPECT_DOUBLE_EQ(m.rect.bottom(), m.anchor.y() - 20);
            EXPECT_DOUBLE_EQ(m.rect.center().x(), m.anchor.x() + 10);
        }
    EXPECT_TRUE(found);
    load(f.chart, 30);
    EXPECT_EQ(f.chart.series(Series6).markOffset(3), QPointF());
}

TEST(ChartLayout, SeriesTableOrderColoursAndAxes)
{
    SorvantChart f;
    const ChartLayout l = f.layout();
    const char *titles[] = {"Grain Temp In", "Grain Temp in Dryer", "Grain Temp Out",
                            "Moisture In",   "Moisture Out",        "Unload Rate"};
    ASSERT_EQ(l.legend.size(), 6u);
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(l.legend[static_cast<std::size_t>(i)].text, QString::fromLatin1(titles[i]));
    // Grain Temp Out takes the first pastel not in use; its pen stays red.
    EXPECT_EQ(f.chart.series(Series5).seriesColour, QColor(204, 255, 255));
    EXPECT_EQ(f.chart.series(Series5).penColour, QColor(255, 0, 0));
    EXPECT_EQ(f.chart.series(Series1).verticalAxis, ChartAxisId::Right);
    EXPECT_EQ(f.chart.series(Series4).verticalAxis, ChartAxisId::Left);
    EXPECT_EQ(l.right.title.text, QStringLiteral("Moisture \\ Unload Rate % (\u00F7" "10)"));
    EXPECT_EQ(l.right.title.angle, 270);
    EXPECT_EQ(l.left.title.angle, 90);
    // The sink feeds Series1..Series6 into the chart's own series.
    sorvant::ChartSeriesSink sink(f.chart);
    sink.AddXY(0, 0, 21.5, "6:00");
    sink.AddXY(2, 0, 62, "6:00");
    EXPECT_EQ(f.chart.series(Series1).count(), 1u);
    EXPECT_EQ(f.chart.series(Series3).count(), 1u);
    EXPECT_DOUBLE_EQ(f.chart.series(Series3).y(0), 62);
}

TEST(ChartLayout, View3DGivesRibbonsInDepthSlotsAndAFlatUnloadRate)
{
    SorvantChart f;
    load(f.chart, 30);
    f.chart.setView3D(true);
    const ChartLayout l = f.layout();
    EXPECT_TRUE(l.projection.enabled);
    EXPECT_DOUBLE_EQ(l.depth, l.plot.width() * 0.25);
    EXPECT_NEAR(l.frontPlane.width(), l.plot.width() * 0.8, 1e-6);
    EXPECT_EQ(l.frontPlane.topLeft(), l.projection.map(l.plot.topLeft()));
    ASSERT_EQ(l.series.size(), 6u);
    for (const ChartSeriesLayout &s : l.series) {
        const bool flat = s.series == Series6;
        EXPECT_EQ(s.ribbon, !flat);
        EXPECT_EQ(s.back.size(), flat ? 0u : s.front.size());
    }
    // Earlier series sit further back, so their lines shrink more towards the centre.
    const auto span = [&](int i) {
        const QPolygonF &run = l.series[static_cast<std::size_t>(i)].front.front();
        return run.back().x() - run.front().x();
    };
    for (int i = 1; i < 6; ++i)
        EXPECT_GT(span(i), span(i - 1)) << "series " << i << " is in front of " << i - 1;
    EXPECT_FALSE(l.backWall.isEmpty());
    EXPECT_FALSE(l.leftWall.isEmpty());
}

TEST(ChartZoom, ZoomThenPanThenUndoRestoresThePageView)
{
    SorvantChart f;
    load(f.chart, 30, 25, [](int r) { RowValues v; v.tempDryer = 50 + r; return v; });
    f.chart.setPage(2);
    const ChartLayout before = f.layout();
    const ChartScales scalesBefore = f.chart.scales();

    int steps = 0;
    const QRectF rect(before.plot.left() + 100, before.plot.top() + 50, 200, 150);
    f.chart.ZoomRect(rect, 5, [&] { ++steps; });
    EXPECT_EQ(steps, 5);
    EXPECT_TRUE(f.chart.isZoomed());
    const ChartLayout zoomed = f.layout();
    // The rectangle's corners now lie on the plot's corners, for all axes.
    EXPECT_NEAR(zoomed.bottom.map.minimum, before.bottom.map.toValue(rect.left()), 1e-9);
    EXPECT_NEAR(zoomed.bottom.map.maximum, before.bottom.map.toValue(rect.right()), 1e-9);
    EXPECT_NEAR(zoomed.left.map.maximum, before.left.map.toValue(rect.top()), 1e-9);
    EXPECT_NEAR(zoomed.left.map.minimum, before.left.map.toValue(rect.bottom()), 1e-9);
    EXPECT_NEAR(zoomed.right.map.minimum, before.right.map.toValue(rect.bottom()), 1e-9);
    EXPECT_FALSE(f.chart.scales()[static_cast<std::size_t>(ChartAxisId::Top)].automatic);

    // A pan shifts the horizontal axes only.
    f.chart.panPixels(-40);
    const ChartLayout panned = f.layout();
    const double unitsPerPx = (zoomed.bottom.map.maximum - zoomed.bottom.map.minimum) / zoomed.plot.width();
    EXPECT_NEAR(panned.bottom.map.minimum, zoomed.bottom.map.minimum + 40 * unitsPerPx, 1e-9);
    EXPECT_DOUBLE_EQ(panned.left.map.minimum, zoomed.left.map.minimum);
    EXPECT_DOUBLE_EQ(panned.left.map.maximum, zoomed.left.map.maximum);

    // Turning the page while zoomed keeps the zoomed view.
    f.chart.setPage(3);
    EXPECT_DOUBLE_EQ(f.layout().bottom.map.minimum, panned.bottom.map.minimum);
    f.chart.setPage(2);

    f.chart.UndoZoom();
    EXPECT_FALSE(f.chart.isZoomed());
    EXPECT_EQ(f.chart.scales(), scalesBefore);
    const ChartLayout after = f.layout();
    EXPECT_EQ(after.bottom.map.minimum, before.bottom.map.minimum);
    EXPECT_EQ(after.bottom.map.maximum, before.bottom.map.maximum);
    EXPECT_EQ(after.left.map.maximum, before.left.map.maximum);
    EXPECT_EQ(after.right.map.maximum, before.right.map.maximum);
    EXPECT_EQ(after.bottom.labelValues, before.bottom.labelValues);
}

TEST(ChartZoom, PanAloneIsUndoneLikeAZoom)
{
    SorvantChart f;
    load(f.chart, 30);
    f.chart.panPixels(25);
    EXPECT_TRUE(f.chart.isZoomed());
    EXPECT_LT(f.chart.effectiveScale(ChartAxisId::Bottom).minimum, 0);
    EXPECT_TRUE(f.chart.scales()[static_cast<std::size_t>(ChartAxisId::Left)].automatic);
    f.chart.UndoZoom();
    EXPECT_DOUBLE_EQ(f.chart.effectiveScale(ChartAxisId::Bottom).minimum, 0);
    EXPECT_DOUBLE_EQ(f.chart.effectiveScale(ChartAxisId::Bottom).maximum, 275);
}

TEST(ChartPrint, PrintPartialStretchesTheScreenPictureIntoTheRectangle)
{
    SorvantChart f(QSizeF(400, 300));
    load(f.chart, 30);
    QImage screen(400, 300, QImage::Format_ARGB32);
    screen.fill(Qt::transparent);
    {
        QPainter p(&screen);
        f.chart.PrintPartial(p, QRect(0, 0, 400, 300));
    }
    QImage paper(1000, 450, QImage::Format_ARGB32);
    paper.fill(Qt::transparent);
    {
        QPainter p(&paper);
        f.chart.PrintPartial(p, QRect(100, 50, 800, 300)); // twice as wide, as tall
    }
    // Outside the rectangle nothing is drawn; inside, the screen picture is
    // found again at the stretched places.
    EXPECT_EQ(qAlpha(paper.pixel(50, 20)), 0);
    EXPECT_EQ(qAlpha(paper.pixel(950, 400)), 0);
    const ChartLayout l = f.layout();
    const QPointF wall = l.plot.center() + QPointF(3, 40);
    const QRgb a = screen.pixel(wall.toPoint());
    const QRgb b = paper.pixel(QPointF(100 + wall.x() * 2, 50 + wall.y()).toPoint());
    EXPECT_EQ(a, b);
}

TEST(ChartFormat, ValueFormats)
{
    const QLocale c = QLocale::c();
    const QLocale german(QLocale::German, QLocale::Germany);
    const struct { double v; const char *format; QLocale locale; const char *text; } cases[] = {
        {12.6, "0", c, "13"},        {21.5, "0.0", c, "21.5"},       {15, "0.0", c, "15.0"},
        {-0.2, "0", c, "0"},         {1234.5, "#,##0.###", c, "1,234.5"}, {100, "#,##0.###", c, "100"},
        {0.12345, "#,##0.###", c, "0.123"}, {21.5, "0.0", german, "21,5"}, {-10, "0", c, "-10"},
    };
    for (const auto &t : cases)
        EXPECT_EQ(formatChartValue(t.v, QString::fromLatin1(t.format), t.locale), QString::fromLatin1(t.text))
            << t.v << " " << t.format;
}

TEST(ChartZoom, In3DTheRectangleIsReadOnTheFrontOfThePlot)
{
    SorvantChart f;
    load(f.chart, 30, 25, [](int r) { RowValues v; v.tempDryer = 50 + r; return v; });
    f.chart.setView3D(true);
    const ChartLayout before = f.layout();
    // Zooming to the front plane itself shows the same ranges again.
    f.chart.ZoomRect(before.frontPlane);
    const ChartLayout same = f.layout();
    EXPECT_NEAR(same.bottom.map.minimum, before.bottom.map.minimum, 1e-9);
    EXPECT_NEAR(same.bottom.map.maximum, before.bottom.map.maximum, 1e-9);
    // Vertically within a pixel: the left axis keeps its pixel of room at each end.
    EXPECT_NEAR(same.left.map.toPixel(40), before.left.map.toPixel(40), 1.0);
    // A pan of half the front's width moves the axis by half its range.
    f.chart.panPixels(-before.frontPlane.width() / 2);
    const ChartAxisScale b = f.chart.effectiveScale(ChartAxisId::Bottom);
    const double range = same.bottom.map.maximum - same.bottom.map.minimum;
    EXPECT_NEAR(b.minimum, same.bottom.map.minimum + range / 2, 1e-6);
}
