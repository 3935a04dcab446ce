// sorvant-export --spans, --overview-png and --limit, run as a process.
#include "logdata/loadlog.h"
#include "output/spanscsv.h"
#include "views/overviewconfig.h"
#include "views/spreadsheetconfig.h"

#include "exporterrun.h"
#include "logbytes.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace sorvant;

namespace {

using exporterrun::Outcome;

Outcome runExporter(const QStringList &args, const QStringList &env = {})
{
    return exporterrun::run(args, env);
}

class OverviewExportTest : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    QString path(const char *name) const { return dir.filePath(QLatin1String(name)); }

    // Two days from 23:00: Moisture Out 15.0 but for one record of 40.0 at
    // record 700, and Grain Temp in Dryer 130 for records 10 to 19.
    QString spikeLog()
    {
        QByteArray bytes;
        for (int i = 0; i < 1000; ++i) {
            const int minute = 23 * 60 + i / 5;
            const int moistOut = i == 700 ? 400 : 150;
            const int inDryer = i >= 10 && i < 20 ? 130 : 90;
            bytes += logbytes::record(inDryer, 621, 215, 665, moistOut, 35, 1, minute / 60 % 24, minute % 60);
        }
        const QString p = path("spike.dat");
        EXPECT_TRUE(logbytes::writeFile(p, bytes));
        return p;
    }

    void load(const QString &log, LogStore &store)
    {
        DataGridStore grid(kColumnCount);
        GridTableSink table(grid);
        LoadTargets targets;
        targets.table = &table;
        ASSERT_TRUE(LoadLog(log, 25, store, CellTextFormat(), targets).ok);
    }
};

TEST_F(OverviewExportTest, SpansFileOfTheLimitsGiven)
{
    const QString log = spikeLog();
    const Outcome r = runExporter({log, QStringLiteral("--limit"), QStringLiteral("moisture out:14:16"),
                                   QStringLiteral("--limit"), QStringLiteral("Grain Temp in Dryer::120"),
                                   QStringLiteral("--spans"), path("spans.csv")});
    ASSERT_EQ(r.exitCode, 0) << r.err.constData();
    QFile f(path("spans.csv"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("Quantity,Start Day,Start Time,End Day,End Time,Duration,Extreme,Records\r\n"
                                      "Grain Temp in Dryer,1,23:02,1,23:03,0:02:00,130,10\r\n"
                                      "Moisture Out,2,1:20,2,1:20,0:00:12,40,1\r\n"));

    // Without a limit the file holds its header alone.
    ASSERT_EQ(runExporter({log, QStringLiteral("--spans"), path("none.csv")}).exitCode, 0);
    QFile none(path("none.csv"));
    ASSERT_TRUE(none.open(QIODevice::ReadOnly));
    EXPECT_EQ(none.readAll(), QByteArray("Quantity,Start Day,Start Time,End Day,End Time,Duration,Extreme,Records\r\n"));

    // A folder that cannot be written is an error of its own, exit 1.
    const Outcome bad = runExporter({log, QStringLiteral("--spans"), path("no/such/folder/spans.csv")});
    EXPECT_EQ(bad.exitCode, 1);
    EXPECT_TRUE(bad.err.contains("Cannot Create file")) << bad.err.constData();
}

TEST_F(OverviewExportTest, ABadLimitIsAUsageErrorNamingIt)
{
    const QString log = spikeLog();
    for (const char *bad : {"Moisture:14:16", "Moisture Out:abc:16", "Moisture Out:16:14", "Moisture Out"}) {
        const Outcome r = runExporter({log, QStringLiteral("--limit"), QString::fromLatin1(bad), QStringLiteral("--spans"),
                                       path("spans.csv")});
        EXPECT_EQ(r.exitCode, 2) << bad;
        EXPECT_TRUE(r.err.contains(bad)) << r.err.constData();
        EXPECT_FALSE(QFile::exists(path("spans.csv"))) << bad;
    }
    EXPECT_EQ(runExporter({log, QStringLiteral("--limit")}).exitCode, 2);
}

TEST_F(OverviewExportTest, OverviewImageShowsEveryRecordWithTheSpansShaded)
{
    const QString log = spikeLog();
    const Outcome r = runExporter({log, QStringLiteral("--limit"), QStringLiteral("Moisture Out:14:16"),
                                   QStringLiteral("--overview-png"), path("overview.png"), QStringLiteral("--size"),
                                   QStringLiteral("300x200")});
    ASSERT_EQ(r.exitCode, 0) << r.err.constData();
    QImage image(path("overview.png"));
    ASSERT_EQ(image.size(), QSize(300, 200));

    // The same picture as the window's painter draws in this process.
    LogStore store;
    load(log, store);
    const LogOverviewData data = buildLogOverview(store);
    Limits limits;
    limits[1] = {14.0, 16.0};
    QImage expected(300, 200, QImage::Format_RGB32);
    expected.fill(Qt::white);
    {
        QPainter p(&expected);
        paintLogOverview(p, QRectF(0, 0, 300, 200), data, findOutOfRangeSpans(store.data(), store.count(), limits));
    }
    EXPECT_EQ(image.convertToFormat(QImage::Format_RGB32), expected);

    // The one record of 40 % rises above the 15 % of the others at its place,
    // though the 5-minute rows hold none of it.
    const OverviewLayout l = logOverviewLayout(data, QRectF(0, 0, 300, 200));
    const int x = int(l.xOf(700.5));
    const int y30 = int(l.yOf(OverviewAxisSide::Right, 30));
    const int y15 = int(l.yOf(OverviewAxisSide::Right, 15));
    // Red, alone or over the back wall; not the orange of Grain Temp in Dryer.
    const auto red = [](const QColor &c) {
        return c.red() > 200 && c.green() < 170 && c.blue() < 170 && std::abs(c.green() - c.blue()) < 40;
    };
    bool spike = false, elsewhere = false;
    for (int y = int(l.plot.top()) + 1; y < y30; ++y) {
        for (int dx = -1; dx <= 1; ++dx) {
            const QColor c = image.pixelColor(x + dx, y);
            spike = spike || red(c);
        }
        const QColor far = image.pixelColor(int(l.xOf(300)), y);
        elsewhere = elsewhere || red(far);
    }
    EXPECT_TRUE(spike);
    EXPECT_FALSE(elsewhere);
    EXPECT_LT(y30, y15);
    // The midnight after record 300 is marked and named.
    EXPECT_EQ(l.midnights.size(), 1u);
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
