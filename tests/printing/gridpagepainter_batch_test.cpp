// The painter gathers a page's texts into one glyph run per face and its
// lines into one call. Read back by poppler (words, boxes and a rendering),
// the pages must be the ones drawn cell by cell.

#include "fakeprinttable.h"
#include "pdfwords.h"

#include "output/printing/gridpagepainter.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdlib>
#include <tuple>

using namespace sorvant;
using sorvant::test::FakeMeasurer;
using sorvant::test::FakeTable;

namespace {

constexpr int kDpi = 600;

// A table with what a page can hold: numbers, times, empty cells, a text
// too wide for its cell (clipped), two lines in one cell, and enough rows
// for three pages.
FakeTable mixedTable()
{
    FakeTable t(5, 160);
    for (int r = 0; r < t.rowCount(); ++r) {
        for (int c = 0; c < 5; ++c) {
            std::string text = r == 0 ? "Head " + std::to_string(c) : std::to_string(r * 7 + c * 13);
            if (c == 3 && r > 0)
                text = std::to_string(r % 24) + ":0" + std::to_string(r % 10);
            t.set(c, r, text);
        }
    }
    t.set(2, 5, "");
    t.set(1, 7, std::string(30, 'W'));
    t.set(4, 9, "two\nlines");
    return t;
}

struct Variant {
    const char *name;
    PrintSettings settings;
};

std::vector<Variant> variants()
{
    PrintSettings plain;
    plain.UseFixedWidth = true;
    plain.FixedWidth = 260;
    PrintSettings dashed = plain;
    dashed.BorderStyle = psDash;
    dashed.Borders = pbDouble;
    dashed.PageNr = ppBottomCenter;
    dashed.Title = ppTopLeft;
    dashed.TitleText = QStringLiteral("Dryer North");
    PrintSettings underlined = plain;
    underlined.UseDisplayFont = false;
    underlined.Font.Name = QStringLiteral("Tahoma");
    underlined.Font.Underline = true;
    underlined.Borders = pbAround;
    return {{"thin lines", plain}, {"dashed double lines, title and page numbers", dashed},
            {"underlined font, frame only", underlined}};
}

// Draws every page of the plan into a PDF, batched or cell by cell.
void writePdf(const GridPagePlan &plan, bool batched, const QString &path)
{
    QPdfWriter writer(path);
    writer.setResolution(kDpi);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    QPainter p(&writer);
    GridPagePainter painter(plan);
    painter.setBatched(batched);
    const QDateTime now(QDate(2011, 3, 5), QTime(14, 7));
    for (int i = 0; i < plan.pageCount(); ++i) {
        if (i > 0)
            writer.newPage();
        painter.drawPage(p, i, now, kDpi, kDpi);
    }
}

// Page `page` of a PDF rendered by pdftoppm at a low resolution.
QImage rendered(const QString &pdf, int page, const QString &prefix)
{
    QProcess p;
    p.start(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QStringLiteral("40"), QStringLiteral("-gray"),
                                         QStringLiteral("-f"), QString::number(page), QStringLiteral("-l"),
                                         QString::number(page), QStringLiteral("-singlefile"), QStringLiteral("-png"),
                                         pdf, prefix});
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        return QImage();
    return QImage(prefix + QStringLiteral(".png"));
}

} // namespace

TEST(GridPagePainterBatches, PdfPagesReadBackAsTheCellByCellPages)
{
    if (!pdfwords::available() || QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty())
        GTEST_SKIP() << "poppler-utils are not installed";
    QTemporaryDir dir;
    const FakeTable table = mixedTable();
    for (const Variant &v : variants()) {
        SCOPED_TRACE(v.name);
        FakeMeasurer measurer;
        const GridPagePlan plan(table, v.settings, 2000, 2870, measurer);
        ASSERT_GE(plan.pageCount(), 3);
        const QString before = dir.filePath(QStringLiteral("cells.pdf")), after = dir.filePath(QStringLiteral("batched.pdf"));
        writePdf(plan, false, before);
        writePdf(plan, true, after);

        const auto wordsBefore = pdfwords::read(before), wordsAfter = pdfwords::read(after);
        ASSERT_EQ(wordsBefore.size(), static_cast<std::size_t>(plan.pageCount()));
        ASSERT_EQ(wordsAfter.size(), wordsBefore.size());
        for (std::size_t page = 0; page < wordsBefore.size(); ++page) {
            SCOPED_TRACE(page + 1);
            // Each word at its place; the order pdftotext lists them in
            // follows the order of the drawing commands, which is what changed.
            auto a = wordsBefore[page].words, b = wordsAfter[page].words;
            const auto byPlace = [](const pdfwords::Word &l, const pdfwords::Word &r) {
                return std::tie(l.yMin, l.xMin, l.text) < std::tie(r.yMin, r.xMin, r.text);
            };
            std::sort(a.begin(), a.end(), byPlace);
            std::sort(b.begin(), b.end(), byPlace);
            ASSERT_GT(a.size(), 20u);
            ASSERT_EQ(a.size(), b.size());
            for (std::size_t w = 0; w < a.size(); ++w) {
                EXPECT_EQ(a[w].text, b[w].text);
                // Boxes to a hundredth of a point: the same glyphs at the same places.
                EXPECT_NEAR(a[w].xMin, b[w].xMin, 0.01);
                EXPECT_NEAR(a[w].yMin, b[w].yMin, 0.01);
                EXPECT_NEAR(a[w].xMax, b[w].xMax, 0.01);
                EXPECT_NEAR(a[w].yMax, b[w].yMax, 0.01);
            }
        }
        EXPECT_TRUE(wordsAfter[0].find(QStringLiteral("Head")) != nullptr);

        for (int page : {1, plan.pageCount()}) {
            SCOPED_TRACE(page);
            const QImage x = rendered(before, page, dir.filePath(QStringLiteral("cells")));
            const QImage y = rendered(after, page, dir.filePath(QStringLiteral("batched")));
            ASSERT_FALSE(x.isNull());
            ASSERT_EQ(x.size(), y.size());
            // Grey levels apart by more than a rounding step, counted.
            int differing = 0, inked = 0;
            for (int row = 0; row < x.height(); ++row) {
                for (int col = 0; col < x.width(); ++col) {
                    const int gx = qGray(x.pixel(col, row)), gy = qGray(y.pixel(col, row));
                    differing += std::abs(gx - gy) > 8 ? 1 : 0;
                    inked += gx < 200 ? 1 : 0;
                }
            }
            EXPECT_GT(inked, 1000) << "the page has lines and texts to compare";
            EXPECT_LE(differing, x.width() * x.height() / 1000) << differing << " pixels differ";
        }
    }
}

TEST(GridPagePainterBatches, ImagePagesAreTheCellByCellPages)
{
    // Onto an image the two ways give the same pixels, clipping included.
    const FakeTable table = mixedTable();
    for (const Variant &v : variants()) {
        SCOPED_TRACE(v.name);
        FakeMeasurer measurer;
        const GridPagePlan plan(table, v.settings, 2000, 2870, measurer);
        QImage images[2];
        for (bool batched : {false, true}) {
            QImage &image = images[batched ? 1 : 0];
            image = QImage(2000, 2870, QImage::Format_RGB32);
            image.fill(Qt::white);
            QPainter p(&image);
            GridPagePainter painter(plan);
            painter.setBatched(batched);
            painter.drawPage(p, 0, QDateTime(QDate(2011, 3, 5), QTime(14, 7)), 254, 254);
        }
        int differing = 0;
        for (int y = 0; y < 2870; ++y) {
            for (int x = 0; x < 2000; ++x)
                differing += qGray(images[0].pixel(x, y)) != qGray(images[1].pixel(x, y)) ? 1 : 0;
        }
        EXPECT_LE(differing, 50) << differing << " pixels differ";
    }
}
