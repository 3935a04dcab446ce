#include "controls/grid/gridstore.h"
#include "views/spreadsheetconfig.h"

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <thread>
#include <string>
#include <vector>

using sorvant::configureSpreadsheetStore;
using HAlign = DataGridStore::HAlign;

namespace {

// Sorvant's spreadsheet as it starts: nine columns, 5,000 rows, headers.
struct Sheet {
    DataGridStore grid{9};
    Sheet() { configureSpreadsheetStore(grid); }

    std::vector<int> displayed() const
    {
        std::vector<int> cols;
        for (int p = 0; p < grid.ColCount(); ++p)
            cols.push_back(grid.columnAt(p));
        return cols;
    }
    std::vector<int> widthsOnScreen() const
    {
        std::vector<int> w;
        for (int c : displayed())
            w.push_back(grid.columnWidth(c));
        return w;
    }
};

QString text(int column, int row) { return QStringLiteral("c%1r%2").arg(column).arg(row); }

} // namespace

TEST(GridStore, StartsAsSorvantsSpreadsheet)
{
    Sheet s;
    EXPECT_EQ(s.grid.RowCount(), 5000);
    EXPECT_EQ(s.grid.ColCount(), 9);
    EXPECT_EQ(s.displayed(), (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8}));
    EXPECT_EQ(s.widthsOnScreen(), (std::vector<int>{100, 73, 70, 71, 68, 66, 65, 66, 115}));
    EXPECT_EQ(s.grid.Cells(0, 0), QStringLiteral("Record #"));
    EXPECT_EQ(s.grid.Cells(7, 0), QStringLiteral("Time"));
    EXPECT_EQ(s.grid.Alignments(8, 0), HAlign::Centre);
    EXPECT_TRUE(s.grid.rowIsEmpty(1));
    EXPECT_TRUE(s.grid.rowIsEmpty(4999));
    // The 4,999 empty rows cost no cell storage: only the row table and the
    // header row's page.
    EXPECT_LE(s.grid.cellBytes(), 5000 * 8 + 4096u);
}

TEST(GridStore, ClearEmptiesEveryCellAndKeepsTheRest)
{
    Sheet s;
    s.grid.HideColumn(4);
    s.grid.setColumnWidth(2, 150);
    for (int r = 1; r < 40; ++r) {
        for (int c = 0; c < 9; ++c) {
            s.grid.setCells(c, r, text(c, r));
            s.grid.setAlignments(c, r, HAlign::Centre);
        }
    }
    s.grid.Clear();
    EXPECT_EQ(s.grid.RowCount(), 5000);
    EXPECT_TRUE(s.grid.isColumnHidden(4));
    EXPECT_EQ(s.grid.columnWidth(2), 150);
    EXPECT_EQ(s.grid.ColCount(), 8);
    for (int r = 0; r < 40; ++r) {
        for (int c = 0; c < 9; ++c) {
            ASSERT_TRUE(s.grid.Cells(c, r).isEmpty()) << c << "," << r;
            ASSERT_EQ(s.grid.Alignments(c, r), HAlign::None) << c << "," << r;
        }
    }
}

TEST(GridStore, HideAndShowColumns)
{
    struct Case {
        const char *what;
        std::vector<int> hide;
        std::vector<int> displayed;
    };
    const Case cases[] = {
        {"Time and Bin Number", {7, 8}, {0, 1, 2, 3, 4, 5, 6}},
        {"Record #", {0}, {1, 2, 3, 4, 5, 6, 7, 8}},
        {"twice the same", {3, 3}, {0, 1, 2, 4, 5, 6, 7, 8}},
        {"eight, then the ninth", {0, 1, 2, 3, 4, 5, 6, 7, 8}, {8}},
        {"the ninth first", {8, 0, 1, 2, 3, 4, 5, 6, 7}, {7}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        Sheet s;
        for (int col : c.hide)
            s.grid.HideColumn(col);
        EXPECT_EQ(s.displayed(), c.displayed);
        EXPECT_EQ(s.grid.ColCount(), static_cast<int>(c.displayed.size()));
        EXPECT_EQ(s.grid.columnAt(s.grid.ColCount()), -1);
        for (int p = 0; p < s.grid.ColCount(); ++p)
            EXPECT_EQ(s.grid.displayPosition(s.grid.columnAt(p)), p);
    }
    // Showing them again, in any order, puts each back at its index's place.
    Sheet s;
    for (int col : {2, 5, 0, 7})
        s.grid.HideColumn(col);
    for (int col : {7, 0, 0, 5, 2, 1})
        s.grid.UnHideColumn(col);
    EXPECT_EQ(s.displayed(), (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8}));
}

TEST(GridStore, ShownColumnGetsBackTheWidthItHadWhenHidden)
{
    Sheet s;
    s.grid.setColumnWidth(3, 90);
    s.grid.HideColumn(3);
    s.grid.setColumnWidth(2, 40);
    s.grid.setColumnWidth(4, 200);
    s.grid.UnHideColumn(3);
    EXPECT_EQ(s.grid.displayPosition(3), 3);
    EXPECT_EQ(s.widthsOnScreen(), (std::vector<int>{100, 73, 40, 90, 200, 66, 65, 66, 115}));
}

TEST(GridStore, HiddenColumnsStillReceiveCells)
{
    Sheet s;
    s.grid.HideColumn(4);
    s.grid.setCells(4, 1, QStringLiteral("21.5"));
    EXPECT_EQ(s.grid.Cells(4, 1), QStringLiteral("21.5"));
    s.grid.UnHideColumn(4);
    EXPECT_EQ(s.grid.Cells(s.grid.columnAt(4), 1), QStringLiteral("21.5"));
}

TEST(GridStore, MovedColumnKeepsItsIdentity)
{
    struct Case {
        int from, to;
        std::vector<int> displayed;
    };
    const Case cases[] = {
        {4, 1, {0, 4, 1, 2, 3, 5, 6, 7, 8}},
        {1, 4, {0, 2, 3, 4, 1, 5, 6, 7, 8}},
        {8, 2, {0, 1, 8, 2, 3, 4, 5, 6, 7}},
        {3, 3, {0, 1, 2, 3, 4, 5, 6, 7, 8}},
        {3, 9, {0, 1, 2, 3, 4, 5, 6, 7, 8}}, // no such position: nothing moves
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.from << " -> " << c.to);
        Sheet s;
        s.grid.setCells(4, 1, QStringLiteral("21.5"));
        s.grid.moveColumn(c.from, c.to);
        EXPECT_EQ(s.displayed(), c.displayed);
        // Header, cells and width stay with the column index.
        EXPECT_EQ(s.grid.Cells(4, 0), QStringLiteral("Moisture In"));
        EXPECT_EQ(s.grid.Cells(4, 1), QStringLiteral("21.5"));
        EXPECT_EQ(s.grid.columnWidth(4), 68);
    }
    // A moved column that is hidden and shown comes back where it was moved.
    Sheet s;
    s.grid.moveColumn(4, 1);
    s.grid.HideColumn(4);
    EXPECT_EQ(s.displayed(), (std::vector<int>{0, 1, 2, 3, 5, 6, 7, 8}));
    s.grid.UnHideColumn(4);
    EXPECT_EQ(s.displayed(), (std::vector<int>{0, 4, 1, 2, 3, 5, 6, 7, 8}));
    // Moving across a hidden column counts displayed positions only.
    s.grid.HideColumn(2);
    s.grid.moveColumn(1, 3); // column 4 goes past 1 and 3
    EXPECT_EQ(s.displayed(), (std::vector<int>{0, 1, 3, 4, 5, 6, 7, 8}));
}

TEST(GridStore, RowsGrowShrinkAndWritesBeyondTheEndGrow)
{
    DataGridStore g(9, 1);
    g.setCells(2, 10, QStringLiteral("x"));
    EXPECT_EQ(g.RowCount(), 11);
    EXPECT_TRUE(g.rowIsEmpty(5));
    const std::string_view cells[9] = {"a", "b", "c", "d", "e", "f", "g", "h", "i"};
    g.setRowUtf8(20, cells, 9, HAlign::Centre);
    EXPECT_EQ(g.RowCount(), 21);
    EXPECT_EQ(g.Cells(8, 20), QStringLiteral("i"));
    g.setRowCount(15);
    EXPECT_EQ(g.Cells(8, 20), QString()); // beyond RowCount: nothing
    g.setRowCount(30);
    EXPECT_TRUE(g.rowIsEmpty(20)); // dropped rows come back empty
    EXPECT_EQ(g.Cells(2, 10), QStringLiteral("x"));
    g.setRowCount(0);
    EXPECT_EQ(g.RowCount(), 0);
    EXPECT_THROW(g.setCells(9, 0, QStringLiteral("x")), std::out_of_range);
    EXPECT_THROW(g.setCells(0, -1, QStringLiteral("x")), std::out_of_range);
    EXPECT_EQ(g.Cells(-1, 0), QString());
}

TEST(GridStore, CellTextsOfAnyLength)
{
    DataGridStore g(9, 2);
    const QString lengths[] = {
        QString(),
        QStringLiteral("a"),
        QString(254, QLatin1Char('b')),
        QString(255, QLatin1Char('c')),
        QString(256, QLatin1Char('d')),
        QString(70000, QLatin1Char('e')),
        QStringLiteral("Zürich 25 °C\r\nzweite Zeile"),
        QStringLiteral("a,\"b"),
        QString(300, QChar(0x00E9)), // two UTF-8 bytes each
    };
    for (int c = 0; c < 9; ++c)
        g.setCells(c, 1, lengths[c]);
    std::string_view row[9];
    g.rowUtf8(1, row);
    for (int c = 0; c < 9; ++c) {
        EXPECT_EQ(g.Cells(c, 1), lengths[c]) << c;
        EXPECT_EQ(QString::fromUtf8(row[c].data(), static_cast<qsizetype>(row[c].size())), lengths[c]) << c;
    }
    // Rewriting one long cell keeps its neighbours.
    g.setCells(5, 1, QStringLiteral("short"));
    EXPECT_EQ(g.Cells(4, 1), lengths[4]);
    EXPECT_EQ(g.Cells(5, 1), QStringLiteral("short"));
    EXPECT_EQ(g.Cells(6, 1), lengths[6]);
}

TEST(GridStore, AlignmentsAreKeptPerCell)
{
    DataGridStore g(3, 3);
    g.setAlignments(1, 1, HAlign::Centre); // on a row with no text yet
    EXPECT_EQ(g.Alignments(1, 1), HAlign::Centre);
    EXPECT_EQ(g.Alignments(0, 1), HAlign::None);
    g.setCells(1, 1, QStringLiteral("t"));
    EXPECT_EQ(g.Alignments(1, 1), HAlign::Centre); // a new text keeps the alignment
    g.setAlignments(2, 1, HAlign::Right);
    EXPECT_EQ(g.Cells(1, 1), QStringLiteral("t"));
    EXPECT_EQ(g.Alignments(2, 1), HAlign::Right);
}

TEST(GridStore, RewritesCompactWithoutLosingContent)
{
    // Single-cell rewrites leave old copies of the row behind; once they
    // outweigh the live rows the store compacts. Every cell must survive.
    DataGridStore g(9, 1);
    const int rows = 3000;
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < 9; ++c)
            g.setCells(c, r, text(c, r));
    }
    for (int round = 0; round < 6; ++round) {
        for (int r = 0; r < rows; ++r)
            g.setCells(round % 9, r, text(round % 9, r) + QString(40, QLatin1Char('x')).left(round * 7));
    }
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < 9; ++c) {
            QString expected = text(c, r);
            for (int round = 5; round >= 0; --round) {
                if (round % 9 == c) {
                    expected += QString(round * 7, QLatin1Char('x'));
                    break;
                }
            }
            ASSERT_EQ(g.Cells(c, r), expected) << c << "," << r;
        }
    }
    // Six rewrites of every row: without compaction the store would hold all
    // seven copies.
    std::size_t live = 0;
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < 9; ++c)
            live += static_cast<std::size_t>(g.Cells(c, r).size()) + 2;
    }
    EXPECT_LT(g.cellBytes(), 4 * live + rows * 8 + 4096);
}

TEST(GridStore, ObserversHearOfChanges)
{
    struct Recorder : DataGridStore::Observer {
        int cells = 0, rows = 0, layout = 0;
        void cellsChanged(int, int) override { ++cells; }
        void rowCountChanged(int, int) override { ++rows; }
        void columnLayoutChanged() override { ++layout; }
    } rec;
    Sheet s;
    s.grid.addObserver(&rec);
    s.grid.setCells(1, 1, QStringLiteral("x"));
    s.grid.setRowCount(10);
    s.grid.setRowCount(10);
    s.grid.HideColumn(1);
    s.grid.HideColumn(1); // no change, no notice
    s.grid.moveColumn(2, 4);
    s.grid.removeObserver(&rec);
    s.grid.Clear();
    EXPECT_EQ(rec.cells, 1);
    EXPECT_EQ(rec.rows, 1);
    EXPECT_EQ(rec.layout, 2);
}

// A batch drops a store per log and makes the next one in the room the last
// one left: the new store must see none of the old cells, count only the
// memory it touches itself, and the room may come from another thread.
TEST(GridStore, AStoreMadeAfterAnotherWasDroppedHoldsOnlyItsOwnCells)
{
    const QString old(200, QLatin1Char('x'));
    std::size_t bigBytes = 0;
    {
        auto big = std::make_unique<DataGridStore>(9, 20000);
        for (int r = 0; r < 20000; ++r)
            big->setCells(r % 9, r, old);
        bigBytes = big->cellBytes();
        // Dropped on another thread, whose room it becomes.
        std::thread([&big] { big.reset(); }).join();
    }
    for (int round = 0; round < 3; ++round) {
        // Two at once on this thread: one gets the room kept, one a new one.
        DataGridStore a(9, 20000), b(9, 20000);
        a.setCells(3, 19999, QStringLiteral("a%1").arg(round));
        b.setCells(4, 7, QStringLiteral("b%1").arg(round));
        for (DataGridStore *g : {&a, &b}) {
            EXPECT_LT(g->cellBytes(), bigBytes / 2) << round;
            for (int r : {0, 7, 8, 9999, 19999}) {
                for (int c = 0; c < 9; ++c) {
                    const QString cell = g->Cells(c, r);
                    if (g == &a && c == 3 && r == 19999)
                        EXPECT_EQ(cell, QStringLiteral("a%1").arg(round));
                    else if (g == &b && c == 4 && r == 7)
                        EXPECT_EQ(cell, QStringLiteral("b%1").arg(round));
                    else
                        EXPECT_TRUE(cell.isEmpty()) << round << " " << c << " " << r;
                }
            }
        }
    }
}
