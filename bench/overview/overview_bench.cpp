// The overview and the span finder over a full 720,000-record log: the
// summary built once per load, a redraw at 1920 pixels (whole and zoomed),
// all spans of six two-sided limits, and the memory the overview adds.
#include "dryingrun.h"

#include "views/overviewconfig.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <memory>

using namespace sorvant;

namespace {

LogStore &fullStore() { return bench::fullDryingStore(); }

// The day counter's share of the load pass: one compare per record.
void BM_DayNumbers(benchmark::State &state)
{
    LogStore &store = fullStore();
    for (auto _ : state) {
        store.days().reset();
        store.days().scan(store.data(), store.count());
        benchmark::DoNotOptimize(store.days().dayCount());
    }
    state.counters["days"] = store.days().dayCount();
}
BENCHMARK(BM_DayNumbers)->Unit(benchmark::kMillisecond);

void BM_SummaryBuild(benchmark::State &state)
{
    const LogStore &store = fullStore();
    std::size_t bytes = 0;
    for (auto _ : state) {
        const LogOverviewData data = buildLogOverview(store);
        bytes = data.summary->memoryBytes() + data.time.hourStarts.capacity() * sizeof(OverviewTimeAxis::HourStart)
            + data.time.dayStarts.capacity() * sizeof(std::size_t);
        benchmark::DoNotOptimize(data.summary->pointCount());
    }
    state.counters["extra_MB"] = double(bytes) / (1024.0 * 1024.0);
}
BENCHMARK(BM_SummaryBuild)->Unit(benchmark::kMillisecond);

// Arg: 0 the whole log; otherwise the view shows 1/Arg of it, at five places.
void BM_Redraw1920(benchmark::State &state)
{
    const LogStore &store = fullStore();
    const LogOverviewData data = buildLogOverview(store);
    const std::vector<OverviewSeriesStyle> series = overviewSeriesStyles();
    const OverviewLook look = overviewLook();
    QImage image(1920, 400, QImage::Format_ARGB32_Premultiplied);
    const double points = double(store.count());
    const double span = state.range(0) == 0 ? points : points / double(state.range(0));
    int place = 0;
    for (auto _ : state) {
        OverviewViewRange view;
        if (state.range(0) != 0) {
            view.first = (points - span) * (place % 5) / 4.0;
            view.end = view.first + span;
            ++place;
        }
        QPainter p(&image);
        const OverviewLayout layout = layoutOverview(series, overviewLeftAxis(), overviewRightAxis(), look,
                                                     *data.summary, data.time, view, QRectF(0, 0, 1920, 400));
        OverviewPicture picture;
        picture.series = &series;
        picture.look = &look;
        picture.summary = data.summary.get();
        paintOverview(p, layout, picture);
    }
}
BENCHMARK(BM_Redraw1920)->Arg(0)->Arg(10)->Arg(1000)->Arg(100000)->Unit(benchmark::kMillisecond);

void findSpansOfFullLog(benchmark::State &state, const Limits &limits)
{
    const LogStore &store = fullStore();
    std::size_t found = 0;
    for (auto _ : state) {
        const auto spans = findOutOfRangeSpans(store.data(), store.count(), limits);
        found = spans.size();
        benchmark::DoNotOptimize(found);
    }
    state.counters["spans"] = double(found);
}

void BM_FindSpansSixTwoSided(benchmark::State &state)
{
    // Bounds inside each quantity's range, so spans come and go all the time.
    Limits limits;
    limits[0] = {20.0, 24.0};
    limits[1] = {14.5, 15.5};
    limits[2] = {61.0, 68.0};
    limits[3] = {155.0, 185.0};
    limits[4] = {81.0, 84.0};
    limits[5] = {110.0, 150.0};
    findSpansOfFullLog(state, limits);
}
BENCHMARK(BM_FindSpansSixTwoSided)->Unit(benchmark::kMillisecond);

// Bands a technician would set for a drying run: the spans are the warm-up
// and the few excursions, not a crossing every few records.
void BM_FindSpansSixTwoSidedOperatingBands(benchmark::State &state)
{
    Limits limits;
    limits[0] = {15.0, 30.0};
    limits[1] = {14.0, 16.0};
    limits[2] = {40.0, 80.0};
    limits[3] = {100.0, 200.0};
    limits[4] = {60.0, 120.0};
    limits[5] = {50.0, 500.0};
    findSpansOfFullLog(state, limits);
}
BENCHMARK(BM_FindSpansSixTwoSidedOperatingBands)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
