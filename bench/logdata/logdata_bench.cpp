// Steady-state cost of the data path for the largest table a load can give:
// a full 720,000-record log at step 5, 144,000 rows. Each iteration is what a
// step change in the window does (reload into the same stores) or what Export
// does (write the 144,001 rows).
#include "logdata/loadlog.h"
#include "output/csvwriter.h"
#include "views/seriesset.h"
#include "views/spreadsheetconfig.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>

using namespace sorvant;

namespace {

constexpr int kStep = 5;

// A full log made by make-sample-log, once per process.
const QString &fullLog()
{
    static QTemporaryDir dir;
    static const QString path = [] {
        const QString p = dir.filePath(QStringLiteral("full.dat"));
        const QByteArray cmd = QByteArray(SORVANT_BINARY_DIR "/tools/make-sample-log '") + QFile::encodeName(p)
            + "' --records 720000 --seed 7";
        if (std::system(cmd.constData()) != 0 || QFile(p).size() != 720000 * 16)
            std::abort();
        return p;
    }();
    return path;
}

// The window's stores, kept across iterations as the window keeps them.
struct Stores {
    DataGridStore grid{kColumnCount};
    GridTableSink table{grid};
    SeriesSet series;
    std::unique_ptr<LogStore> store = std::make_unique<LogStore>();
    LoadTargets targets;

    explicit Stores(bool withSeries)
    {
        configureSpreadsheetStore(grid);
        targets.table = &table;
        targets.series = withSeries ? &series : nullptr;
    }
    void load()
    {
        const LoadResult r = LoadLog(fullLog(), kStep, *store, CellTextFormat(QLatin1Char('.')), targets);
        if (!r.ok || r.rows != 144000)
            std::abort();
    }
    std::size_t seriesBytes() const
    {
        std::size_t total = 0;
        for (int s = 0; s < kSeriesCount; ++s)
            total += series[s].memoryBytes();
        return total;
    }
};

void reportMemory(benchmark::State &state, const Stores &s)
{
    constexpr double MB = 1024.0 * 1024.0;
    state.counters["cells_MB"] = static_cast<double>(s.grid.cellBytes()) / MB;
    state.counters["series_MB"] = static_cast<double>(s.seriesBytes()) / MB;
    state.counters["total_MB"] = static_cast<double>(s.grid.cellBytes() + s.seriesBytes()) / MB;
    state.counters["rows"] = s.grid.RowCount();
}

// LoadLog with its building pass into the cell store and the six series.
void BM_LoadAndBuild(benchmark::State &state)
{
    Stores s(true);
    s.load(); // the first load touches the memory; the window then reuses it
    for (auto _ : state)
        s.load();
    reportMemory(state, s);
}
BENCHMARK(BM_LoadAndBuild)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly(true);

// The same load into the cell store only, as sorvant-export does for a CSV.
void BM_LoadTableOnly(benchmark::State &state)
{
    Stores s(false);
    s.load();
    for (auto _ : state)
        s.load();
    reportMemory(state, s);
}
BENCHMARK(BM_LoadTableOnly)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly(true);

// SaveToCSV of the 144,001 rows to a regular file: a temporary file beside
// the target, flushed to disk (fdatasync) and renamed over it, so the wall
// time includes waiting for the disk.
void BM_SaveToCSV(benchmark::State &state)
{
    Stores s(false);
    s.load();
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("out.csv"));
    for (auto _ : state)
        SaveToCSV(s.grid, out);
    state.counters["file_MB"] = static_cast<double>(QFile(out).size()) / (1024.0 * 1024.0);
}
BENCHMARK(BM_SaveToCSV)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly(true);

// The writer's own cost, without the file system: /dev/null is written
// directly, with no temporary file, rename or flush to disk.
void BM_SaveToCSVDevNull(benchmark::State &state)
{
    Stores s(false);
    s.load();
    for (auto _ : state)
        SaveToCSV(s.grid, QStringLiteral("/dev/null"));
}
BENCHMARK(BM_SaveToCSVDevNull)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly(true);

} // namespace

BENCHMARK_MAIN();
