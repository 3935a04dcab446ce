// A chart image of a known log, drawn as the exporter draws it.
#include "chartfixture.h"

#include "logdata/loadlog.h"
#include "platform/usererror.h"
#include "views/spreadsheetconfig.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <memory>

using namespace chartfixture;

namespace {

void putBig16(QByteArray &out, int v)
{
    const auto u = static_cast<std::uint16_t>(v);
    out.append(static_cast<char>(u >> 8));
    out.append(static_cast<char>(u & 0xFF));
}

// 360 records, one every 12 s from 6:00: at step 25 that is 15 rows, two
// pages. The dryer temperature peaks at 97 in record 175 (row 7).
QByteArray knownLog()
{
    QByteArray out;
    for (int i = 0; i < 360; ++i) {
        putBig16(out, i == 175 ? 97 : 80 + i % 7); // GrainTempInsideDryer
        putBig16(out, 600 + i % 10);               // WetGrainTemp, tenths
        putBig16(out, 215);                        // MoistureIn
        putBig16(out, 665);                        // DriedGrainTemp
        putBig16(out, 150);                        // MoistureOut
        putBig16(out, 35);                         // UnloadRate
        const int minutes = 6 * 60 + i / 5;
        out.append(static_cast<char>(3));
        out.append(static_cast<char>(minutes / 60));
        out.append(static_cast<char>(minutes % 60));
        out.append('\0');
    }
    return out;
}

struct LoadedExport {
    QTemporaryDir dir;
    sorvant::ChartImageExport chart;
    DataGridStore grid{sorvant::kColumnCount};
    LoadedExport()
    {
        const QString path = dir.filePath(QStringLiteral("known.dat"));
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(knownLog());
        f.close();
        chart.model().setLocale(QLocale::c());
        sorvant::configureSpreadsheetStore(grid);
        sorvant::GridTableSink table(grid);
        const auto store = std::make_unique<sorvant::LogStore>();
        sorvant::LoadTargets targets;
        targets.table = &table;
        targets.series = &chart.seriesSink();
        targets.showFileError = [] { ADD_FAILURE() << "the known log failed to load"; };
        const sorvant::LoadResult r = sorvant::LoadLog(path, 25, *store, sorvant::CellTextFormat(), targets);
        EXPECT_TRUE(r.ok);
        EXPECT_EQ(r.rows, 15);
    }
};

} // namespace

TEST(ChartImage, KnownLogRendersWithTheExpectedRanges)
{
    LoadedExport e;
    const struct { int page; std::vector<int> hidden; double from, to, leftMax; std::size_t labels; } cases[] = {
        {1, {}, 0, 275, 97, 12},
        {2, {}, 300, 300 + 50.0 * 12 / 3, 97, 3}, // three points keep a full page's spacing
        {1, {4}, 0, 275, 66, 12},                 // Series4 hidden: the highest left value is Series5's
        {1, {3, 4, 5}, 0, 275, 1, 12},            // no left series: an empty axis of one unit
    };
    for (const auto &c : cases) {
        sorvant::ChartImageRequest request;
        request.page = c.page;
        request.size = QSize(600, 400);
        request.hiddenSeries = c.hidden;
        QImage image;
        const ChartLayout l = e.chart.render(request, image);
        EXPECT_EQ(image.size(), QSize(600, 400));
        EXPECT_EQ(l.page, c.page);
        EXPECT_EQ(l.numPages, 2);
        EXPECT_DOUBLE_EQ(l.bottom.map.minimum, c.from) << "page " << c.page;
        EXPECT_DOUBLE_EQ(l.bottom.map.maximum, c.to) << "page " << c.page;
        EXPECT_DOUBLE_EQ(l.left.map.maximum, c.leftMax) << "page " << c.page;
        EXPECT_DOUBLE_EQ(l.right.map.maximum, 100);
        EXPECT_EQ(l.bottom.labels.size(), c.labels);
        EXPECT_EQ(l.bottom.labels.front().text, c.page == 1 ? QStringLiteral("6:00") : QStringLiteral("7:00"));
    }
}

TEST(ChartImage, WritesAPngOrSaysWhyNot)
{
    LoadedExport e;
    sorvant::ChartImageRequest request;
    request.view3D = true;
    request.markers = true;
    const QString png = e.dir.filePath(QStringLiteral("chart.png"));
    e.chart.writePng(request, png);
    const QImage image(png);
    EXPECT_EQ(image.size(), QSize(1200, 800));
    EXPECT_TRUE(e.chart.model().View3D());

    request.page = 3;
    try {
        e.chart.writePng(request, e.dir.filePath(QStringLiteral("none.png")));
        ADD_FAILURE() << "page 3 of 2 was written";
    } catch (const sorvant::UserError &error) {
        EXPECT_EQ(error.text(), QStringLiteral("The chart has no page 3: it has 2 pages"));
    }
    EXPECT_FALSE(QFile::exists(e.dir.filePath(QStringLiteral("none.png"))));

    request.page = 1;
    EXPECT_THROW(e.chart.writePng(request, e.dir.filePath(QStringLiteral("no/such/folder/x.png"))),
                 sorvant::UserError);
}
