// A season of logs at once: 100 full logs (720,000 records each, made with
// make-sample-log) to CSV at step 25.
//
//   batch_bench --benchmark_repetitions=5
// BM_BatchSpeedup gives the -j 2 speed-up from runs side by side, with the
// machine's own two-core scaling beside it.
// Targets on this 2-core machine: `sorvant-export --out-dir` at least 1.8x
// faster than with -j 1 and at least 4x faster than a shell loop of single
// runs; peak memory <= 40 MB per thread.

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include "processpeak.h"

#include <benchmark/benchmark.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <thread>
#include <vector>

namespace {

constexpr int kLogs = 100;

const QString &logFolder()
{
    static QTemporaryDir dir;
    static const QString path = [] {
        const QString folder = dir.filePath(QStringLiteral("season"));
        QDir().mkpath(folder);
        for (int i = 1; i <= kLogs; ++i) {
            QProcess::execute(QStringLiteral(SORVANT_BINARY_DIR "/tools/make-sample-log"),
                              {QStringLiteral("%1/dryer%2.dat").arg(folder).arg(i, 3, 10, QLatin1Char('0')),
                               QStringLiteral("--records"), QStringLiteral("720000"), QStringLiteral("--seed"),
                               QString::number(i)});
        }
        return folder;
    }();
    return path;
}

void BM_BatchCsv(benchmark::State &state)
{
    const QByteArray folder = QFile::encodeName(logFolder());
    QTemporaryDir out;
    const int threads = static_cast<int>(state.range(0));
    double peak = 0;
    for (auto _ : state) {
        const double mb = sorvant::bench::runProcessPeakMb({SORVANT_BINARY_DIR "/tools/sorvant-export", folder, "--out-dir",
                                      QFile::encodeName(out.path()), "--csv", "--quiet", "-j",
                                      QByteArray::number(threads)});
        if (mb < 0)
            state.SkipWithError("sorvant-export failed");
        peak = std::max(peak, mb);
    }
    state.counters["peak_MB"] = peak;
    state.counters["MB_per_thread"] = peak / threads;
    state.counters["ms_per_log"] = benchmark::Counter(kLogs, benchmark::Counter::kIsIterationInvariantRate |
                                                                 benchmark::Counter::kInvert);
}
BENCHMARK(BM_BatchCsv)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

// The machine's own two-core ceiling: a loop that touches no memory, on one
// thread and then on two. A virtual machine whose host is busy gives its two
// cores less than twice the work of one, and no program can do better.
double computeScaling()
{
    const auto spin = [] {
        volatile std::uint64_t sink = 0;
        std::uint64_t x = 1;
        for (std::uint64_t i = 0; i < 150'000'000; ++i)
            x = x * 6364136223846793005ull + i;
        sink = x;
        (void)sink;
    };
    QElapsedTimer clock;
    clock.start();
    spin();
    const double one = static_cast<double>(clock.nsecsElapsed());
    clock.restart();
    std::thread other(spin);
    spin();
    other.join();
    const double two = static_cast<double>(clock.nsecsElapsed());
    return 2 * one / two;
}

// -j 1 and -j 2 back to back in each repetition, then the ceiling above:
// with the host's load drifting between runs, only figures taken side by
// side compare. Run with --benchmark_repetitions and read the medians.
void BM_BatchSpeedup(benchmark::State &state)
{
    const QByteArray folder = QFile::encodeName(logFolder());
    QTemporaryDir out;
    const auto batch = [&](const char *threads) {
        QElapsedTimer clock;
        clock.start();
        if (sorvant::bench::runProcessPeakMb({SORVANT_BINARY_DIR "/tools/sorvant-export", folder, "--out-dir",
                                              QFile::encodeName(out.path()), "--csv", "--quiet", "-j", threads}) < 0)
            return -1.0;
        return static_cast<double>(clock.nsecsElapsed()) / 1e6;
    };
    batch("2"); // the outputs exist from here on, as in the other runs
    double one = 0, two = 0, ceiling = 0;
    for (auto _ : state) {
        one = batch("1");
        two = batch("2");
        ceiling = computeScaling();
        if (one < 0 || two < 0)
            state.SkipWithError("sorvant-export failed");
    }
    state.counters["j1_ms"] = one;
    state.counters["j2_ms"] = two;
    state.counters["speedup"] = one / two;
    state.counters["machine_two_core_scaling"] = ceiling;
}
BENCHMARK(BM_BatchSpeedup)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

// What a dealer does without batch mode: one process per log.
void BM_ShellLoopCsv(benchmark::State &state)
{
    const QByteArray folder = QFile::encodeName(logFolder());
    QTemporaryDir out;
    const QByteArray script = "for f in \"$1\"/*.dat; do n=${f##*/}; \"$2\" \"$f\" --csv \"$3/${n%.dat}.csv\" || exit 1; "
                              "done";
    for (auto _ : state) {
        if (sorvant::bench::runProcessPeakMb({"/bin/sh", "-c", script, "sh", folder, SORVANT_BINARY_DIR "/tools/sorvant-export",
                        QFile::encodeName(out.path())}) < 0)
            state.SkipWithError("the shell loop failed");
    }
}
BENCHMARK(BM_ShellLoopCsv)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

} // namespace

BENCHMARK_MAIN();
