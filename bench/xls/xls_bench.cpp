// Writing the spreadsheet as an Excel workbook.
//
//   xls_bench --benchmark_repetitions=5
// Targets: a 65,536-row workbook (one full sheet) <= 150 ms; the largest
// table, 144,001 rows over three sheets, <= 400 ms. Memory: the write itself
// (write_MB: peak resident memory during the write above what was resident
// before it) and the whole process (process_MB) stay under 64 MB.
// XLS_BENCH_DIR names the folder written to (default: the temporary folder).

#include "logdata/loadlog.h"
#include "output/xlswriter.h"
#include "views/spreadsheetconfig.h"

#include <QDir>
#include <QFile>

#include <benchmark/benchmark.h>

#include <fstream>
#include <memory>
#include <string>

namespace {

using namespace sorvant;

// A full log, 720,000 records with readings that change as a drying run does.
const LogStore &fullLog()
{
    static const std::unique_ptr<LogStore> records = [] {
        auto store = std::make_unique<LogStore>();
        for (std::size_t i = 0; i < LogStore::kCapacity; ++i) {
            LogRecord &r = store->data()[i];
            r = LogRecord{};
            r.GrainTempInsideDryer = static_cast<std::int16_t>(60 + i % 40);
            r.WetGrainTemp = static_cast<std::int16_t>(150 + i % 90);
            r.MoistureIn = static_cast<std::uint16_t>(190 + i % 70);
            r.DriedGrainTemp = static_cast<std::int16_t>(300 + i % 50);
            r.MoistureOut = static_cast<std::uint16_t>(140 + i % 20);
            r.UnloadRate = static_cast<std::uint16_t>(100 + i % 60);
            r.BinNumber = static_cast<std::uint8_t>(1 + i / 20000 % 9);
            r.Hour = static_cast<std::uint8_t>(i / 300 % 24);
            r.Minute = static_cast<std::uint8_t>(i / 5 % 60);
        }
        store->setCount(LogStore::kCapacity);
        return store;
    }();
    return *records;
}

// The spreadsheet after loading the first `records` records at step 5.
std::unique_ptr<DataGridStore> loadedGrid(std::size_t records)
{
    auto grid = std::make_unique<DataGridStore>(kColumnCount);
    configureSpreadsheetStore(*grid);
    GridTableSink table(*grid);
    LoadTargets targets;
    targets.table = &table;
    int rows = 1;
    BuildTableAndSeries(fullLog(), records, 5, CellTextFormat(), targets, rows);
    grid->setRowCount(rows);
    return grid;
}

long statusKb(const char *field)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    const std::string key = std::string(field) + ":";
    while (std::getline(status, line))
        if (line.compare(0, key.size(), key) == 0)
            return std::stol(line.substr(key.size()));
    return 0;
}

void resetPeak()
{
    std::ofstream("/proc/self/clear_refs") << "5"; // the peak starts again from now
}

void writeWorkbook(benchmark::State &state, std::size_t records, int expectedRows)
{
    const auto grid = loadedGrid(records);
    if (grid->RowCount() != expectedRows) {
        state.SkipWithError("unexpected row count");
        return;
    }
    const QString file = QDir(qEnvironmentVariableIsSet("XLS_BENCH_DIR") ? qEnvironmentVariable("XLS_BENCH_DIR") : QDir::tempPath()).filePath(QStringLiteral("sorvant-xls-bench-%1.xls").arg(expectedRows));
    double writeMb = 0;
    for (auto _ : state) {
        state.PauseTiming();
        QFile::remove(file);
        resetPeak();
        const long before = statusKb("VmRSS");
        state.ResumeTiming();
        SaveToXLS(*grid, file, QLatin1Char('.'));
        state.PauseTiming();
        writeMb = std::max(writeMb, static_cast<double>(statusKb("VmHWM") - before) / 1024.0);
        state.ResumeTiming();
    }
    state.counters["rows"] = expectedRows;
    state.counters["file_MB"] = static_cast<double>(QFile(file).size()) / (1024.0 * 1024.0);
    state.counters["write_MB"] = writeMb;
    state.counters["process_MB"] = static_cast<double>(statusKb("VmHWM")) / 1024.0;
    QFile::remove(file);
}

void BM_Workbook65536Rows(benchmark::State &state) { writeWorkbook(state, 65535 * 5, 65536); }
void BM_Workbook144001Rows(benchmark::State &state) { writeWorkbook(state, LogStore::kCapacity, 144001); }

BENCHMARK(BM_Workbook65536Rows)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Workbook144001Rows)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
