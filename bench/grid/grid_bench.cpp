// The spreadsheet at its largest: 144,001 rows, the table of a full log at step 5.
//
//   grid_bench --benchmark_repetitions=5
// Targets: jumping from the first row to the last and painting <= 16 ms;
// Ctrl+A, Ctrl+C of every row onto the clipboard < 1 s.

#include "logdata/loadlog.h"
#include "views/spreadsheetview.h"

#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QMimeData>
#include <QScrollBar>

#include "dryingrun.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace {

using namespace sorvant;

LogStore &fullLog()
{
    static LogStore records;
    if (records.count() == 0)
        bench::fillDryingRun(records);
    return records;
}

void loadFull(SpreadsheetView &view)
{
    LoadTargets targets;
    targets.table = &view.tableSink();
    int rows = 0;
    BuildTableAndSeries(fullLog(), fullLog().count(), 5, CellTextFormat(), targets, rows);
    targets.table->setRowCount(rows);
}

struct Window {
    QWidget panel;
    SpreadsheetView *view = new SpreadsheetView(&panel);
    QImage image{925, 640, QImage::Format_ARGB32_Premultiplied};

    Window()
    {
        panel.resize(925, 640);
        view->grid()->setGeometry(panel.rect());
        panel.show();
        loadFull(*view);
        view->grid()->syncWithStore();
        paint();
    }
    void paint() { panel.render(&image); }
};

void BM_JumpFirstToLastAndPaint(benchmark::State &state)
{
    Window w;
    QScrollBar *bar = w.view->grid()->verticalScrollBar();
    if (w.view->store().RowCount() != 144001)
        state.SkipWithError("the table does not hold 144,001 rows");
    for (auto _ : state) {
        state.PauseTiming();
        bar->setValue(0);
        w.paint();
        state.ResumeTiming();
        bar->setValue(bar->maximum());
        w.paint();
    }
    if (w.view->grid()->rowAt(w.view->grid()->viewport()->height() - 1) != 143999)
        state.SkipWithError("the last row is not on screen");
}
BENCHMARK(BM_JumpFirstToLastAndPaint)->Unit(benchmark::kMillisecond);

// From the end of a full load to the new table painted: the one sync that
// tells the views of 144,000 rows, then a paint.
void BM_SyncAndPaintAfterFullLoad(benchmark::State &state)
{
    Window w;
    for (auto _ : state) {
        state.PauseTiming();
        w.view->store().setRowCount(5000); // as at start: the load grows and shrinks the table
        w.view->grid()->syncWithStore();
        loadFull(*w.view);
        state.ResumeTiming();
        w.view->grid()->syncWithStore();
        w.paint();
    }
}
BENCHMARK(BM_SyncAndPaintAfterFullLoad)->Unit(benchmark::kMillisecond);

// Select all and Copy: the selection's text and HTML table built and put on
// the clipboard, for all 144,001 rows of nine columns.
void BM_CopyAllRowsToClipboard(benchmark::State &state)
{
    Window w;
    DataGrid *grid = w.view->grid();
    grid->setCellSelectionEnabled(true);
    std::size_t bytes = 0;
    for (auto _ : state) {
        state.PauseTiming();
        QGuiApplication::clipboard()->clear();
        grid->clearSelection();
        state.ResumeTiming();
        grid->selectAll();
        const GridCopy copy = grid->copySelection();
        QGuiApplication::clipboard()->setMimeData(makeMimeData(copy));
        bytes = static_cast<std::size_t>(copy.text.size() + copy.html.size());
        if (copy.rows != 144000 || !copy.withHeader)
            state.SkipWithError("not every row was copied");
    }
    state.counters["MB"] = static_cast<double>(bytes) / 1e6;
}
BENCHMARK(BM_CopyAllRowsToClipboard)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
