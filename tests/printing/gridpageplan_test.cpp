// The page plan's numbers, worked out by hand with a measurer whose widths
// and heights are simple (see FakeMeasurer).

#include "fakeprinttable.h"

#include "controls/grid/gridstore.h"
#include "logdata/columns.h"
#include "output/printing/gridprinttable.h"
#include "views/spreadsheetconfig.h"

#include <gtest/gtest.h>


using namespace sorvant;
using sorvant::test::FakeMeasurer;
using sorvant::test::FakeTable;

namespace {

// A table of `columns` × `rows` one-line cells "x".
FakeTable filledTable(int columns, int rows)
{
    FakeTable t(columns, rows);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c)
            t.set(c, r, "x");
    return t;
}

std::vector<int> pageStarts(const GridPagePlan &plan)
{
    std::vector<int> starts;
    for (int i = 0; i < plan.pagesPerBand(); ++i)
        starts.push_back(plan.page(i).firstRow);
    return starts;
}

} // namespace

TEST(GridPagePlan, MeasuresWidthsAndHeightsOfTheCells)
{
    FakeTable t(3, 4);
    t.set(0, 0, "Record #"); // bold 8 × 17
    t.set(1, 0, "Temp");
    t.set(0, 1, "1");
    t.set(1, 1, "123.4");    // 5 × 14
    t.set(2, 2, "abc\ndefgh"); // widest line 5 × 14, two lines
    FakeMeasurer m;
    const PrintSettings s;
    const GridPagePlan plan(t, s, 2000, 2800, m);

    EXPECT_EQ(plan.t(), 35);
    EXPECT_EQ(plan.g(), 4);
    EXPECT_EQ(plan.hH(), 35);
    EXPECT_EQ(plan.sp(), 20);
    EXPECT_EQ(plan.topBand(), 0);
    EXPECT_EQ(plan.bottomReserve(), 39); // hF + g
    EXPECT_EQ(plan.columnWidth(0), 136);
    EXPECT_EQ(plan.columnWidth(1), 70);
    EXPECT_EQ(plan.columnWidth(2), 70); // the empty header measures as bold "gh" = 34
    EXPECT_EQ(plan.rowTextHeight(0), 35);
    EXPECT_EQ(plan.rowTextHeight(2), 70);
    EXPECT_EQ(plan.rowHeight(1), 35 + 4 + 8);
    EXPECT_EQ(plan.rowHeight(2), 70 + 8 + 8);

    // Centred: the block of 336 in the middle of 2000.
    const GridPage p = plan.page(0);
    ASSERT_EQ(p.columns.size(), 3u);
    EXPECT_EQ(p.columns[0].x, 832);
    EXPECT_EQ(p.columns[1].x, 832 + 156);
    EXPECT_EQ(p.columns[2].x, 832 + 156 + 90);
    EXPECT_EQ(p.right, 832 + 336);
    EXPECT_EQ(p.rows[2].y, 47 + 47);
}

TEST(GridPagePlan, WithoutDisplayFontsCellsTakeTheTableAndFixedFonts)
{
    FakeTable t(2, 2);
    t.set(0, 0, "ab");
    t.set(1, 0, "abc");
    t.set(0, 1, "abcd");
    t.set(1, 1, "a");
    FakeMeasurer m;
    PrintSettings s;
    s.UseDisplayFont = false;
    s.Font.Size = 12;      // 42 high: 21 a character, a line 52
    s.FixedFont.Size = 10; // 35 high, bold: 21 a character, a line 43
    s.FixedFont.Bold = true;
    const GridPagePlan plan(t, s, 2000, 2800, m);
    EXPECT_EQ(plan.g(), 52 / 8);
    EXPECT_EQ(plan.columnWidth(0), 4 * 21); // the fixed column in FixedFont
    EXPECT_EQ(plan.columnWidth(1), 3 * 21); // the header in FixedFont, wider than "a" in Font
    EXPECT_EQ(plan.rowTextHeight(0), 43);   // the header row: fixed cells only
    EXPECT_EQ(plan.rowTextHeight(1), 52);   // a data row: the taller of the two fonts
    EXPECT_TRUE(plan.cellFont(true).Bold);
    EXPECT_EQ(plan.cellFont(false).Size, 12);
}

TEST(GridPagePlan, UncentredStartsAtTheLeftMarginAndSpacingsAdd)
{
    FakeTable t = filledTable(2, 3);
    FakeMeasurer m;
    PrintSettings s;
    s.Centered = false;
    s.LeftSize = 150;
    s.ColumnSpacing = 10;
    s.RowSpacing = 5;
    s.TitleSpacing = 40;
    s.HeaderSize = 25;
    const GridPagePlan plan(t, s, 2000, 2800, m);
    const GridPage p = plan.page(0);
    EXPECT_EQ(p.columns[0].x, 150);
    EXPECT_EQ(p.columns[0].width, 17 + 30); // bold "x" + 2 mm + 1 mm
    EXPECT_EQ(p.columns[1].x, 150 + 47);
    EXPECT_EQ(p.rows[0].y, 25 + 40);
    EXPECT_EQ(p.rows[0].height, 35 + 4 + 8 + 5);
}

struct PagingCase {
    const char *name;
    bool repeatRows;
    int headerSize, footerSize;
    std::vector<int> starts;
};

class GridPagePlanPaging : public ::testing::TestWithParam<PagingCase>
{
};

TEST_P(GridPagePlanPaging, BreaksPagesOnTheNextRowsTextHeight)
{
    const PagingCase &c = GetParam();
    FakeTable t = filledTable(2, 25);
    FakeMeasurer m;
    PrintSettings s;
    s.RepeatFixedRows = c.repeatRows;
    s.HeaderSize = c.headerSize;
    s.FooterSize = c.footerSize;
    const GridPagePlan plan(t, s, 2000, 500, m);
    EXPECT_EQ(pageStarts(plan), c.starts);
    EXPECT_EQ(plan.pageCount(), static_cast<int>(c.starts.size()));

    // Every row once, in order; the header row first on page 1 and, when
    // repeated, first on every later page.
    int next = 0;
    for (int i = 0; i < plan.pageCount(); ++i) {
        const GridPage p = plan.page(i);
        ASSERT_FALSE(p.rows.empty());
        EXPECT_EQ(p.headerRepeated, c.repeatRows && i > 0);
        EXPECT_EQ(p.rows.front().row, i == 0 || !c.repeatRows ? next : 0);
        for (const GridPageRow &r : p.rows) {
            if (!r.repeatedHeader) {
                EXPECT_EQ(r.row, next++);
            }
        }
    }
    EXPECT_EQ(next, 25);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, GridPagePlanPaging,
    ::testing::Values(
        // 47 a row, the limit H − V = 461: the tenth row ends at 470, past
        // the limit, as only the next row's text (35) is tested.
        PagingCase{"HeaderOnlyOnPageOne", false, 0, 0, {0, 10, 20}},
        PagingCase{"HeaderOnEveryPage", true, 0, 0, {0, 10, 19}},
        PagingCase{"MarginsBeyondThePageGiveOneRowAPage", false, 300, 300,
                   [] { std::vector<int> v; for (int i = 0; i < 25; ++i) v.push_back(i); return v; }()}),
    [](const auto &param) { return std::string(param.param.name); });

TEST(GridPagePlan, LastRowOfAPageMayReachIntoTheBottomReserve)
{
    FakeTable t = filledTable(2, 25);
    FakeMeasurer m;
    const GridPagePlan plan(t, PrintSettings(), 2000, 500, m);
    const GridPage p = plan.page(0);
    const GridPageRow &last = p.rows.back();
    EXPECT_GT(last.y + last.height, 500 - plan.bottomReserve());
    EXPECT_LE(last.y + last.textHeight, 500 - plan.bottomReserve());
}

TEST(GridPagePlan, BandsWithAndWithoutTheRepeatedFixedColumn)
{
    FakeTable t = filledTable(5, 25);
    FakeMeasurer m;
    PrintSettings s;
    s.UseFixedWidth = true; // no 2 mm spacing
    s.FixedWidth = 300;
    s.PageNr = ppBottomCenter;
    for (const bool repeat : {false, true}) {
        SCOPED_TRACE(repeat);
        s.RepeatFixedCols = repeat;
        const GridPagePlan plan(t, s, 1000, 500, m);
        ASSERT_EQ(plan.bandCount(), 2);
        EXPECT_TRUE(plan.banded());
        EXPECT_EQ(plan.bandLastColumn(0), 2);
        EXPECT_EQ(plan.bandFirstColumn(1), 3);
        EXPECT_EQ(plan.bandLastColumn(1), 4);
        EXPECT_EQ(plan.pagesPerBand(), 3); // V = 2 hF + 2 g: nine rows a page
        EXPECT_EQ(plan.pageCount(), 6);

        const GridPage p = plan.page(3);
        EXPECT_EQ(p.band, 1);
        EXPECT_EQ(p.firstRow, 0);
        std::vector<int> cols;
        for (const GridPageColumn &c : p.columns)
            cols.push_back(c.column);
        EXPECT_EQ(cols, repeat ? std::vector<int>({0, 3, 4}) : std::vector<int>({3, 4}));
        EXPECT_EQ(p.columns.front().repeated, repeat);
        EXPECT_EQ(p.left, repeat ? 50 : 200);

        const QDateTime now(QDate(2011, 3, 5), QTime(14, 7));
        EXPECT_EQ(plan.pageTexts(0, now).slotTexts[SlotBottomCenter], QStringLiteral("  1-1 "));
        EXPECT_EQ(plan.pageTexts(1, now).slotTexts[SlotBottomCenter], QStringLiteral("  2-1 "));
        EXPECT_EQ(plan.pageTexts(3, now).slotTexts[SlotBottomCenter], QStringLiteral("  1-2 "));
    }
}

TEST(GridPagePlan, ABandHoldsItsFirstColumnEvenWhenTooWide)
{
    FakeTable t = filledTable(3, 2);
    FakeMeasurer m;
    PrintSettings s;
    s.UseFixedWidth = true;
    s.FixedWidth = 1500;
    const GridPagePlan plan(t, s, 1000, 500, m);
    EXPECT_EQ(plan.bandCount(), 3);
    EXPECT_EQ(plan.page(0).left, 0); // wider than the page: not shifted
}

TEST(GridPagePlan, UncentredBandsKeepInsideTheRightMargin)
{
    FakeTable t = filledTable(4, 2);
    FakeMeasurer m;
    PrintSettings s;
    s.UseFixedWidth = true;
    s.FixedWidth = 300;
    s.Centered = false;
    s.LeftSize = 200;
    const GridPagePlan plan(t, s, 1000, 500, m);
    // 200 + 3 × 300 would run past the page's right edge.
    EXPECT_EQ(plan.bandLastColumn(0), 1);
    EXPECT_LE(plan.page(0).right, 1000);
}

struct FitCase {
    const char *name;
    TFitToPage fit;
    int pageWidth;
    int leftSize, rightSize;
    int expectedWidth; // w(c) of every column
    int expectedRowText;
};

class GridPagePlanFit : public ::testing::TestWithParam<FitCase>
{
};

TEST_P(GridPagePlanFit, ScalesColumnsAndFonts)
{
    const FitCase &c = GetParam();
    FakeTable t(3, 2);
    t.fixedColumn = false;
    for (int col = 0; col < 3; ++col) {
        t.set(col, 0, "a");
        t.set(col, 1, "xxxxxxxxxx"); // 140
    }
    FakeMeasurer m;
    PrintSettings s;
    s.FitToPage = c.fit;
    s.LeftSize = c.leftSize;
    s.RightSize = c.rightSize;
    const GridPagePlan plan(t, s, c.pageWidth, 2800, m);
    for (int col = 0; col < 3; ++col)
        EXPECT_EQ(plan.columnWidth(col), c.expectedWidth);
    EXPECT_EQ(plan.rowTextHeight(1), c.expectedRowText);
    EXPECT_EQ(plan.sp(), 20) << "spacings are not scaled";
    if (c.expectedWidth != 140) { // scaled to fill the width between the margins, within a tenth a column
        const GridPage p = plan.page(0);
        const int room = c.pageWidth - c.leftSize - c.rightSize;
        EXPECT_LE(p.right - p.left, room);
        EXPECT_GE(p.right - p.left, room - 3);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, GridPagePlanFit,
    ::testing::Values(
        // k = (2000 − 60) / (480 − 60) = 4.619; 8 pt becomes 130 high, a line 162.
        FitCase{"NeverLeavesAsIs", fpNever, 2000, 0, 0, 140, 35},
        FitCase{"ShrinkOnANarrowSheetLeavesAsIs", fpShrink, 2000, 0, 0, 140, 35},
        FitCase{"AlwaysFillsTheWidth", fpAlways, 2000, 0, 0, 646, 162},
        FitCase{"GrowFillsTheWidth", fpGrow, 2000, 0, 0, 646, 162},
        FitCase{"CustomActsAsAlways", fpCustom, 2000, 0, 0, 646, 162},
        // k = (2000 − 300 − 60) / 420 = 3.905; 8 pt becomes 110 high, a line 137.
        FitCase{"AlwaysFillsBetweenTheMargins", fpAlways, 2000, 100, 200, 546, 137},
        // k = (624 − 60) / 420 = 94 / 70: 140 × k is 188 exactly, though the
        // product of the rounded quotient falls a hair short of it.
        FitCase{"AlwaysFillsExactly", fpAlways, 624, 0, 0, 188, 46},
        // k = (300 − 60) / 420 = 0.571; 8 pt becomes 16 high, a line 20.
        FitCase{"ShrinkToANarrowPage", fpShrink, 300, 0, 0, 80, 20},
        FitCase{"GrowOnANarrowPageLeavesAsIs", fpGrow, 300, 0, 0, 140, 35}),
    [](const auto &param) { return std::string(param.param.name); });

struct BorderCase {
    const char *name;
    TPrintBorders borders;
    int vertical, horizontal;
    bool frame;      // a frame around the rows
    bool bottomRule; // a line at yB
};

class GridPagePlanBorders : public ::testing::TestWithParam<BorderCase>
{
};

TEST_P(GridPagePlanBorders, DrawsTheLinesOfItsKind)
{
    const BorderCase &c = GetParam();
    FakeTable t = filledTable(3, 3);
    FakeMeasurer m;
    PrintSettings s;
    s.Borders = c.borders;
    const GridPagePlan plan(t, s, 2000, 2800, m);
    const GridPage p = plan.page(0);
    int vertical = 0, horizontal = 0;
    bool frameLeft = false, bottomRule = false;
    for (const GridPageLine &l : p.lines) {
        if (l.x1 == l.x2)
            ++vertical;
        else
            ++horizontal;
        if (l == GridPageLine{p.left, p.top, p.left, p.bottom})
            frameLeft = true;
        if (l.y1 == p.bottom && l.y2 == p.bottom && l.x1 == p.left && l.x2 == p.right)
            bottomRule = true;
    }
    EXPECT_EQ(vertical, c.vertical);
    EXPECT_EQ(horizontal, c.horizontal);
    EXPECT_EQ(frameLeft, c.frame);
    EXPECT_EQ(bottomRule, c.bottomRule);
    EXPECT_EQ(p.bottom, 3 * 47 - 2);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, GridPagePlanBorders,
    ::testing::Values(BorderCase{"Single", pbSingle, 4, 4, false, false},
                      BorderCase{"Double", pbDouble, 4, 5, false, true},
                      BorderCase{"Vertical", pbVertical, 4, 0, false, false},
                      BorderCase{"Horizontal", pbHorizontal, 0, 5, false, true},
                      BorderCase{"Around", pbAround, 2, 2, true, true},
                      BorderCase{"AroundVertical", pbAroundVertical, 6, 2, true, true},
                      BorderCase{"AroundHorizontal", pbAroundHorizontal, 2, 5, true, true},
                      BorderCase{"Noborder", pbNoborder, 0, 0, false, false},
                      BorderCase{"Custom", pbCustom, 0, 0, false, false}),
    [](const auto &param) { return std::string(param.param.name); });

TEST(GridPagePlan, SingleBordersFollowTheCellEdges)
{
    FakeTable t = filledTable(2, 2);
    FakeMeasurer m;
    const GridPagePlan plan(t, PrintSettings(), 2000, 2800, m);
    const GridPage p = plan.page(0);
    std::vector<GridPageLine> expected = {
        {p.columns[0].x, 0, p.columns[0].x, 94},
        {p.columns[1].x, 0, p.columns[1].x, 94},
        {p.right, 0, p.right, 94},
        {p.left, 0, p.right, 0},
        {p.left, 47, p.right, 47},
        {p.left, 94, p.right, 94},
    };
    EXPECT_EQ(p.lines, expected);
}

TEST(GridPagePlan, NoBottomSideBelowTheBottomMargin)
{
    FakeTable t = filledTable(2, 10);
    FakeMeasurer m;
    PrintSettings s;
    s.FooterSize = 100;
    s.RowSpacing = 60; // rows 107 high; the fourth ends at 428, past 500 − 100
    const GridPagePlan plan(t, s, 2000, 500, m);
    const GridPage p = plan.page(0);
    ASSERT_EQ(p.rows.size(), 4u);
    bool at321 = false, at428 = false;
    for (const GridPageLine &l : p.lines) {
        if (l.y1 == l.y2) {
            at321 = at321 || l.y1 == 321;
            at428 = at428 || l.y1 == 428;
        }
    }
    EXPECT_TRUE(at321);
    EXPECT_FALSE(at428);
}

TEST(GridPagePlan, RepeatedColumnGetsItsOwnLeftLine)
{
    FakeTable t = filledTable(5, 3);
    FakeMeasurer m;
    PrintSettings s;
    s.UseFixedWidth = true;
    s.FixedWidth = 300;
    s.RepeatFixedCols = true;
    s.Borders = pbDouble;
    const GridPagePlan plan(t, s, 1000, 2800, m);
    const GridPage p = plan.page(1);
    ASSERT_TRUE(p.columns.front().repeated);
    const GridPageLine left{p.left, p.top, p.left, p.bottom};
    EXPECT_NE(std::find(p.lines.begin(), p.lines.end(), left), p.lines.end());
}

struct TextsCase {
    const char *name;
    PrintSettings settings;
    int rows;       // one row a page
    int page;       // from 0
    int slot;
    QString expected;
};

PrintSettings with(const std::function<void(PrintSettings &)> &change)
{
    PrintSettings s;
    s.FooterSize = 1000; // one row a page
    change(s);
    return s;
}

class GridPagePlanTexts : public ::testing::TestWithParam<TextsCase>
{
};

TEST_P(GridPagePlanTexts, ComposesTheSlots)
{
    const TextsCase &c = GetParam();
    FakeTable t = filledTable(2, c.rows);
    FakeMeasurer m;
    const GridPagePlan plan(t, c.settings, 2000, 500, m);
    ASSERT_EQ(plan.pageCount(), c.rows);
    const PrintPageTexts texts = plan.pageTexts(c.page, QDateTime(QDate(2011, 3, 5), QTime(14, 7, 9)));
    EXPECT_EQ(texts.slotTexts[static_cast<std::size_t>(c.slot)], c.expected);
    for (int s = 0; s < SlotCount; ++s) {
        if (s != c.slot) {
            EXPECT_EQ(texts.slotTexts[static_cast<std::size_t>(s)], QString()) << s;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, GridPagePlanTexts,
    ::testing::Values(
        TextsCase{"OnePageShowsOneAlone", with([](auto &s) { s.PageNr = ppBottomCenter; }), 1, 0, SlotBottomCenter,
                  QStringLiteral("  1 ")},
        TextsCase{"PageOfTotal", with([](auto &s) { s.PageNr = ppBottomCenter; }), 12, 2, SlotBottomCenter,
                  QStringLiteral("  3/12 ")},
        TextsCase{"Offsets", with([](auto &s) { s.PageNr = ppTopRight; s.PageNumberOffset = 10; s.MaxPagesOffset = 20; }),
                  12, 2, SlotTopRight, QStringLiteral("  13/32 ")},
        TextsCase{"NoSeparatorNoTotal", with([](auto &s) { s.PageNr = ppTopLeft; s.PageNumSep.clear(); }), 12, 2,
                  SlotTopLeft, QStringLiteral(" 3  ")},
        TextsCase{"PrefixAndSuffix",
                  with([](auto &s) { s.PageNr = ppBottomLeft; s.PagePrefix = QStringLiteral("Page"); s.PageSuffix = QStringLiteral("."); }),
                  12, 2, SlotBottomLeft, QStringLiteral("Page 3/12 . ")},
        TextsCase{"TimeAndDateLeft", with([](auto &s) { s.Time = ppTopLeft; s.Date = ppTopLeft; }), 1, 0, SlotTopLeft,
                  QStringLiteral("05/03/2011 14:07 ")},
        TextsCase{"TimeAndDateRight", with([](auto &s) { s.Time = ppTopRight; s.Date = ppTopRight; }), 1, 0,
                  SlotTopRight, QStringLiteral(" 14:07 05/03/2011")},
        TextsCase{"AllInTheCentre",
                  with([](auto &s) {
                      s.Time = s.Date = s.PageNr = s.Title = ppBottomCenter;
                      s.TitleText = QStringLiteral("Dryer");
                  }),
                  2, 1, SlotBottomCenter, QStringLiteral(" 14:07 05/03/2011  2/2  Dryer")},
        TextsCase{"TitleTextBeforeLines",
                  with([](auto &s) {
                      s.Title = ppTopCenter;
                      s.TitleText = QStringLiteral("One");
                      s.TitleLines = QStringList{QStringLiteral("Two")};
                  }),
                  1, 0, SlotTopCenter, QStringLiteral(" One")},
        TextsCase{"MarkupTitleWithoutTags",
                  with([](auto &s) { s.Title = ppTopLeft; s.TitleText = QStringLiteral("<b>Bin</b> &amp; <i>dryer</i>"); }),
                  1, 0, SlotTopLeft, QStringLiteral("Bin & dryer ")}),
    [](const auto &param) { return std::string(param.param.name); });

TEST(GridPagePlan, TitleWithoutTextStillReservesItsBand)
{
    FakeTable t = filledTable(2, 3);
    FakeMeasurer m;
    PrintSettings s;
    s.Title = ppTopLeft;
    const GridPagePlan top(t, s, 2000, 2800, m);
    EXPECT_EQ(top.topBand(), 35 + 4);
    EXPECT_EQ(top.page(0).rows.front().y, 39);
    EXPECT_TRUE(top.pageTexts(0, QDateTime::currentDateTime()).lines.empty());
    s.Title = ppBottomRight;
    const GridPagePlan bottom(t, s, 2000, 2800, m);
    EXPECT_EQ(bottom.topBand(), 0);
    EXPECT_EQ(bottom.bottomReserve(), 2 * 35 + 2 * 4);
}

TEST(GridPagePlan, PlacesSlotsAndFurtherTitleLines)
{
    FakeTable t = filledTable(2, 3);
    FakeMeasurer m;
    PrintSettings s;
    s.Title = ppBottomRight;
    s.TitleLines = QStringList{QStringLiteral("abc"), QStringLiteral("de"), QStringLiteral("f")};
    s.FooterSize = 50;
    s.RightSize = 30;
    s.Date = ppTopCenter;
    s.Time = ppTopLeft;
    s.LeftSize = 12;
    s.HeaderSize = 20;
    const GridPagePlan plan(t, s, 2000, 2800, m);
    EXPECT_EQ(plan.topBand(), 20 + 35 + 4);
    EXPECT_EQ(plan.bottomReserve(), 50 + 2 * 35 + 2 * 4 + 2 * 35);
    const PrintPageTexts texts = plan.pageTexts(0, QDateTime(QDate(2011, 3, 5), QTime(9, 1)));
    ASSERT_EQ(texts.lines.size(), 5u);
    const auto &time = texts.lines[0];
    EXPECT_EQ(time.text(), QStringLiteral("09:01 "));
    EXPECT_EQ(time.x, 12);
    EXPECT_EQ(time.y, 20);
    const auto &date = texts.lines[1];
    EXPECT_EQ(date.width, 11 * 14);
    EXPECT_EQ(date.x, (2000 - 11 * 14) / 2);
    // A bottom title of three lines fills the reserve made for it, its last
    // line on the footer line: below that line it would leave the page.
    const auto &title = texts.lines[2];
    EXPECT_EQ(title.text(), QStringLiteral(" abc"));
    EXPECT_EQ(title.x, 2000 - 4 * 14 - 30 - 20);
    EXPECT_EQ(title.y, 2800 - 50 - 4 - 35 - 2 * 35);
    EXPECT_EQ(texts.lines[3].text(), QStringLiteral("de"));
    EXPECT_EQ(texts.lines[3].x, 2000 - 2 * 14 - 30 - 20);
    EXPECT_EQ(texts.lines[3].y, title.y + 35);
    EXPECT_EQ(texts.lines[4].y, 2800 - 50 - 4 - 35);
    for (const PrintSlotLine &line : texts.lines) {
        if (line.slot >= SlotBottomLeft) {
            EXPECT_GE(line.y, 2800 - plan.bottomReserve()) << line.text().toStdString();
            EXPECT_LE(line.y + 35, 2800 - 50) << line.text().toStdString();
        }
    }

    // A top title grows downwards into the top band.
    s.Title = ppTopRight;
    const GridPagePlan top(t, s, 2000, 2800, m);
    EXPECT_EQ(top.topBand(), 20 + 35 + 4 + 2 * 35);
    const PrintPageTexts topTexts = top.pageTexts(0, QDateTime(QDate(2011, 3, 5), QTime(9, 1)));
    ASSERT_EQ(topTexts.lines.size(), 5u);
    EXPECT_EQ(topTexts.lines[2].y, 20);
    EXPECT_EQ(topTexts.lines[4].y, 20 + 70);
    EXPECT_LE(topTexts.lines[4].y + 35, top.topBand());
}

TEST(PrintTexts, MarkupRuns)
{
    using Runs = std::vector<PrintTextRun>;
    EXPECT_EQ(printTextRuns(QStringLiteral("<B>Dryer</B> log")),
              (Runs{{QStringLiteral("Dryer"), 1}, {QStringLiteral(" log"), 0}}));
    EXPECT_EQ(printTextRuns(QStringLiteral("<b><i>x</i></b><u>y</u><font color=red>z</font>")),
              (Runs{{QStringLiteral("x"), 3}, {QStringLiteral("y"), 4}, {QStringLiteral("z"), 0}}));
    EXPECT_EQ(printTextRuns(QStringLiteral("a < b")), (Runs{{QStringLiteral("a < b"), 0}}));
    // Broken markup never loses the text.
    EXPECT_EQ(printTextRuns(QStringLiteral("<B>open <I")), (Runs{{QStringLiteral("open <I"), 1}}));
}

TEST(PrintTexts, DatePatterns)
{
    const QDateTime when(QDate(2011, 3, 5), QTime(14, 7, 9));
    EXPECT_EQ(printDateText(when, QStringLiteral("dd/mm/yyyy")), QStringLiteral("05/03/2011"));
    EXPECT_EQ(printDateText(when, QStringLiteral("d/m/yy hh:nn:ss")), QStringLiteral("5/3/11 14:07:09"));
    EXPECT_EQ(printDateText(when, QStringLiteral("yyyy-mm-dd hh:mm")), QStringLiteral("2011-03-05 14:07"));
    EXPECT_EQ(printDateText(when, QStringLiteral("'Day' dd")), QStringLiteral("Day 05"));
    const QString regional = printDateText(when, QString());
    EXPECT_TRUE(regional.startsWith(QLocale().toString(when.date(), QLocale::ShortFormat) + QLatin1Char(' ')));
    EXPECT_TRUE(regional.contains(QStringLiteral("14:07:09")));
    EXPECT_EQ(printTimeText(QTime(9, 5, 59)), QStringLiteral("09:05"));
}

TEST(PrintTexts, SeparatorsComeFromTheLocale)
{
    const QLocale before;
    const QDateTime when(QDate(2011, 3, 5), QTime(14, 7, 9));
    struct Case {
        QLocale locale;
        const char *time, *date;
    };
    for (const Case &c : {Case{QLocale(QLocale::German, QLocale::Germany), "14:07", "05.03.2011"},
                          Case{QLocale(QLocale::Finnish, QLocale::Finland), "14.07", "05.03.2011"},
                          Case{QLocale(QLocale::Swedish, QLocale::Sweden), "14:07", "05-03-2011"}}) {
        SCOPED_TRACE(c.locale.name().toStdString());
        QLocale::setDefault(c.locale);
        EXPECT_EQ(printTimeText(when.time()), QString::fromUtf8(c.time));
        EXPECT_EQ(printDateText(when, QStringLiteral("dd/mm/yyyy")), QString::fromUtf8(c.date));
        EXPECT_EQ(printDateText(when, QStringLiteral("hh:nn")), QString::fromUtf8(c.time));
    }
    QLocale::setDefault(before);
}

TEST(GridPagePlan, ScreenSizesWhenAutoSizeIsOff)
{
    FakeTable t = filledTable(2, 3);
    FakeMeasurer m;
    PrintSettings s;
    s.NoAutoSize = true;
    s.NoAutoSizeRow = true;
    const GridPagePlan plan(t, s, 2000, 2800, m);
    EXPECT_EQ(plan.columnWidth(0), 254); // (100 − 4) px at 96 dpi
    EXPECT_EQ(plan.columnWidth(1), 280); // 106 px
    EXPECT_EQ(plan.rowTextHeight(0), 69); // 26 px
    EXPECT_EQ(plan.rowTextHeight(1), 45); // 17 px
    s.NoAutoSizeRow = false;
    s.UseFixedHeight = true;
    s.FixedHeight = 50;
    const GridPagePlan fixed(t, s, 2000, 2800, m);
    EXPECT_EQ(fixed.rowTextHeight(2), 50);
}

TEST(GridPagePlan, StartingTableBeforeAnyLoadPrintsEmptyRowsPageAfterPage)
{
    DataGridStore store(kColumnCount);
    configureSpreadsheetStore(store);
    GridPrintLook look;
    look.dataFont = QFont(QStringLiteral("Tahoma"));
    look.dataFont.setPixelSize(11);
    look.fixedFont = look.dataFont;
    look.fixedFont.setBold(true);
    const DataGridPrintTable table(store, look);
    FakeMeasurer m;
    const GridPagePlan plan(table, PrintSettings(), 2000, 2870, m);
    EXPECT_EQ(table.displayFont(false).Size, 8); // 11 px at 96 dpi
    EXPECT_TRUE(table.displayFont(true).Bold);
    // 47 a row (empty cells are one line high), 60 to a page.
    EXPECT_EQ(plan.pagesPerBand(), (5000 + 59) / 60);
    EXPECT_EQ(plan.page(1).rows.front().row, 60);
    EXPECT_FALSE(plan.page(1).headerRepeated);
    EXPECT_LT(m.widthCalls, 20); // each distinct text measured once
}

TEST(GridPagePlan, HiddenColumnAbsentMovedColumnInItsNewPlace)
{
    DataGridStore store(kColumnCount);
    configureSpreadsheetStore(store);
    store.HideColumn(4);          // Moisture In
    store.moveColumn(6, 1);       // Time (index 7, now at position 6) after Record #
    const DataGridPrintTable table(store, GridPrintLook());
    ASSERT_EQ(table.columnCount(), 8);
    std::vector<std::string_view> texts(8);
    table.rowTexts(0, texts.data());
    EXPECT_EQ(texts[0], "Record #");
    EXPECT_EQ(texts[1], "Time");
    EXPECT_EQ(texts[2], "Wet Grain Temp");
    for (const auto &t : texts)
        EXPECT_NE(t, "Moisture In");
    EXPECT_EQ(table.screenColumnWidth(1), 66); // Time's own width moved with it
    EXPECT_EQ(table.alignment(1, 0), GridPrintTable::Align::Centre);
}
