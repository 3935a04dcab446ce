// A planned page drawn onto an image at 254 dpi, where a pixel is a tenth of
// a millimetre: the lines, fills and text insets read back pixel by pixel.

#include "fakeprinttable.h"

#include "output/printing/gridpagepainter.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

using namespace sorvant;
using sorvant::test::FakeMeasurer;
using sorvant::test::FakeTable;

namespace {

const QColor kPaper(10, 200, 10); // what no fill or text paints

// Three columns of 150 from x = 0, rows 47 high from y = 0 (a 28-high
// font's line of 35, 35 / 8 and 2 g of 8).
PrintSettings plainSettings()
{
    PrintSettings s;
    s.UseFixedWidth = true;
    s.FixedWidth = 150;
    s.Centered = false;
    return s;
}

QImage render(const GridPrintTable &table, const PrintSettings &s)
{
    FakeMeasurer m;
    const GridPagePlan plan(table, s, 600, 400, m);
    QImage image(600, 400, QImage::Format_RGB32);
    image.fill(kPaper);
    GridPagePainter painter(plan);
    QPainter p(&image);
    painter.drawPage(p, 0, QDateTime(QDate(2011, 3, 5), QTime(14, 7)), 254, 254);
    return image;
}

bool dark(const QImage &image, int x, int y)
{
    return qGray(image.pixel(x, y)) < 100;
}

// Dark pixels of row y between x0 and x1 (exclusive).
int darkRun(const QImage &image, int y, int x0, int x1)
{
    int n = 0;
    for (int x = x0; x < x1; ++x)
        n += dark(image, x, y) ? 1 : 0;
    return n;
}

} // namespace

struct LineCase {
    const char *name;
    TPrintBorders borders;
    TPrintPenStyle style;
    int thickness; // of the line between columns 0 and 1
};

class GridPagePainterLines : public ::testing::TestWithParam<LineCase>
{
};

TEST_P(GridPagePainterLines, DrawsThePenOfTheBorders)
{
    const LineCase &c = GetParam();
    FakeTable t(3, 3); // empty cells: only lines are dark
    PrintSettings s = plainSettings();
    s.Borders = c.borders;
    s.BorderStyle = c.style;
    const QImage image = render(t, s);
    EXPECT_NEAR(darkRun(image, 70, 135, 165), c.thickness, 1);
}

INSTANTIATE_TEST_SUITE_P(Cases, GridPagePainterLines,
                         ::testing::Values(LineCase{"SingleIsATenthOfAMillimetreTwice", pbSingle, psSolid, 2},
                                           LineCase{"DoubleIsOneMillimetre", pbDouble, psSolid, 10},
                                           LineCase{"InsideFrameIsSolid", pbVertical, psInsideFrame, 2},
                                           LineCase{"ClearDrawsNone", pbDouble, psClear, 0},
                                           LineCase{"NoborderDrawsNone", pbNoborder, psSolid, 0}),
                         [](const auto &param) { return std::string(param.param.name); });

TEST(GridPagePainter, DashedLinesHaveGaps)
{
    FakeTable t(3, 3);
    PrintSettings s = plainSettings();
    s.BorderStyle = psDash;
    const QImage image = render(t, s);
    int along = 0;
    for (int y = 0; y < 141; ++y)
        along += dark(image, 150, y) ? 1 : 0;
    EXPECT_GT(along, 20);
    EXPECT_LT(along, 130);
}

TEST(GridPagePainter, FillsFixedAndDataCellsOverTheirRectangles)
{
    FakeTable t(3, 3);
    PrintSettings s = plainSettings();
    s.Borders = pbNoborder;
    const QImage image = render(t, s);
    const QRgb fixed = QColor(Qt::lightGray).rgb();
    const QRgb data = QColor(Qt::white).rgb();
    EXPECT_EQ(image.pixel(0, 0), fixed);      // header row, fixed column
    EXPECT_EQ(image.pixel(449, 46), fixed);   // header row, last column
    EXPECT_EQ(image.pixel(149, 140), fixed);  // fixed column, last row
    EXPECT_EQ(image.pixel(150, 47), data);
    EXPECT_EQ(image.pixel(449, 140), data);
    EXPECT_EQ(image.pixel(450, 70), kPaper.rgb()); // right of the last column
    EXPECT_EQ(image.pixel(300, 141), kPaper.rgb()); // below the last row
}

TEST(GridPagePainter, TextSitsAtTheTopInsideTheInsets)
{
    struct Case {
        GridPrintTable::Align align;
        int left, right; // bounds of the text's dark pixels, give or take a side bearing
    };
    for (const Case &c : {Case{GridPrintTable::Align::Left, 154, -1}, Case{GridPrintTable::Align::Right, -1, 295},
                          Case{GridPrintTable::Align::Centre, -1, -1}}) {
        SCOPED_TRACE(static_cast<int>(c.align));
        FakeTable t(3, 3);
        t.align = c.align;
        t.set(1, 1, "HH");
        PrintSettings s = plainSettings();
        s.Borders = pbNoborder;
        const QImage image = render(t, s);
        int x0 = 600, x1 = -1, y0 = 400;
        for (int y = 47; y < 94; ++y) {
            for (int x = 150; x < 300; ++x) {
                if (dark(image, x, y)) {
                    x0 = std::min(x0, x);
                    x1 = std::max(x1, x);
                    y0 = std::min(y0, y);
                }
            }
        }
        ASSERT_GE(x1, 0) << "no text drawn";
        EXPECT_GE(y0, 47);
        EXPECT_LE(y0, 47 + 12) << "a capital's top lies a little below the row's top";
        if (c.left >= 0) {
            EXPECT_GE(x0, c.left);
            EXPECT_LE(x0, c.left + 4);
        }
        if (c.right >= 0) {
            EXPECT_LE(x1, c.right);
            EXPECT_GE(x1, c.right - 4);
        }
        if (c.align == GridPrintTable::Align::Centre) {
            EXPECT_NEAR((x0 + x1) / 2.0, 225, 2);
        }
    }
}

TEST(GridPagePainter, TextWiderThanItsCellIsClipped)
{
    FakeTable t(3, 3);
    t.align = GridPrintTable::Align::Left;
    t.set(1, 1, std::string(40, 'H'));
    PrintSettings s = plainSettings();
    s.Borders = pbNoborder;
    const QImage image = render(t, s);
    int inside = 0;
    for (int y = 47; y < 94; ++y) {
        inside += darkRun(image, y, 150, 300);
        for (int x = 300; x < 450; ++x)
            ASSERT_FALSE(dark(image, x, y)) << x << "," << y;
    }
    EXPECT_GT(inside, 0);
}
