// Print Preview of a full log at step 5 in the main window, offscreen: the
// time from the command to the first page on screen, the time to turn a
// page, and what the open preview adds to the window's memory.

#include "benchsupport.h"
#include "controls/grid/datagrid.h"
#include "output/printing/printpreview.h"
#include "shell/mainform.h"
#include "shell/reportcommand.h"
#include "views/spreadsheetview.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QFile>
#include <QPrinter>
#include <QWindow>

#include <benchmark/benchmark.h>

#include <functional>
#include <memory>

namespace sorvant::bench {
namespace {

// The preview is modal: the measuring happens where it would wait.
class PreviewDialogs : public FixedAnswerDialogs
{
public:
    std::function<void(QDialog &)> onPreview;
    int execDialog(QDialog &dialog) override
    {
        // Print Report asks for its title first.
        if (qobject_cast<ReportTitleDialog *>(&dialog))
            return QDialog::Accepted;
        if (onPreview)
            onPreview(dialog);
        return QDialog::Rejected;
    }
};

struct Setup {
    PreviewDialogs dialogs;
    std::unique_ptr<TSorvantMainForm> form;

    Setup()
    {
        QTemporaryDir &home = isolateHome(true);
        dialogs.path = makeSampleLog(home.filePath(QStringLiteral("full.dat")), 720000);
        const QString settings = home.filePath(QStringLiteral("config/Sorvant/Sorvant.reg"));
        SettingsStore(settings).write({QString(), 5, {}});
        MainFormOptions options;
        options.settingsPath = settings;
        options.locale = QLocale::c();
        form = std::make_unique<TSorvantMainForm>(dialogs, options);
        form->printer().setOutputFormat(QPrinter::PdfFormat);
        form->printer().setPageSize(QPageSize(QPageSize::A4));
        form->show();
        form->OpenButtonClick();
        form->StringGrid1->syncWithStore();
        QApplication::processEvents();
    }
};

std::unique_ptr<Setup> &setupHolder()
{
    static std::unique_ptr<Setup> s;
    return s;
}

Setup &setup()
{
    if (!setupHolder())
        setupHolder() = std::make_unique<Setup>();
    return *setupHolder();
}

// Shows the preview as large as a user makes it on a desktop screen, waits
// until it is on screen (nothing is painted before) and paints its page:
// the milliseconds from `clock`'s start to that page.
double showFirstPage(TPrintPreviewForm &preview, const QElapsedTimer &clock)
{
    preview.resize(1200, 1500);
    preview.show();
    QElapsedTimer exposing;
    exposing.start();
    while (!(preview.windowHandle() && preview.windowHandle()->isExposed()) && exposing.elapsed() < 2000)
        QApplication::processEvents();
    preview.pagesView()->viewport()->repaint();
    return static_cast<double>(clock.nsecsElapsed()) / 1e6;
}

void BM_PreviewFullLogStep5(benchmark::State &state)
{
    Setup &s = setup();
    double turnMs = 0, growthMB = 0;
    int pages = 0, turns = 0, drawn = 0;
    for (auto _ : state) {
        const double before = residentMB();
        QElapsedTimer clock;
        double firstPageMs = 0;
        s.dialogs.onPreview = [&](QDialog &dialog) {
            auto &preview = static_cast<TPrintPreviewForm &>(dialog);
            firstPageMs = showFirstPage(preview, clock);
            pages = preview.pagesView()->pageCount();

            // Page by page from the last page backwards, and jumps across the
            // printout: every one a page not seen before.
            QElapsedTimer turning;
            turning.start();
            preview.lastPageAction()->trigger();
            preview.pagesView()->viewport()->repaint();
            constexpr int kTurns = 40;
            for (int i = 0; i < kTurns; ++i) {
                if (i % 2 == 0)
                    preview.previousPageAction()->trigger();
                else
                    preview.pagesView()->setCurrentPage((i * 997) % pages);
                preview.pagesView()->viewport()->repaint();
            }
            turnMs = static_cast<double>(turning.nsecsElapsed()) / 1e6 / (kTurns + 1);
            turns = kTurns + 1;
            // Then zoomed in as far as it goes and scrolled down a page.
            for (int i = 0; i < 40; ++i)
                preview.zoomInAction()->trigger();
            for (int i = 0; i < 10; ++i) {
                preview.nextPageAction()->trigger();
                preview.pagesView()->viewport()->repaint();
            }
            growthMB = residentMB() - before;
            drawn = preview.pagesView()->pagesDrawn();
            preview.hide();
        };
        clock.start();
        s.form->PrintPreview1->trigger();
        state.SetIterationTime(firstPageMs / 1e3);
    }
    if (pages < 1000 || s.dialogs.messages != 0 || drawn < turns)
        state.SkipWithError("the preview did not show the full log's pages");
    state.counters["drawn"] = drawn;
    state.counters["pages"] = pages;
    state.counters["turn_ms"] = turnMs;
    state.counters["turns"] = turns;
    // What the open preview added to the window, zoomed in far included.
    // The first opening is the one that counts: memory the allocator got
    // then is reused by later openings and no longer shows as growth.
    static double firstGrowthMB = -1;
    if (firstGrowthMB < 0)
        firstGrowthMB = growthMB;
    state.counters["growth_MB"] = growthMB;
    state.counters["first_growth_MB"] = firstGrowthMB;
}
BENCHMARK(BM_PreviewFullLogStep5)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1)->Repetitions(7);

// File > Print Report on the full log: the time from the command (the title
// answered at once) to the report's first page on screen. The report's
// figures, overview and layout are all made within it.
void BM_ReportPreviewFirstPage(benchmark::State &state)
{
    Setup &s = setup();
    int pages = 0;
    for (auto _ : state) {
        QElapsedTimer clock;
        double firstPageMs = 0;
        s.dialogs.onPreview = [&](QDialog &dialog) {
            auto &preview = static_cast<TPrintPreviewForm &>(dialog);
            firstPageMs = showFirstPage(preview, clock);
            pages = preview.pagesView()->pageCount();
            preview.hide();
        };
        clock.start();
        s.form->PrintReport1->trigger();
        state.SetIterationTime(firstPageMs / 1e3);
    }
    if (pages < 1 || s.dialogs.messages != 0)
        state.SkipWithError("the report's preview did not show");
    state.counters["pages"] = pages;
}
BENCHMARK(BM_ReportPreviewFirstPage)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1)->Repetitions(7);

} // namespace
} // namespace sorvant::bench

int main(int argc, char **argv)
{
    sorvant::bench::isolateHome(true);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    // The window goes while the application it belongs to is still there.
    sorvant::bench::setupHolder().reset();
    return 0;
}
