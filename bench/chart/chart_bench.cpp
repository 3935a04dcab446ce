// Speed of the chart with a full log (720,000 records at step 5: 144,000
// points a series) at 925 x 640: one page laid out and painted, in 2D and
// 3D, and a page turn through the scroll bar up to the repainted widget.
//   run: QT_QPA_PLATFORM=offscreen chart_bench
#include "controls/chart/chartlayout.h"
#include "controls/chart/chartpainter.h"
#include "controls/chart/datachart.h"
#include "views/chartview.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QScrollBar>
#include <QVBoxLayout>

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <memory>

namespace {

constexpr int kRows = 144000;
constexpr int kStep = 5;

// `corrupt`: every page gets one record with Unload Rate 0xFFFF, far above
// the fixed 0-100 right axis.
void fillLog(sorvant::ChartView &view, int rows, bool corrupt = false)
{
    sorvant::SeriesSink &sink = view.seriesSink();
    for (int s = 0; s < sorvant::kSeriesCount; ++s)
        sink.Clear(s);
    char label[16];
    for (int r = 0; r < rows; ++r) {
        const int minutes = r % 1440;
        std::snprintf(label, sizeof label, "%d:%02d", minutes / 60, minutes % 60);
        const double t = r * 0.01;
        const double ys[6] = {20 + 3 * std::sin(t), 15 + std::sin(t * 0.7), 60 + 5 * std::sin(t * 0.3),
                              170 + 8 * std::sin(t * 0.2), 110 + 4 * std::sin(t * 0.5), 40 + 5 * std::sin(t)};
        for (int s = 0; s < sorvant::kSeriesCount; ++s)
            sink.AddXY(s, static_cast<double>(r) * kStep, corrupt && s == 5 && r % 12 == 5 ? 655350.0 : ys[s], label);
    }
    view.RecalcPosition();
}

struct Fixture {
    QWidget host;
    sorvant::ChartView view{&host};
    explicit Fixture(int rows, bool corrupt = false)
    {
        host.resize(925, 657);
        auto *box = new QVBoxLayout(&host);
        box->setContentsMargins(0, 0, 0, 0);
        box->setSpacing(0);
        box->addWidget(view.chartWidget(), 1);
        box->addWidget(view.scrollBar());
        view.chartWidget()->show();
        view.scrollBar()->show();
        host.show();
        QApplication::processEvents();
        fillLog(view, rows, corrupt);
        view.scrollBar()->setValue(view.scrollBar()->maximum() / 2);
        QApplication::processEvents();
    }
};

// Made in main(), after the application: a full log and one of 30 rows.
Fixture *g_fixture = nullptr;
Fixture *g_short = nullptr;
Fixture *g_corrupt = nullptr;

Fixture &fixture() { return *g_fixture; }

void layoutAndPaint(benchmark::State &state, bool view3D, Fixture &f = fixture())
{
    f.view.setView3D(view3D);
    QImage image(925, 640, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        QPainter p(&image);
        const ChartLayout l = f.view.model().layout(QSizeF(925, 640));
        paintChart(p, f.view.model(), l);
        benchmark::DoNotOptimize(l.series.size());
    }
    f.view.setView3D(false);
}

void BM_PageLayoutOnly(benchmark::State &state)
{
    Fixture &f = fixture();
    for (auto _ : state) {
        const ChartLayout l = f.view.model().layout(QSizeF(925, 640));
        benchmark::DoNotOptimize(l.series.size());
    }
}

void BM_PagePaint2D(benchmark::State &state) { layoutAndPaint(state, false); }
void BM_PagePaint3D(benchmark::State &state) { layoutAndPaint(state, true); }
// The same page cost with 30 rows: painting does not grow with the log.
void BM_PagePaint2D_30Rows(benchmark::State &state) { layoutAndPaint(state, false, *g_short); }
// A value far off its axis on the page costs no more than any other.
void BM_PagePaint2D_OffAxisValue(benchmark::State &state) { layoutAndPaint(state, false, *g_corrupt); }
void BM_PagePaint3D_OffAxisValue(benchmark::State &state) { layoutAndPaint(state, true, *g_corrupt); }

void BM_PageTurn(benchmark::State &state)
{
    Fixture &f = fixture();
    QScrollBar *bar = f.view.scrollBar();
    int direction = 1;
    for (auto _ : state) {
        if (bar->value() >= bar->maximum() || bar->value() <= bar->minimum())
            direction = -direction;
        bar->triggerAction(direction > 0 ? QAbstractSlider::SliderSingleStepAdd
                                         : QAbstractSlider::SliderSingleStepSub);
        f.view.chartWidget()->repaint();
    }
}

} // namespace

BENCHMARK(BM_PageLayoutOnly)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_PagePaint2D)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_PagePaint2D_30Rows)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_PagePaint2D_OffAxisValue)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_PagePaint3D_OffAxisValue)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_PagePaint3D)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_PageTurn)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    const auto f = std::make_unique<Fixture>(kRows);
    const auto small = std::make_unique<Fixture>(30);
    const auto corrupt = std::make_unique<Fixture>(kRows, true);
    g_fixture = f.get();
    g_short = small.get();
    g_corrupt = corrupt.get();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
