// Start and close of Sorvant over a hostile settings file: one hex value of
// 6, 24 or 60 MB (below the 64 MB the reader accepts) in regedit's layout of
// 25 bytes a line. Reading and writing must grow with the file's size and no
// faster, with memory a small multiple of it.
//   run: settingsfile_bench
#include "platform/registryfile.h"

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <utility>
#include <vector>

namespace {

const QString kKey = QStringLiteral("\\Software\\Sorvant\\Options");

QByteArray settingsWithHexValue(qint64 megabytes)
{
    QByteArray file = "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software\\Sorvant\\Options]\n"
                      "\"FilePath\"=\"/home/ann/logs/\"\n\"Blob\"=hex:";
    const qint64 target = megabytes * 1024 * 1024;
    file.reserve(target + 4096);
    int onLine = 0;
    while (file.size() < target) {
        file += "a5,";
        if (++onLine == 25) {
            file += "\\\n  ";
            onLine = 0;
        }
    }
    file += "00\n\"SampleInterval\"=dword:00000019\n\"MRU1\"=\"/home/ann/logs/a.dat\"\n";
    return file;
}

double peakRssMegabytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

struct SettingsFile {
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("Sorvant.reg"));
    qint64 size = 0;
    explicit SettingsFile(qint64 megabytes)
    {
        const QByteArray bytes = settingsWithHexValue(megabytes);
        size = bytes.size();
        QFile f(path);
        if (f.open(QIODevice::WriteOnly))
            f.write(bytes);
    }
};

// What the main window's creation does: open the key, read the seven values.
void BM_ReadAtStart(benchmark::State &state)
{
    const SettingsFile file(state.range(0));
    for (auto _ : state) {
        sorvant::RegistryKey key(file.path);
        if (!key.openKey(kKey, false))
            state.SkipWithError("the key does not open");
        benchmark::DoNotOptimize(key.readString(QStringLiteral("FilePath")));
        benchmark::DoNotOptimize(key.readInteger(QStringLiteral("SampleInterval")));
        for (int i = 1; i <= 5; ++i)
            benchmark::DoNotOptimize(key.readString(QStringLiteral("MRU%1").arg(i)));
    }
    state.SetBytesProcessed(state.iterations() * file.size);
    state.counters["peak_rss_MB"] = peakRssMegabytes();
}

// What closing does: open with creation allowed and write the seven values.
void BM_WriteAtClose(benchmark::State &state)
{
    const SettingsFile file(state.range(0));
    for (auto _ : state) {
        sorvant::RegistryKey key(file.path);
        if (!key.openKey(kKey, true))
            state.SkipWithError("the key does not open");
        std::vector<std::pair<QString, sorvant::RegistryValue>> values{
            {QStringLiteral("FilePath"), sorvant::RegistryValue::string(QStringLiteral("/home/ann/logs/"))},
            {QStringLiteral("SampleInterval"), sorvant::RegistryValue::dword(25)}};
        for (int i = 1; i <= 5; ++i)
            values.emplace_back(QStringLiteral("MRU%1").arg(i), sorvant::RegistryValue::string(QStringLiteral("/a.dat")));
        key.writeValues(values);
    }
    state.SetBytesProcessed(state.iterations() * file.size);
    state.counters["peak_rss_MB"] = peakRssMegabytes();
}

} // namespace

BENCHMARK(BM_ReadAtStart)->Arg(6)->Arg(24)->Arg(60)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_WriteAtClose)->Arg(6)->Arg(24)->Arg(60)->Unit(benchmark::kMillisecond)->Iterations(2);

BENCHMARK_MAIN();
