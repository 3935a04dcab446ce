// The spreadsheet printout of a full log: 720,000 records at step 5, so
// 144,001 rows of nine columns, with the starting print settings on A4.
//
//   print_bench --benchmark_repetitions=5
//   SORVANT_REFERENCE_EXPORT=/other/build/tools/sorvant-export print_bench
// Targets: the page plan (the counting run) <= 150 ms median; the whole
// `sorvant-export --pdf` process <= 2.5 s median with peak memory <= 150 MB;
// a chart page to PDF <= 300 ms for the whole process.

#include "logdata/loadlog.h"
#include "output/printing/gridpagepainter.h"
#include "output/printing/gridpageplan.h"
#include "output/printing/gridprinttable.h"
#include "output/printing/qtprinttextmeasurer.h"
#include "platform/fonts.h"
#include "views/spreadsheetconfig.h"

#include <QApplication>
#include <QBuffer>
#include <QPainter>
#include <QPdfWriter>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QPrinter>
#include <QProcess>
#include <QTemporaryDir>

#include "dryingrun.h"
#include "fulllogfile.h"
#include "processpeak.h"

#include <benchmark/benchmark.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <memory>

namespace {

using namespace sorvant;

struct FullTable {
    DataGridStore store{kColumnCount};
    std::unique_ptr<DataGridPrintTable> table;
    int W = 0, H = 0;
    FullTable()
    {
        // The faces the exporter prints with, before any font is chosen.
        registerCompatibleFonts();
        configureSpreadsheetStore(store);
        auto records = std::make_unique<LogStore>();
        bench::fillDryingRun(*records);
        GridTableSink sink(store);
        LoadTargets targets;
        targets.table = &sink;
        int rows = 0;
        BuildTableAndSeries(*records, records->count(), 5, CellTextFormat(), targets, rows);
        store.setRowCount(rows);

        GridPrintLook look;
        look.dataFont = spreadsheetFont(false);
        look.fixedFont = spreadsheetFont(true);
        table = std::make_unique<DataGridPrintTable>(store, look);
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setPageSize(QPageSize(QPageSize::A4));
        const QRectF px = printer.pageRect(QPrinter::DevicePixel);
        W = static_cast<int>(std::lround(254.0 * px.width() / printer.resolution()));
        H = static_cast<int>(std::lround(254.0 * px.height() / printer.resolution()));
    }
};

FullTable &fullTable()
{
    static FullTable t;
    return t;
}

void BM_PagePlanFullLog(benchmark::State &state)
{
    FullTable &t = fullTable();
    int pages = 0;
    for (auto _ : state) {
        QtPrintTextMeasurer measurer; // a fresh width cache every run
        const GridPagePlan plan(*t.table, PrintSettings(), t.W, t.H, measurer);
        pages = plan.pageCount();
        benchmark::DoNotOptimize(pages);
    }
    state.counters["rows"] = t.table->rowCount();
    state.counters["pages"] = pages;
}
BENCHMARK(BM_PagePlanFullLog)->Unit(benchmark::kMillisecond);

// Every page of the full printout drawn into a PDF in memory, side by side:
// 0 each cell's text and each line drawn on its own, 1 a page's texts as one
// glyph run per face and its lines in one call.
void BM_PagesIntoPdf(benchmark::State &state)
{
    FullTable &t = fullTable();
    const bool batched = state.range(0) != 0;
    QtPrintTextMeasurer measurer;
    const GridPagePlan plan(*t.table, PrintSettings(), t.W, t.H, measurer);
    qint64 bytes = 0;
    for (auto _ : state) {
        QByteArray pdf;
        QBuffer buffer(&pdf);
        buffer.open(QIODevice::WriteOnly);
        {
            QPdfWriter writer(&buffer);
            writer.setResolution(1200);
            writer.setPageSize(QPageSize(QPageSize::A4));
            QPainter p(&writer);
            GridPagePainter painter(plan);
            painter.setBatched(batched);
            const QDateTime now = QDateTime::currentDateTime();
            for (int i = 0; i < plan.pageCount(); ++i) {
                if (i > 0)
                    writer.newPage();
                painter.drawPage(p, i, now, 1200, 1200);
            }
        }
        bytes = pdf.size();
    }
    state.counters["pages"] = plan.pageCount();
    state.counters["pdf_MB"] = static_cast<double>(bytes) / 1048576.0;
}
BENCHMARK(BM_PagesIntoPdf)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

using sorvant::bench::fullLogFile;

// Runs `exe` (sorvant-export) once; returns the child's peak resident memory
// in MB.
double runExport(const QByteArray &exe, const QStringList &args)
{
    std::vector<QByteArray> bytes{exe};
    for (const QString &a : args)
        bytes.push_back(a.toLocal8Bit());
    return sorvant::bench::runProcessPeakMb(bytes);
}

double runExport(const QStringList &args)
{
    return runExport(QByteArrayLiteral(SORVANT_BINARY_DIR "/tools/sorvant-export"), args);
}

// The whole `sorvant-export LOG --step 5 --pdf OUT` process, side by side:
// 0 the program named by SORVANT_REFERENCE_EXPORT (another build, the code
// to compare with; skipped when not set), 1 this build drawing the pages as
// one document on one thread, 2 this build on every core, the documents of
// its threads joined.
void BM_ExportPdfProcess(benchmark::State &state)
{
    const QString log = fullLogFile();
    QTemporaryDir out;
    const QString pdf = out.filePath(QStringLiteral("sheet.pdf"));
    QByteArray exe = QByteArrayLiteral(SORVANT_BINARY_DIR "/tools/sorvant-export");
    if (state.range(0) == 0) {
        exe = qgetenv("SORVANT_REFERENCE_EXPORT");
        if (exe.isEmpty()) {
            state.SkipWithError("SORVANT_REFERENCE_EXPORT names no program to compare with");
            return;
        }
    }
    // The child takes the switch from its environment.
    if (state.range(0) == 1)
        qputenv("SORVANT_EXPORT_PDF_THREADS", "1");
    else
        qunsetenv("SORVANT_EXPORT_PDF_THREADS");
    double peak = 0;
    for (auto _ : state) {
        const double mb = runExport(exe, {log, QStringLiteral("--step"), QStringLiteral("5"), QStringLiteral("--pdf"),
                                          pdf, QStringLiteral("--paper"), QStringLiteral("A4")});
        if (mb < 0)
            state.SkipWithError("sorvant-export failed");
        peak = std::max(peak, mb);
    }
    qunsetenv("SORVANT_EXPORT_PDF_THREADS");
    state.counters["peak_MB"] = peak;
    state.counters["pdf_MB"] = static_cast<double>(QFileInfo(pdf).size()) / 1048576.0;
}
BENCHMARK(BM_ExportPdfProcess)->ArgName("way")->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

void BM_ChartPdfProcess(benchmark::State &state)
{
    const QString log = fullLogFile();
    QTemporaryDir out;
    const QString pdf = out.filePath(QStringLiteral("chart.pdf"));
    double peak = 0;
    for (auto _ : state) {
        const double mb = runExport({log, QStringLiteral("--step"), QStringLiteral("5"), QStringLiteral("--chart-pdf"),
                                     pdf, QStringLiteral("--paper"), QStringLiteral("A4")});
        if (mb < 0)
            state.SkipWithError("sorvant-export failed");
        peak = std::max(peak, mb);
    }
    state.counters["peak_MB"] = peak;
}
BENCHMARK(BM_ChartPdfProcess)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
