// Load and Save of the print settings over large files, up to the 64 MiB the
// reader accepts: blank lines, one very long TitleText line, and a section of
// many keys. Each must cost one pass over the file, well under a second.
//   run: printsettingsfile_bench
#include "output/printing/printsettingsfile.h"

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <sys/resource.h>

namespace {

double peakRssMegabytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

enum Shape { BlankLines, LongTitle, ManyKeys };

QByteArray fileOf(Shape shape, qint64 bytes)
{
    QByteArray file = "[PRINTSETTINGS]\r\nBorders=3\r\n";
    switch (shape) {
    case BlankLines:
        file += QByteArray(bytes - file.size() - 20, '\n');
        break;
    case LongTitle:
        file += "TitleText=" + QByteArray(bytes - file.size() - 40, 'T') + "\r\n";
        break;
    case ManyKeys:
        for (int i = 0; file.size() < bytes - 40; ++i)
            file += "Key" + QByteArray::number(i) + "=value\r\n";
        break;
    }
    file += "FontSize=12\r\n";
    return file;
}

struct SettingsFile {
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("DataLogPrinterSettings.ini"));
    SettingsFile(Shape shape, qint64 bytes)
    {
        QFile f(path);
        if (f.open(QIODevice::WriteOnly))
            f.write(fileOf(shape, bytes));
    }
};

void BM_Load(benchmark::State &state)
{
    const SettingsFile file(static_cast<Shape>(state.range(0)), state.range(1) * 1024 * 1024);
    for (auto _ : state) {
        sorvant::PrintSettings s;
        if (!sorvant::LoadPrintSettings(s, file.path, sorvant::printSettingsSection()) || s.Font.Size != 12)
            state.SkipWithError("not loaded");
        benchmark::DoNotOptimize(s);
    }
    state.counters["peak_rss_MB"] = peakRssMegabytes();
}

void BM_Save(benchmark::State &state)
{
    const SettingsFile file(static_cast<Shape>(state.range(0)), state.range(1) * 1024 * 1024);
    const sorvant::PrintSettings s;
    for (auto _ : state) {
        if (!sorvant::SavePrintSettings(s, file.path, sorvant::printSettingsSection()))
            state.SkipWithError("not saved");
    }
    state.counters["peak_rss_MB"] = peakRssMegabytes();
}

// {shape, MiB}: 0 blank lines, 1 one long TitleText line, 2 many keys.
BENCHMARK(BM_Load)->Args({0, 1})->Args({0, 8})->Args({0, 63})->Args({1, 60})->Args({2, 63})
    ->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_Save)->Args({0, 63})->Args({1, 60})->Args({2, 63})->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

BENCHMARK_MAIN();
