// The drying report over a full 720,000-record log: the statistics pass with
// a two-sided limit on every quantity, and the whole sorvant-export
// --report-pdf process (start, load, figures, overview, PDF written).
#include "dryingrun.h"
#include "fulllogfile.h"
#include "processpeak.h"

#include "logdata/logstatistics.h"

#include <QFileInfo>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>

using namespace sorvant;

namespace {

LogStore &fullStore() { return bench::fullDryingStore(); }

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

// The statistics pass as the report runs it: over every record, with the
// spans that the report finds once for its figures and its overview (arg 0);
// and with the span finder run first, as a caller without spans has it (arg 1).
void BM_Statistics(benchmark::State &state)
{
    const LogStore &store = fullStore();
    const Limits limits = busyLimits();
    const bool findSpans = state.range(0) != 0;
    const std::vector<OutOfRangeSpan> spans = findOutOfRangeSpans(store.data(), store.count(), limits);
    for (auto _ : state) {
        const LogStatistics stats = findSpans
            ? computeLogStatistics(store.data(), store.count(), store.days(), limits)
            : computeLogStatistics(store.data(), store.count(), store.days(), limits, spans);
        benchmark::DoNotOptimize(stats.quantity[0].spans);
    }
    const LogStatistics stats = computeLogStatistics(store.data(), store.count(), store.days(), limits, spans);
    state.counters["spans"] = double(stats.quantity[1].spans);
    state.counters["days"] = double(stats.days.size());
}
BENCHMARK(BM_Statistics)->ArgName("findSpans")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly(true);

void BM_ReportPdfProcess(benchmark::State &state)
{
    const QByteArray log = bench::fullLogFile().toLocal8Bit();
    QTemporaryDir out;
    const QString pdf = out.filePath(QStringLiteral("report.pdf"));
    double peak = 0;
    for (auto _ : state) {
        const double mb = bench::runProcessPeakMb(
            {QByteArrayLiteral(SORVANT_BINARY_DIR "/tools/sorvant-export"), log, QByteArrayLiteral("--report-pdf"),
             pdf.toLocal8Bit(), QByteArrayLiteral("--title"), QByteArrayLiteral("Hill Farm, Dryer 2"),
             QByteArrayLiteral("--limit"), QByteArrayLiteral("Moisture Out:14:16"), QByteArrayLiteral("--limit"),
             QByteArrayLiteral("Grain Temp in Dryer::120"), QByteArrayLiteral("--paper"), QByteArrayLiteral("A4")});
        if (mb < 0)
            state.SkipWithError("sorvant-export failed");
        peak = std::max(peak, mb);
    }
    state.counters["peak_MB"] = peak;
    state.counters["pdf_KB"] = double(QFileInfo(pdf).size()) / 1024.0;
}
BENCHMARK(BM_ReportPdfProcess)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1)->Repetitions(7);

} // namespace

BENCHMARK_MAIN();
