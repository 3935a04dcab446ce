// The drying report over a full 720,000-record log: the statistics pass with
// a two-sided limit on every quantity.
#include "dryingrun.h"

#include "logdata/logstatistics.h"

#include <benchmark/benchmark.h>

#include <memory>

using namespace sorvant;

namespace {

LogStore &fullStore()
{
    static const std::unique_ptr<LogStore> store = [] {
        auto s = std::make_unique<LogStore>();
        bench::fillDryingRun(*s);
        s->days().reset();
        s->days().scan(s->data(), s->count());
        return s;
    }();
    return *store;
}

// Limits that the drying run crosses all the time, so every span counter works.
Limits busyLimits()
{
    Limits limits;
    const double bounds[kSeriesCount][2] = {{20, 24}, {14.5, 15.5}, {62, 66}, {160, 180}, {81, 84}, {110, 150}};
    for (int s = 0; s < kSeriesCount; ++s) {
        limits[s].lowest = bounds[s][0];
        limits[s].highest = bounds[s][1];
    }
    return limits;
}

void BM_Statistics(benchmark::State &state)
{
    const LogStore &store = fullStore();
    const Limits limits = busyLimits();
    for (auto _ : state) {
        const LogStatistics stats = computeLogStatistics(store.data(), store.count(), store.days(), limits);
        benchmark::DoNotOptimize(stats.quantity[0].spans);
    }
    const LogStatistics stats = computeLogStatistics(store.data(), store.count(), store.days(), limits);
    state.counters["spans"] = double(stats.quantity[1].spans);
    state.counters["days"] = double(stats.days.size());
}
BENCHMARK(BM_Statistics)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly(true);

} // namespace

BENCHMARK_MAIN();
