// Settings, texts and page sizes at and beyond their limits: the plan must
// still hold every row and every column, and nothing it computes may be too
// large for a painter that draws at 16 units to the tenth of a millimetre.
// A random-input loop over the settings loader, the plan and the painter
// runs briefly here (and under the sanitizers); for a longer run by hand:
//   SORVANT_FUZZ_ITERATIONS=200000 SORVANT_FUZZ_SEED=7 tests/run-isolated.sh
//       build/tests/printing/gridprint_tests --gtest_filter='GridPagePlanLimits.*'
// (one command line)

#include "fakeprinttable.h"

#include "output/printing/gridpagepainter.h"
#include "output/printing/printsettingsfile.h"

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <random>
#include <string>

using namespace sorvant;
using sorvant::test::FakeMeasurer;
using sorvant::test::FakeTable;

namespace {

// Painted coordinates are these times 16 in an int.
constexpr long long kPaintable = (1LL << 31) / 16 / 4;
// What the loader bounds lengths and font sizes to.
constexpr int kLongest = 10000, kSmallestFont = 1, kLargestFont = 1638;

// Every row once in every band, every column in exactly one band, in order;
// every page has a row of its own; every planned number paintable.
void checkPlan(const GridPagePlan &plan, int rows, int columns, const std::string &what)
{
    SCOPED_TRACE(what);
    ASSERT_GE(plan.bandCount(), 1);
    ASSERT_GE(plan.pagesPerBand(), 1);
    int nextColumn = 0;
    for (int b = 0; b < plan.bandCount(); ++b) {
        ASSERT_EQ(plan.bandFirstColumn(b), nextColumn);
        ASSERT_GE(plan.bandLastColumn(b), plan.bandFirstColumn(b) - (columns == 0 ? 1 : 0));
        nextColumn = plan.bandLastColumn(b) + 1;
    }
    ASSERT_EQ(nextColumn, columns);
    const auto paintable = [](long long v) { return v > -kPaintable && v < kPaintable; };
    for (int b = 0; b < plan.bandCount(); ++b) {
        int nextRow = 0;
        for (int p = 0; p < plan.pagesPerBand(); ++p) {
            const GridPage page = plan.page(b * plan.pagesPerBand() + p);
            ASSERT_EQ(page.firstRow, nextRow);
            if (rows > 0) {
                ASSERT_GE(page.lastRow, page.firstRow) << "a page without a row";
            }
            nextRow = page.lastRow + 1;
            for (const GridPageColumn &c : page.columns)
                ASSERT_TRUE(paintable(c.x) && paintable(c.x + 1LL * c.width) && c.width >= 0) << c.x << " " << c.width;
            for (const GridPageRow &r : page.rows)
                ASSERT_TRUE(paintable(r.y) && paintable(r.y + 1LL * r.height) && r.height >= 0) << r.y << " " << r.height;
            for (const GridPageLine &l : page.lines)
                ASSERT_TRUE(paintable(l.x1) && paintable(l.x2) && paintable(l.y1) && paintable(l.y2));
            ASSERT_TRUE(paintable(page.left) && paintable(page.right) && paintable(page.top) && paintable(page.bottom));
        }
        ASSERT_EQ(nextRow, rows) << "band " << b;
    }
    for (int i : {0, plan.pageCount() - 1}) {
        for (const PrintSlotLine &line : plan.pageTexts(i, QDateTime(QDate(2011, 3, 5), QTime(14, 7))).lines)
            ASSERT_TRUE(paintable(line.x) && paintable(line.x + 1LL * line.width) && paintable(line.y)) << line.x << " " << line.y;
    }
}

// A 601-row, nine-column table like a drying run's at step 25.
FakeTable dryingRun()
{
    FakeTable t(9, 601);
    for (int c = 0; c < 9; ++c)
        t.set(c, 0, "Header " + std::to_string(c));
    for (int r = 1; r < 601; ++r)
        for (int c = 0; c < 9; ++c)
            t.set(c, r, c == 0 ? std::to_string(r * 25) : "12.5");
    return t;
}

void paintPages(const GridPagePlan &plan)
{
    QImage image(120, 170, QImage::Format_RGB32);
    QPainter painter(&image);
    GridPagePainter pages(plan);
    for (int i : {0, plan.pageCount() - 1})
        pages.drawPage(painter, i, QDateTime(QDate(2011, 3, 5), QTime(14, 7)), 10, 10);
}

} // namespace

TEST(GridPagePlanLimits, ExtremeValuesStillPrintEveryRowAndColumn)
{
    const FakeTable table = dryingRun();
    FakeMeasurer m;
    struct Case {
        const char *what;
        void (*change)(PrintSettings &);
    };
    const Case cases[] = {
        {"TitleSpacing largest int", [](PrintSettings &s) { s.TitleSpacing = INT_MAX; }},
        {"ColumnSpacing largest int", [](PrintSettings &s) { s.ColumnSpacing = INT_MAX; }},
        {"RowSpacing largest int", [](PrintSettings &s) { s.RowSpacing = INT_MAX; }},
        {"every margin largest int", [](PrintSettings &s) {
             s.HeaderSize = s.FooterSize = s.LeftSize = s.RightSize = INT_MAX;
             s.Centered = false;
         }},
        {"every margin smallest int", [](PrintSettings &s) {
             s.HeaderSize = s.FooterSize = s.LeftSize = s.RightSize = INT_MIN;
             s.ColumnSpacing = s.RowSpacing = s.TitleSpacing = INT_MIN;
         }},
        {"footer font of a billion points", [](PrintSettings &s) {
             s.FooterFont.Size = 1000000000;
             s.PageNr = ppBottomCenter;
         }},
        {"table fonts of a billion points", [](PrintSettings &s) {
             s.UseDisplayFont = false;
             s.Font.Size = s.FixedFont.Size = 1000000000;
         }},
        {"fonts of -100 points", [](PrintSettings &s) {
             s.UseDisplayFont = false;
             s.Font.Size = s.FixedFont.Size = s.HeaderFont.Size = -100;
             s.Title = ppTopLeft;
         }},
        {"fixed sizes largest int", [](PrintSettings &s) {
             s.UseFixedWidth = s.UseFixedHeight = true;
             s.FixedWidth = s.FixedHeight = INT_MAX;
         }},
        {"fit always onto a tiny column", [](PrintSettings &s) {
             s.UseFixedWidth = true;
             s.FixedWidth = 1;
             s.FitToPage = fpAlways;
         }},
        {"page offsets at the ends of int", [](PrintSettings &s) {
             s.PageNr = ppTopRight;
             s.PageNumberOffset = INT_MAX;
             s.MaxPagesOffset = INT_MAX;
         }},
        {"a bottom title of many lines", [](PrintSettings &s) {
             s.Title = ppBottomLeft;
             s.FooterFont.Size = 1638;
             for (int i = 0; i < 5000; ++i)
                 s.TitleLines.append(QStringLiteral("line"));
         }},
    };
    for (const Case &c : cases) {
        PrintSettings s;
        c.change(s);
        const GridPagePlan plan(table, s, 1990, 2870, m);
        checkPlan(plan, 601, 9, c.what);
        paintPages(plan);
    }
    // Page sizes from a device that reports nonsense.
    for (const auto &[w, h] : {std::pair{INT_MAX, INT_MAX}, std::pair{0, 0}, std::pair{-5, INT_MIN}, std::pair{1, 1}}) {
        const GridPagePlan plan(table, PrintSettings(), w, h, m);
        checkPlan(plan, 601, 9, "page " + std::to_string(w) + " x " + std::to_string(h));
    }
}

TEST(GridPagePlanLimits, RandomSettingsFilesAndTables)
{
    const char *iterationsVar = std::getenv("SORVANT_FUZZ_ITERATIONS");
    const char *seedVar = std::getenv("SORVANT_FUZZ_SEED");
    const int iterations = iterationsVar ? std::atoi(iterationsVar) : 300;
    const unsigned long long seed = seedVar ? std::strtoull(seedVar, nullptr, 10) : 20261210;
    std::mt19937_64 random(seed);
    const auto pick = [&random](long long low, long long high) {
        return std::uniform_int_distribution<long long>(low, high)(random);
    };
    // Mostly plausible numbers, often the edges of 32 bits.
    const auto number = [&]() -> long long {
        switch (pick(0, 5)) {
        case 0: return pick(-50, 400);
        case 1: return pick(INT_MIN, INT_MAX);
        case 2: return pick(0, 1) ? INT_MAX : INT_MIN;
        case 3: return pick(9000, 11000);
        case 4: return pick(-3, 3);
        default: return pick(0, 2000);
        }
    };
    static const char *const keys[] = {
        "ColumnSpacing", "RowSpacing", "TitleSpacing", "FixedHeight", "FixedWidth", "Centered", "NoAutoSize",
        "UseFixedHeight", "UseFixedWidth", "RepeatFixedRows", "RepeatFixedCols", "UseDisplFont",
        "UseDefOrientation", "Borders", "BorderStyle", "Date", "PageNr", "Title", "Time", "DateFormat",
        "TitleText", "FooterSize", "HeaderSize", "LeftSize", "RightSize", "FitToPage", "FontName", "FontSize",
        "FontStyle", "FontColor", "HeaderFontName", "HeaderFontSize", "HeaderFontStyle", "HeaderFontColor",
        "FooterFontName", "FooterFontSize", "FooterFontStyle", "FooterFontColor", "PageNumSep", "PageSuffix",
        "PagePrefix", "Orientation", "TitleLines"};
    static const char *const lineEnds[] = {"\n", "\r\n", "\r"};
    static const char *const words[] = {"Y", "N", "abc", "0x", "0x1E", "-", "1.5", "<B>Bold</B>", "dd/mm/yyyy", ""};
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("fuzz.ini"));
    FakeMeasurer m;

    for (int i = 0; i < iterations; ++i) {
        // A settings file of random keys and values.
        const char *eol = lineEnds[pick(0, 2)];
        QByteArray file = QByteArray("[PRINTSETTINGS]") + eol;
        const int lines = static_cast<int>(pick(0, 60));
        for (int l = 0; l < lines; ++l) {
            QByteArray value;
            switch (pick(0, 4)) {
            case 0: value = QByteArray(words[pick(0, 9)]); break;
            case 1: value = "0x" + QByteArray::number(static_cast<qulonglong>(pick(0, UINT_MAX)), 16); break;
            case 2: value = QByteArray("T\\n").repeated(static_cast<int>(pick(0, 300))); break;
            default: value = QByteArray::number(number()); break;
            }
            file += QByteArray(keys[pick(0, 42)]) + '=' + value + lineEnds[pick(0, 2)];
        }
        {
            QFile f(path);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write(file);
        }
        PrintSettings s;
        LoadPrintSettings(s, path, printSettingsSection());
        for (int length : {s.FooterSize, s.HeaderSize, s.LeftSize, s.RightSize, s.ColumnSpacing, s.RowSpacing,
                           s.TitleSpacing, s.FixedWidth, s.FixedHeight})
            ASSERT_TRUE(length >= 0 && length <= kLongest) << length;
        for (const TPrintFont *f : {&s.Font, &s.HeaderFont, &s.FooterFont})
            ASSERT_TRUE(f->Size >= kSmallestFont && f->Size <= kLargestFont) << f->Size;

        // Fields the file does not hold, set as code could.
        s.PageNumberOffset = static_cast<int>(number());
        s.MaxPagesOffset = static_cast<int>(number());
        s.NoAutoSizeRow = pick(0, 3) == 0;
        s.FixedFont.Size = static_cast<int>(number());

        // A random table.
        const int rows = static_cast<int>(pick(1, 80)), columns = static_cast<int>(pick(1, 9));
        FakeTable t(columns, rows);
        t.fixedColumn = pick(0, 1) == 1;
        t.dataFont.Size = static_cast<int>(pick(-5, 40));
        for (int r = 0; r < rows; ++r) {
            for (int c = 0; c < columns; ++c) {
                switch (pick(0, 6)) {
                case 0: break;
                case 1: t.set(c, r, std::string(static_cast<std::size_t>(pick(0, 3000)), 'w')); break;
                case 2: t.set(c, r, "two\nlines\n\n"); break;
                default: t.set(c, r, std::to_string(pick(0, 99999))); break;
                }
            }
        }
        const int width = static_cast<int>(pick(0, 3) == 0 ? number() : pick(500, 4000));
        const int height = static_cast<int>(pick(0, 3) == 0 ? number() : pick(500, 4000));
        const GridPagePlan plan(t, s, width, height, m);
        checkPlan(plan, rows, columns, "iteration " + std::to_string(i) + " of seed " + std::to_string(seed));
        if (::testing::Test::HasFatalFailure())
            return;
        if (i % 10 == 0)
            paintPages(plan);
    }
}
