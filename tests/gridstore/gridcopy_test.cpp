// The clipboard's texts of selected cells: tab-separated text and an HTML
// table, as other programs paste them.

#include "controls/grid/gridcopy.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Four columns "A".."D" (header row 0), rows 1..3 holding "A1".."D3".
struct Table {
    DataGridStore grid{4, 4};
    Table()
    {
        for (int c = 0; c < 4; ++c) {
            const QString col(QChar(u'A' + c));
            grid.setCells(c, 0, col);
            for (int r = 1; r < 4; ++r)
                grid.setCells(c, r, col + QString::number(r));
        }
    }
};

std::string text(const GridCopy &copy) { return copy.text.toStdString(); }

} // namespace

TEST(GridCopy, RangesColumnsAndAllGiveTheirBlockInDisplayOrder)
{
    const struct Case {
        const char *what;
        std::vector<GridCellRange> ranges;
        std::string text;
        bool header;
    } cases[] = {
        {"one cell", {{2, 2, 1, 1}}, "B2\r\n", false},
        {"a block", {{1, 2, 1, 2}}, "B1\tC1\r\nB2\tC2\r\n", false},
        {"whole rows", {{2, 3, 0, 3}}, "A2\tB2\tC2\tD2\r\nA3\tB3\tC3\tD3\r\n", false},
        {"whole columns take the header", {{1, 3, 3, 3}, {1, 3, 1, 1}}, "B\tD\r\nB1\tD1\r\nB2\tD2\r\nB3\tD3\r\n",
         true},
        {"all", {{1, 3, 0, 3}}, "A\tB\tC\tD\r\nA1\tB1\tC1\tD1\r\nA2\tB2\tC2\tD2\r\nA3\tB3\tC3\tD3\r\n", true},
        // Ctrl-added cells: their rows and columns, the gaps empty.
        {"ragged", {{1, 1, 0, 0}, {3, 3, 2, 2}}, "A1\t\r\n\tC3\r\n", false},
        {"a whole column and a cell: no header", {{1, 3, 0, 0}, {2, 2, 1, 1}}, "A1\t\r\nA2\tB2\r\nA3\t\r\n", false},
        {"rows past the end are cut", {{3, 99, 0, 0}}, "A3\r\n", false},
        {"nothing", {}, "", false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        Table t;
        const GridCopy copy = copyGridCells(t.grid, c.ranges);
        EXPECT_EQ(text(copy), c.text);
        EXPECT_EQ(copy.withHeader, c.header);
        EXPECT_EQ(copy.isEmpty(), c.text.empty());
    }
}

TEST(GridCopy, HiddenColumnsStayOutAndMovedOnesCopyWhereTheyStand)
{
    Table t;
    t.grid.HideColumn(1);
    t.grid.moveColumn(2, 0); // D now stands first: D A C
    const GridCopy copy = copyGridCells(t.grid, {{1, 3, 0, 3}});
    EXPECT_EQ(text(copy), "D\tA\tC\r\nD1\tA1\tC1\r\nD2\tA2\tC2\r\nD3\tA3\tC3\r\n");
    EXPECT_EQ(copy.columns, 3);
    EXPECT_EQ(copy.rows, 3);
    // Only a hidden column selected: nothing.
    EXPECT_TRUE(copyGridCells(t.grid, {{1, 3, 1, 1}}).isEmpty());
}

TEST(GridCopy, HtmlTableAndSpecialCharacters)
{
    DataGridStore grid(2, 2);
    grid.setCells(0, 0, QStringLiteral("Moisture <In>"));
    grid.setCells(1, 0, QStringLiteral("Unload \"Rate\""));
    grid.setCells(0, 1, QStringLiteral("two\nlines & more"));
    grid.setCells(1, 1, QStringLiteral("21,5\tx"));
    const GridCopy copy = copyGridCells(grid, {{1, 1, 0, 1}});
    // A field that would break its row or cell is quoted, quotes doubled.
    EXPECT_EQ(text(copy), "Moisture <In>\t\"Unload \"\"Rate\"\"\"\r\n\"two\nlines & more\"\t\"21,5\tx\"\r\n");
    const std::string html = copy.html.toStdString();
    EXPECT_NE(html.find("<meta charset=\"utf-8\">"), std::string::npos);
    EXPECT_NE(html.find("<tr><th>Moisture &lt;In&gt;</th><th>Unload &quot;Rate&quot;</th></tr>"),
              std::string::npos)
        << html;
    EXPECT_NE(html.find("<tr><td>two<br>lines &amp; more</td><td>21,5\tx</td></tr>"), std::string::npos) << html;
    EXPECT_EQ(html.rfind("</table>"), html.find("</table>"));
}

TEST(GridCopy, TextsThatAreNotAsciiStayIntact)
{
    DataGridStore grid(1, 2);
    grid.setCells(0, 0, QStringLiteral("Température"));
    grid.setCells(0, 1, QStringLiteral("21,5 °C"));
    const GridCopy copy = copyGridCells(grid, {{1, 1, 0, 0}});
    EXPECT_EQ(QString::fromUtf8(copy.text), QStringLiteral("Température\r\n21,5 °C\r\n"));
    EXPECT_NE(QString::fromUtf8(copy.html).indexOf(QStringLiteral("<td>21,5 °C</td>")), -1);
}
