// Opening a full log in the main window, offscreen: from the open dialog's
// answer to the table shown, the window's memory, and what the progress bar
// costs the load.

#include "benchsupport.h"
#include "controls/grid/datagrid.h"
#include "shell/mainform.h"
#include "views/chartview.h"
#include "views/spreadsheetview.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <ctime>
#include <memory>
#include <vector>

namespace sorvant::bench {
namespace {

constexpr int kFullLog = 720000;

double threadCpuMs()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) * 1e3 + static_cast<double>(ts.tv_nsec) / 1e6;
}

struct Setup {
    FixedAnswerDialogs dialogs;
    std::unique_ptr<TSorvantMainForm> form;
    double rssBeforeWindow = 0;
    double rssWindowShown = 0;
    double firstOpenMs = -1;
    LogStore spareStore; // for loads without the window's progress bar

    Setup()
    {
        QTemporaryDir &home = isolateHome(true);
        dialogs.path = makeSampleLog(home.filePath(QStringLiteral("full.dat")), kFullLog);
        // The settings say step 5: 144,000 rows.
        const QString settings = home.filePath(QStringLiteral("config/Sorvant/Sorvant.reg"));
        SettingsStore(settings).write({QString(), 5, {}});
        rssBeforeWindow = residentMB();
        MainFormOptions options;
        options.settingsPath = settings;
        options.locale = QLocale::c();
        form = std::make_unique<TSorvantMainForm>(dialogs, options);
        form->show();
        QApplication::processEvents();
        rssWindowShown = residentMB();
    }

    // One Open command and the table painted with its new rows.
    void openAndShow()
    {
        form->OpenButtonClick();
        form->StringGrid1->syncWithStore();
        form->StringGrid1->viewport()->repaint();
    }
};

Setup &setup()
{
    static Setup s;
    return s;
}

void BM_OpenFullLogStep5(benchmark::State &state)
{
    Setup &s = setup();
    if (s.firstOpenMs < 0) {
        QElapsedTimer t;
        t.start();
        s.openAndShow();
        s.firstOpenMs = static_cast<double>(t.nsecsElapsed()) / 1e6;
    }
    for (auto _ : state) {
        s.openAndShow();
        benchmark::DoNotOptimize(s.form->spreadsheet()->store().RowCount());
    }
    if (s.form->spreadsheet()->store().RowCount() != 144001 || s.dialogs.messages != 0)
        state.SkipWithError("the log did not load as 144,000 rows");
    state.counters["first_open_ms"] = s.firstOpenMs;
    state.counters["rows"] = s.form->spreadsheet()->store().RowCount() - 1;
    // The whole growth, and the part of it the loads added to the shown window.
    state.counters["window_growth_MB"] = residentMB() - s.rssBeforeWindow;
    state.counters["of_it_loads_MB"] = residentMB() - s.rssWindowShown;
}
BENCHMARK(BM_OpenFullLogStep5)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(9)
    ->ReportAggregatesOnly(true)->Iterations(3);

// The same load with and without the progress bar, alternating, so that
// both see the same caches and machine load.
void BM_ProgressBarOverhead(benchmark::State &state)
{
    Setup &s = setup();
    TSorvantMainForm &form = *s.form;
    form.CurrentFile = s.dialogs.path;
    std::vector<double> with, without, withCpu, withoutCpu;
    const int updatesBefore = form.progressSink().updates();
    {
        // Warm the spare store's pages once, as the window's are.
        LoadTargets warm;
        warm.table = &form.spreadsheet()->tableSink();
        sorvant::LoadLog(form.CurrentFile, form.SampleInterval, s.spareStore, form.cellTextFormat(), warm);
    }
    for (auto _ : state) {
        QElapsedTimer t;
        double cpu = threadCpuMs();
        t.start();
        form.LoadLog();
        with.push_back(static_cast<double>(t.nsecsElapsed()) / 1e6);
        withCpu.push_back(threadCpuMs() - cpu);
        state.SetIterationTime(with.back() / 1e3);

        LoadTargets targets;
        targets.table = &form.spreadsheet()->tableSink();
        targets.series = &form.chartView()->seriesSink();
        targets.recalcPosition = [&form] { form.chartView()->RecalcPosition(); };
        cpu = threadCpuMs();
        t.start();
        sorvant::LoadLog(form.CurrentFile, form.SampleInterval, s.spareStore, form.cellTextFormat(), targets);
        without.push_back(static_cast<double>(t.nsecsElapsed()) / 1e6);
        withoutCpu.push_back(threadCpuMs() - cpu);
    }
    const auto median = [](std::vector<double> v) {
        std::sort(v.begin(), v.end());
        return v.empty() ? 0.0 : v[v.size() / 2];
    };
    state.counters["with_bar_ms"] = median(with);
    state.counters["without_bar_ms"] = median(without);
    state.counters["bar_updates_per_load"] =
        static_cast<double>(form.progressSink().updates() - updatesBefore) / static_cast<double>(with.size());
    state.counters["overhead_pct"] = 100.0 * (median(with) / median(without) - 1.0);
    // CPU time of the UI thread alone: the same comparison, free of the
    // noise other processes on the machine add to wall-clock time.
    state.counters["with_bar_cpu_ms"] = median(withCpu);
    state.counters["without_bar_cpu_ms"] = median(withoutCpu);
    state.counters["cpu_overhead_pct"] = 100.0 * (median(withCpu) / median(withoutCpu) - 1.0);
}
BENCHMARK(BM_ProgressBarOverhead)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(15);

} // namespace
} // namespace sorvant::bench

int main(int argc, char **argv)
{
    sorvant::bench::isolateHome(true);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    sorvant::bench::setup().form.reset();
    benchmark::Shutdown();
    return 0;
}
