// The overview control: its summary against a plain walk, the picture read
// back pixel by pixel, and the mouse.
#include "controls/overview/overviewwidget.h"
#include "views/overviewconfig.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>

namespace {

// Series held in memory.
class TableSource : public OverviewSource
{
public:
    std::vector<std::vector<float>> data;
    int seriesCount() const override { return int(data.size()); }
    std::size_t pointCount() const override { return data.empty() ? 0 : data[0].size(); }
    void values(int series, std::size_t first, std::size_t count, float *out) const override
    {
        std::copy_n(data[std::size_t(series)].begin() + std::ptrdiff_t(first), count, out);
    }
};

std::shared_ptr<TableSource> randomSource(std::size_t points, int series, unsigned seed)
{
    auto source = std::make_shared<TableSource>();
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> value(0, 100);
    source->data.assign(std::size_t(series), std::vector<float>(points));
    for (auto &s : source->data)
        for (float &v : s)
            v = value(rng);
    return source;
}

TEST(OverviewSummary, AnyRunAgreesWithAWalkOverItsPoints)
{
    for (const std::size_t points : {1u, 15u, 16u, 17u, 1000u, 70001u}) {
        const auto source = randomSource(points, 2, unsigned(points));
        const OverviewSummary summary(source);
        ASSERT_EQ(summary.pointCount(), points);
        std::mt19937 rng(7);
        std::uniform_int_distribution<std::size_t> pick(0, points);
        for (int k = 0; k < 300; ++k) {
            std::size_t a = pick(rng), b = pick(rng);
            if (k == 0) {
                a = 0;
                b = points;
            }
            if (a > b)
                std::swap(a, b);
            const OverviewStats st = summary.query(1, a, b);
            ASSERT_EQ(st.count, b - a) << points << " [" << a << "," << b << ")";
            if (a == b)
                continue;
            const auto &v = source->data[1];
            const auto [lo, hi] = std::minmax_element(v.begin() + std::ptrdiff_t(a), v.begin() + std::ptrdiff_t(b));
            double sum = 0;
            for (std::size_t i = a; i < b; ++i)
                sum += v[i];
            ASSERT_EQ(st.minimum, *lo) << points << " [" << a << "," << b << ")";
            ASSERT_EQ(st.maximum, *hi) << points << " [" << a << "," << b << ")";
            ASSERT_NEAR(st.sum, sum, 1e-6 * std::max(1.0, std::abs(sum)));
        }
        EXPECT_EQ(summary.query(0, points, points + 10).count, 0u);
    }
    EXPECT_EQ(OverviewSummary().pointCount(), 0u);
}

// The full log's length with a flat Moisture Out and one spike of a single
// record.
std::shared_ptr<TableSource> spikeSource(std::size_t points, std::size_t spikeAt)
{
    auto source = std::make_shared<TableSource>();
    source->data.assign(1, std::vector<float>(points, 15.0f));
    source->data[0][spikeAt] = 90.0f;
    return source;
}

const std::vector<OverviewSeriesStyle> kRedSeries = {{QStringLiteral("Moisture Out"), QColor(255, 0, 0),
                                                      OverviewAxisSide::Right, true}};

QImage render(const OverviewSummary &summary, QSize size, const OverviewViewRange &view, OverviewLayout &layout)
{
    OverviewLook look;
    look.legend = false;
    OverviewAxisStyle left, right;
    right.maximum = 100;
    OverviewTimeAxis time;
    time.secondsPerPoint = 12;
    layout = layoutOverview(kRedSeries, left, right, look, summary, time, view, QRectF(QPointF(0, 0), QSizeF(size)));
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    OverviewPicture picture;
    picture.series = &kRedSeries;
    picture.look = &look;
    picture.summary = &summary;
    paintOverview(p, layout, picture);
    return image;
}

// Whether some pixel of column x at or above the height of `value` is reddish.
bool redAtOrAbove(const QImage &image, const OverviewLayout &l, int x, double value)
{
    const int yValue = int(std::floor(l.yOf(OverviewAxisSide::Right, value))) + 1;
    for (int y = int(l.plot.top()); y <= yValue; ++y) {
        const QColor c = image.pixelColor(x, y);
        if (c.red() > 200 && c.green() < 200 && c.blue() < 200)
            return true;
    }
    return false;
}

TEST(OverviewPicture, ASpikeOfOneRecordShowsAtEveryWidthAndZoom)
{
    constexpr std::size_t kPoints = 720000;
    for (const std::size_t spikeAt : {std::size_t(0), std::size_t(123457), kPoints - 1}) {
        const OverviewSummary summary(spikeSource(kPoints, spikeAt));
        struct View {
            int width;
            OverviewViewRange range;
        };
        const std::vector<View> views = {
            {300, {}},
            {1920, {}},
            {301, {}},
            {300, {double(spikeAt) - 5000, double(spikeAt) + 7001}},
            {300, {double(spikeAt) - 3, double(spikeAt) + 9}},
        };
        for (const View &v : views) {
            OverviewLayout l;
            const QImage image = render(summary, QSize(v.width, 200), v.range, l);
            int hits = 0;
            for (int x = int(l.plot.left()); x < int(l.plot.right()); ++x)
                hits += redAtOrAbove(image, l, x, 60) ? 1 : 0;
            EXPECT_GE(hits, 1) << "spike at " << spikeAt << ", " << v.width << " px, view from " << v.range.first;
            // The spike stands at its own place, not anywhere.
            const int spikeX = int(l.xOf(double(spikeAt) + 0.5));
            bool near = false;
            for (int x = std::max(int(l.plot.left()), spikeX - 2); x <= std::min(int(l.plot.right()) - 1, spikeX + 2); ++x)
                near = near || redAtOrAbove(image, l, x, 60);
            EXPECT_TRUE(near) << "spike at " << spikeAt << ", " << v.width << " px";
        }
    }
}

TEST(OverviewPicture, ValuesBeyondTheAxisStandAtItsEdge)
{
    auto source = spikeSource(1000, 500);
    source->data[0][500] = 6553.5f; // far above the right axis' 100
    source->data[0][700] = -40.0f;
    const OverviewSummary summary(source);
    OverviewLayout l;
    const QImage image = render(summary, QSize(400, 200), {}, l);
    const int x = int(l.xOf(500.5));
    bool top = false;
    for (int dx = -1; dx <= 1; ++dx)
        top = top || redAtOrAbove(image, l, x + dx, 100);
    EXPECT_TRUE(top);
}

TEST(OverviewLayout, TimeAxisInDaysAndHours)
{
    // Two days from 22:00, a record every 12 s.
    auto source = std::make_shared<TableSource>();
    const std::size_t points = 300 * 30; // 30 hours
    source->data.assign(1, std::vector<float>(points, 10));
    const OverviewSummary summary(source);
    OverviewTimeAxis time;
    time.secondsPerPoint = 12;
    for (std::size_t h = 1; h < 30; ++h)
        time.hourStarts.push_back({h * 300, int((22 + h) % 24)});
    time.dayStarts = {2 * 300, 26 * 300};
    OverviewLook look;
    const OverviewLayout l = layoutOverview(kRedSeries, {}, {}, look, summary, time, {}, QRectF(0, 0, 1600, 300));
    QStringList texts;
    for (const auto &label : l.timeLabels)
        texts << label.text;
    EXPECT_TRUE(texts.contains(QStringLiteral("Day 1"))) << texts.join(QLatin1Char(' ')).toStdString();
    EXPECT_TRUE(texts.contains(QStringLiteral("Day 2")));
    EXPECT_TRUE(texts.contains(QStringLiteral("Day 3")));
    EXPECT_TRUE(texts.contains(QStringLiteral("06:00"))) << texts.join(QLatin1Char(' ')).toStdString();
    EXPECT_FALSE(texts.contains(QStringLiteral("00:00"))); // the midnight is the day's label
    ASSERT_EQ(l.midnights.size(), 2u);
    EXPECT_NEAR(l.midnights[0], l.xOf(600), 1e-9);
    // Labels never crowd: at 300 px only every few hours are named.
    const OverviewLayout narrow = layoutOverview(kRedSeries, {}, {}, look, summary, time, {}, QRectF(0, 0, 300, 300));
    int hours = 0;
    for (const auto &label : narrow.timeLabels)
        hours += label.text.endsWith(QStringLiteral(":00")) ? 1 : 0;
    EXPECT_LE(hours, 8);
}

TEST(OverviewWidget, ClickReportsThePointAndDragZooms)
{
    OverviewWidget w;
    w.setSeries(kRedSeries);
    w.resize(600, 300);
    w.setSummary(std::make_shared<OverviewSummary>(spikeSource(60000, 10)), OverviewTimeAxis{});
    w.show();
    const OverviewLayout l = w.currentLayout();
    QSignalSpy clicked(&w, &OverviewWidget::pointClicked);
    const QPoint mid(int(l.xOf(30000)), int(l.plot.center().y()));
    QTest::mouseClick(&w, Qt::LeftButton, {}, mid);
    ASSERT_EQ(clicked.count(), 1);
    EXPECT_NEAR(double(clicked[0][0].value<std::size_t>()), 30000, 60000 / l.plot.width() + 1);

    // A drag from 1/4 to 1/2 of the plot shows that span alone.
    const QPoint a(int(l.xOf(15000)), mid.y()), b(int(l.xOf(30000)), mid.y());
    QTest::mousePress(&w, Qt::LeftButton, {}, a);
    QMouseEvent move(QEvent::MouseMove, QPointF(b), w.mapToGlobal(QPointF(b)), Qt::NoButton, Qt::LeftButton, {});
    QApplication::sendEvent(&w, &move);
    QTest::mouseRelease(&w, Qt::LeftButton, {}, b);
    EXPECT_EQ(clicked.count(), 1) << "a drag is no click";
    ASSERT_TRUE(w.isZoomed());
    EXPECT_NEAR(w.viewRange().first, 15000, 200);
    EXPECT_NEAR(w.viewRange().end, 30000, 200);
    // A click in the zoomed view lands within it.
    const OverviewLayout z = w.currentLayout();
    QTest::mouseClick(&w, Qt::LeftButton, {}, QPoint(int(z.xOf(20000)), mid.y()));
    ASSERT_EQ(clicked.count(), 2);
    EXPECT_NEAR(double(clicked[1][0].value<std::size_t>()), 20000, 60);

    // The wheel zooms around the pointer; Home shows all again.
    const double before = w.viewRange().end - w.viewRange().first;
    QWheelEvent wheel(QPointF(mid), w.mapToGlobal(QPointF(mid)), QPoint(), QPoint(0, 120), Qt::NoButton, {},
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(&w, &wheel);
    EXPECT_LT(w.viewRange().end - w.viewRange().first, before);
    QTest::keyClick(&w, Qt::Key_Home);
    EXPECT_FALSE(w.isZoomed());
}

TEST(OverviewWidget, EmptyBeforeTheFirstLoad)
{
    OverviewWidget w;
    sorvant::configureOverview(w);
    w.resize(400, 200);
    QImage image(w.size(), QImage::Format_RGB32);
    w.render(&image);
    EXPECT_TRUE(w.currentLayout().empty);
    QSignalSpy clicked(&w, &OverviewWidget::pointClicked);
    w.show();
    QTest::mouseClick(&w, Qt::LeftButton, {}, QPoint(200, 100));
    EXPECT_EQ(clicked.count(), 0);
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
