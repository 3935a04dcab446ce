// The general-purpose grid over a small store of its own.

#include "controls/grid/datagrid.h"

#include <QImage>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

struct SmallGrid {
    DataGridStore store{4, 6};
    DataGrid grid{store};

    SmallGrid()
    {
        for (int c = 0; c < 4; ++c) {
            store.setCells(c, 0, QStringLiteral("H%1").arg(c));
            store.setColumnWidth(c, 80);
            for (int r = 1; r < 6; ++r)
                store.setCells(c, r, QStringLiteral("%1:%2").arg(c).arg(r));
        }
        grid.resize(400, 300);
        grid.syncWithStore();
    }
};

QColor pixel(QWidget *w, int x, int y)
{
    return w->grab().toImage().pixelColor(x, y);
}

TEST(DataGridModel, AlignmentsOfTheStoreBecomeCellAlignments)
{
    struct Case {
        DataGridStore::HAlign stored;
        Qt::Alignment shown;
    };
    const Case cases[] = {
        {DataGridStore::HAlign::None, Qt::AlignLeft | Qt::AlignVCenter},
        {DataGridStore::HAlign::Left, Qt::AlignLeft | Qt::AlignVCenter},
        {DataGridStore::HAlign::Centre, Qt::AlignHCenter | Qt::AlignVCenter},
        {DataGridStore::HAlign::Right, Qt::AlignRight | Qt::AlignVCenter},
    };
    DataGridStore store(2, 3);
    DataGridModel model(store);
    for (const Case &k : cases) {
        store.setAlignments(1, 2, k.stored);
        store.setAlignments(0, 0, k.stored);
        EXPECT_EQ(model.data(model.index(1, 1), Qt::TextAlignmentRole).toInt(), static_cast<int>(k.shown));
        EXPECT_EQ(model.headerData(0, Qt::Horizontal, Qt::TextAlignmentRole).toInt(), static_cast<int>(k.shown));
    }
}

TEST(DataGridModel, HeaderRowIsHeaderDataAndNotARow)
{
    DataGridStore store(2, 3);
    store.setCells(0, 0, QStringLiteral("Head"));
    store.setCells(0, 1, QStringLiteral("first"));
    DataGridModel model(store);
    EXPECT_EQ(model.rowCount(), 2);
    EXPECT_EQ(model.headerData(0, Qt::Horizontal).toString(), QStringLiteral("Head"));
    EXPECT_EQ(model.data(model.index(0, 0)).toString(), QStringLiteral("first"));
    EXPECT_FALSE(model.flags(model.index(0, 0)) & Qt::ItemIsEditable);
    EXPECT_FALSE(model.flags(model.index(0, 0)) & Qt::ItemIsSelectable);
}

TEST(DataGridModel, ChangesReachTheViewsOnlyWhenSynced)
{
    DataGridStore store(3, 1);
    DataGridModel model(store);
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    QSignalSpy header(&model, &QAbstractItemModel::headerDataChanged);

    const std::string_view texts[3] = {"a", "b", "c"};
    for (int r = 1; r <= 1000; ++r) {
        store.setRowUtf8(r, texts, 3, DataGridStore::HAlign::Centre);
        store.setRowCount(store.RowCount() + 1);
    }
    store.setRowCount(501);
    EXPECT_EQ(model.rowCount(), 0) << "rows are announced before the views hear of them";
    EXPECT_TRUE(model.hasPendingChanges());

    QCoreApplication::processEvents(); // the queued sync
    EXPECT_FALSE(model.hasPendingChanges());
    EXPECT_EQ(model.rowCount(), 500);
    EXPECT_EQ(inserted.count(), 1);
    EXPECT_EQ(removed.count(), 0);
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(header.count(), 0);

    store.setRowCount(3);
    store.setCells(2, 0, QStringLiteral("H"));
    model.syncWithStore();
    EXPECT_EQ(model.rowCount(), 2);
    EXPECT_EQ(removed.count(), 1);
    EXPECT_EQ(header.count(), 1);
    // A view asking for a row the store dropped before the sync gets nothing.
    EXPECT_EQ(model.data(model.index(1, 0)).toString(), QStringLiteral("a"));
}

TEST(DataGrid, StoreLayoutIsShownAndMouseLayoutIsStored)
{
    SmallGrid g;
    QHeaderView *header = g.grid.horizontalHeader();
    ASSERT_EQ(g.grid.fixedColumn(), 0);

    // Store -> screen.
    g.store.setColumnWidth(2, 123);
    EXPECT_EQ(header->sectionSize(2), 123);
    g.store.HideColumn(2);
    EXPECT_TRUE(header->isSectionHidden(2));
    g.store.moveColumn(2, 1); // display positions: column 3 before column 1
    EXPECT_LT(header->visualIndex(3), header->visualIndex(1));

    // Screen -> store: a resize in the header, and of the fixed column in its view.
    header->resizeSection(1, 55);
    EXPECT_EQ(g.store.columnWidth(1), 55);
    g.grid.fixedColumnView()->horizontalHeader()->resizeSection(0, 90);
    EXPECT_EQ(g.store.columnWidth(0), 90);
    EXPECT_EQ(g.grid.fixedColumnView()->width(), 90);
    g.store.UnHideColumn(2);
    EXPECT_EQ(header->sectionSize(2), 123);
}

TEST(DataGrid, OneDisplayedColumnIsNotFixedAndTwoAreAgain)
{
    SmallGrid g;
    for (int c = 0; c < 3; ++c)
        g.store.HideColumn(c);
    EXPECT_EQ(g.grid.fixedColumn(), -1);
    EXPECT_TRUE(g.grid.fixedColumnView()->isHidden());
    EXPECT_FALSE(g.grid.horizontalHeader()->isSectionHidden(3)) << "the last column is shown as a data column";
    g.store.UnHideColumn(1);
    EXPECT_EQ(g.grid.fixedColumn(), 1);
    EXPECT_FALSE(g.grid.fixedColumnView()->isHidden());
}

TEST(DataGrid, DrawsGradientLinesAndNoSelection)
{
    SmallGrid g;
    g.grid.setFixedRowHeight(30);
    g.grid.setDefaultRowHeight(21);
    g.grid.setHeaderGradient(QColor(10, 20, 30), QColor(100, 110, 120), 10);
    g.grid.setGridLineColor(QColor(1, 2, 3));
    g.grid.show();
    QTest::mouseClick(g.grid.viewport(), Qt::LeftButton, {}, QPoint(20, 5));

    QHeaderView *header = g.grid.horizontalHeader();
    EXPECT_EQ(pixel(header, 10, 0), QColor(10, 20, 30)) << "first band";
    EXPECT_EQ(pixel(header, 10, 27), QColor(100, 110, 120)) << "last band";
    EXPECT_EQ(pixel(header, 10, 29), QColor(1, 2, 3)) << "line under the header row";
    EXPECT_EQ(pixel(header, 79, 10), QColor(1, 2, 3)) << "line between header cells";

    QWidget *cells = g.grid.viewport();
    const QColor base = g.grid.palette().color(QPalette::Base);
    EXPECT_EQ(pixel(cells, 2, 2), base) << "a clicked cell is not highlighted";
    EXPECT_EQ(pixel(cells, 79, 5), QColor(1, 2, 3));
    EXPECT_EQ(pixel(cells, 5, 20), QColor(1, 2, 3)) << "row 1 is 21 pixels high";
    // The fixed column is drawn in the header style.
    EXPECT_EQ(pixel(g.grid.fixedColumnView()->viewport(), 5, 0), QColor(10, 20, 30));
}

TEST(DataGrid, WithCellSelectionOnClicksSelectAndSelectedCellsAreHighlighted)
{
    SmallGrid g;
    g.grid.setCellSelectionEnabled(true);
    g.grid.show();
    QWidget *cells = g.grid.viewport();
    const QColor base = g.grid.palette().color(QPalette::Base);
    const QColor highlight = g.grid.palette().color(QPalette::Highlight);
    EXPECT_EQ(pixel(cells, 2, 2), base) << "nothing is selected at start";
    EXPECT_TRUE(g.grid.selectedRanges().empty());

    // A cell, then a second one with Shift: the block between them.
    QTest::mouseClick(cells, Qt::LeftButton, {}, g.grid.visualRect(g.grid.model()->index(0, 1)).center());
    QTest::mouseClick(cells, Qt::LeftButton, Qt::ShiftModifier,
                      g.grid.visualRect(g.grid.model()->index(2, 2)).center());
    const QRect first = g.grid.visualRect(g.grid.model()->index(0, 1));
    EXPECT_EQ(pixel(cells, first.left() + 2, first.top() + 2), highlight);
    EXPECT_EQ(g.grid.copySelection().text, QByteArray("1:1\t2:1\r\n1:2\t2:2\r\n1:3\t2:3\r\n"));

    // A click in the fixed column takes the whole row.
    QTableView *fixed = g.grid.fixedColumnView();
    QTest::mouseClick(fixed->viewport(), Qt::LeftButton, {}, fixed->visualRect(fixed->model()->index(3, 0)).center());
    EXPECT_EQ(g.grid.copySelection().text, QByteArray("0:4\t1:4\t2:4\t3:4\r\n"));

    // Turned off again: the selection goes, nothing is highlighted.
    g.grid.setCellSelectionEnabled(false);
    EXPECT_TRUE(g.grid.selectedRanges().empty());
    EXPECT_EQ(pixel(cells, first.left() + 2, first.top() + 2), base);
}

TEST(DataGrid, RightButtonAnywhereAsksForTheContextMenu)
{
    SmallGrid g;
    g.grid.show();
    QSignalSpy asked(&g.grid, &DataGrid::contextMenuRequested);
    QWidget *targets[] = {g.grid.viewport(), g.grid.horizontalHeader()->viewport(),
                          g.grid.fixedColumnView()->viewport()};
    for (QWidget *w : targets) {
        QContextMenuEvent e(QContextMenuEvent::Mouse, QPoint(3, 3), w->mapToGlobal(QPoint(3, 3)));
        QCoreApplication::sendEvent(w, &e);
    }
    ASSERT_EQ(asked.count(), 3);
    EXPECT_EQ(asked.at(2).at(0).toPoint(), g.grid.fixedColumnView()->viewport()->mapToGlobal(QPoint(3, 3)));
}

} // namespace
