// Sorvant's spreadsheet: the popup rules, the fixed column, moves, loads.

#include "views/spreadsheetview.h"

#include "controls/grid/datagridpainting.h"
#include "logdata/loadlog.h"
#include "platform/fonts.h"
#include "output/csvwriter.h"
#include "textink.h"

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QScreen>
#include <QFile>
#include <QFontMetrics>
#include <QMenu>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

namespace sorvant {
namespace {

struct Window {
    QWidget panel;
    SpreadsheetView *view = new SpreadsheetView(&panel);

    Window()
    {
        panel.resize(925, 640);
        view->grid()->setGeometry(panel.rect());
    }
    DataGrid *grid() const { return view->grid(); }
    DataGridStore &store() const { return view->store(); }
    void click(int column) const { view->columnItem(column)->trigger(); } // as the menu does
    std::vector<bool> checks() const
    {
        std::vector<bool> v;
        for (int c = 0; c < kColumnCount; ++c)
            v.push_back(view->columnItem(c)->isChecked());
        return v;
    }
    std::vector<int> displayed() const
    {
        std::vector<int> v;
        for (int p = 0; p < store().ColCount(); ++p)
            v.push_back(store().columnAt(p));
        return v;
    }
};

// What the screen shows, in order: the fixed column, then the header's visible sections.
std::vector<int> onScreen(const DataGrid *grid)
{
    std::vector<int> v;
    if (grid->fixedColumn() >= 0)
        v.push_back(grid->fixedColumn());
    const QHeaderView *header = grid->horizontalHeader();
    for (int visual = 0; visual < header->count(); ++visual) {
        const int c = header->logicalIndex(visual);
        if (!header->isSectionHidden(c))
            v.push_back(c);
    }
    return v;
}

QByteArray readAll(const QString &path)
{
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    return f.readAll();
}

QByteArray firstLine(const QString &path)
{
    const QByteArray all = readAll(path);
    return all.left(all.indexOf("\r\n"));
}

// A log of `n` records written here: moisture in 20.0 %, 20.1 %, ...
QString writeLog(const QTemporaryDir &dir, const QString &name, int n)
{
    QByteArray bytes;
    for (int i = 0; i < n; ++i) {
        const unsigned char rec[16] = {0, 60, 0x02, 0x6C, static_cast<unsigned char>((200 + i) >> 8),
                                       static_cast<unsigned char>((200 + i) & 0xFF), 0x01, 0xF4, 0, 150, 0, 7,
                                       2, 14, static_cast<unsigned char>(i % 60), 0};
        bytes.append(reinterpret_cast<const char *>(rec), 16);
    }
    const QString path = dir.filePath(name);
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
    return path;
}

LoadResult load(Window &w, const QString &path, int step = 1)
{
    static LogStore records;
    LoadTargets targets;
    targets.table = &w.view->tableSink();
    return LoadLog(path, step, records, CellTextFormat(), targets);
}

TEST(SpreadsheetView, StartsWithHeadersAnd4999EmptyRowsAllChecked)
{
    Window w;
    DataGrid *grid = w.grid();
    EXPECT_EQ(grid->objectName(), QStringLiteral("StringGrid1"));
    EXPECT_EQ(grid->parentWidget(), &w.panel);
    EXPECT_EQ(w.store().RowCount(), 5000);
    EXPECT_EQ(grid->model()->rowCount(), 4999);
    for (int c = 0; c < kColumnCount; ++c)
        EXPECT_EQ(grid->model()->headerData(c, Qt::Horizontal).toString(), columnHeader(c));
    EXPECT_EQ(w.checks(), std::vector<bool>(kColumnCount, true));
    EXPECT_EQ(grid->fixedRowHeight(), 30);
    EXPECT_EQ(grid->defaultRowHeight(), 21);
    EXPECT_EQ(grid->fixedColumn(), ColRecordNumber);
    EXPECT_EQ(grid->fixedColumnView()->width(), 100);

    // The vertical scroll bar reaches the last of the 4,999 empty rows.
    w.panel.show();
    grid->verticalScrollBar()->setValue(grid->verticalScrollBar()->maximum());
    const int bottom = grid->viewport()->height() - 1;
    EXPECT_EQ(grid->rowAt(bottom), 4998);
    EXPECT_GT(grid->verticalScrollBar()->maximum(), 4950);
    EXPECT_EQ(grid->fixedColumnView()->rowAt(bottom), 4998) << "the fixed column scrolls with the rows";
    grid->fixedColumnView()->verticalScrollBar()->setValue(100); // the wheel over the fixed column
    EXPECT_EQ(grid->verticalScrollBar()->value(), 100);
}

TEST(SpreadsheetView, PopupHasItsTitleAndNineColumnItems)
{
    Window w;
    QMenu *menu = w.view->popupMenu();
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->objectName(), QStringLiteral("PopupMenu"));
    const QList<QAction *> items = menu->actions();
    ASSERT_EQ(items.size(), 1 + kColumnCount);
    EXPECT_EQ(items[0]->objectName(), QStringLiteral("ColumnView"));
    EXPECT_EQ(items[0]->text(), QStringLiteral("Select Columns to View"));
    EXPECT_EQ(menu->defaultAction(), items[0]);
    EXPECT_TRUE(items[0]->font().bold());
    const char *names[] = {"RecordNumber", "WetGrainTemp", "GrainTempInsideDryer", "DriedGrainTemp", "MoistureIn",
                           "MoistureOut",  "UnloadRate",   "Time",                 "BinNumber"};
    for (int c = 0; c < kColumnCount; ++c) {
        EXPECT_EQ(items[c + 1]->objectName(), QLatin1String(names[c]));
        EXPECT_EQ(items[c + 1]->text(), columnHeader(c));
        EXPECT_TRUE(items[c + 1]->isCheckable());
    }
    items[0]->trigger(); // the title changes nothing
    EXPECT_EQ(w.store().ColCount(), kColumnCount);
    w.store().HideColumn(ColTime); // the marks follow the store, whoever changes it
    EXPECT_FALSE(w.view->columnItem(ColTime)->isChecked());
    w.store().UnHideColumn(ColTime);

    // The right mouse button opens it over the cells.
    w.panel.show();
    QWidget *cells = w.grid()->viewport();
    QContextMenuEvent e(QContextMenuEvent::Mouse, QPoint(50, 50), cells->mapToGlobal(QPoint(50, 50)));
    QCoreApplication::sendEvent(cells, &e);
    EXPECT_TRUE(QTest::qWaitFor([menu] { return menu->isVisible(); }));
    menu->hide();
}

// Records where a rolling effect window stands at each step.
struct GeometryLog : QObject {
    std::vector<QRect> frames;
    bool eventFilter(QObject *o, QEvent *e) override
    {
        if (e->type() == QEvent::Move || e->type() == QEvent::Resize)
            frames.push_back(static_cast<QWidget *>(o)->geometry());
        return false;
    }
};

TEST(SpreadsheetView, PopupRollsOpenLeftToRightTopToBottom)
{
    Window w;
    w.panel.move(0, 0);
    w.panel.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w.panel));
    const bool animateBefore = QApplication::isEffectEnabled(Qt::UI_AnimateMenu);
    QMenu *menu = w.view->popupMenu();
    QWidget *cells = w.grid()->viewport();
    const QPoint at = cells->mapToGlobal(QPoint(30, 30));
    QContextMenuEvent e(QContextMenuEvent::Mouse, QPoint(30, 30), at);
    QCoreApplication::sendEvent(cells, &e);

    QWidget *roll = nullptr;
    for (QWidget *t : QApplication::topLevelWidgets())
        if (t->isVisible() && QLatin1String(t->metaObject()->className()) == QLatin1String("QRollEffect"))
            roll = t;
    ASSERT_NE(roll, nullptr) << "the menu opened without rolling";
    // It starts as a point at the menu's top-left corner: it grows in both
    // directions, not fading in.
    const QRect target = menu->geometry();
    EXPECT_EQ(target.topLeft(), at) << "the menu opens right of and below the pointer";
    EXPECT_EQ(roll->geometry().topLeft(), target.topLeft());
    EXPECT_EQ(roll->size(), QSize(0, 0));
    GeometryLog log;
    roll->installEventFilter(&log);
    ASSERT_TRUE(QTest::qWaitFor([menu] { return menu->isVisible(); }));
    // Left to right and top to bottom: the corner stays where it is while
    // the width and height grow.
    // (The offscreen platform may report a window a frame margin away from
    // where it was placed, so the corner is compared with the first step.)
    ASSERT_FALSE(log.frames.empty());
    const QPoint corner = log.frames.front().topLeft();
    EXPECT_LE((corner - target.topLeft()).manhattanLength(), 4);
    QSize previous(0, 0);
    for (const QRect &r : log.frames) {
        EXPECT_EQ(r.topLeft(), corner);
        EXPECT_GE(r.width(), previous.width());
        EXPECT_GE(r.height(), previous.height());
        previous = r.size();
    }
    EXPECT_EQ(previous, target.size());
    EXPECT_EQ(QApplication::isEffectEnabled(Qt::UI_AnimateMenu), animateBefore) << "other menus keep their effects";
    menu->hide();
}

// Near the screen's bottom and right edges the menu opens above and left of
// the pointer, and still rolls open left to right and top to bottom.
TEST(SpreadsheetView, PopupNearTheScreenEdgesStillRollsLeftToRightTopToBottom)
{
    Window w;
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    QMenu *menu = w.view->popupMenu();
    const QSize size = menu->sizeHint();
    struct Case {
        const char *what;
        QPoint at;
        bool above, left;
    } cases[] = {
        {"bottom edge", QPoint(screen.left() + 40, screen.bottom() - 10), true, false},
        {"right edge", QPoint(screen.right() - 10, screen.top() + 40), false, true},
        {"bottom right corner", screen.bottomRight() - QPoint(10, 10), true, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        // The panel lies under the point, and the pointer is where the click was.
        w.panel.move(c.at - QPoint(300, 300));
        w.panel.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&w.panel));
        QWidget *cells = w.grid()->viewport();
        const QPoint local = cells->mapFromGlobal(c.at);
        QTest::mouseMove(cells, local);
        QCursor::setPos(c.at);
        QContextMenuEvent e(QContextMenuEvent::Mouse, local, c.at);
        QCoreApplication::sendEvent(cells, &e);

        QWidget *roll = nullptr;
        for (QWidget *t : QApplication::topLevelWidgets())
            if (t->isVisible() && QLatin1String(t->metaObject()->className()) == QLatin1String("QRollEffect"))
                roll = t;
        ASSERT_NE(roll, nullptr) << "the menu opened without rolling";
        const QRect target = menu->geometry();
        EXPECT_TRUE(screen.contains(target)) << "the whole menu is on the screen";
        if (c.above) {
            EXPECT_LE(target.bottom(), c.at.y()) << "opens above the pointer";
        }
        if (c.left) {
            EXPECT_LE(target.right(), c.at.x()) << "opens left of the pointer";
        }
        GeometryLog log;
        roll->installEventFilter(&log);
        const QRect start = roll->geometry();
        ASSERT_TRUE(QTest::qWaitFor([menu] { return menu->isVisible(); }));
        // The corner stays at the menu's top left while width and height grow.
        EXPECT_LE((start.topLeft() - target.topLeft()).manhattanLength(), 4)
            << "starts at " << start.x() << "," << start.y() << ", menu at " << target.x() << "," << target.y();
        QSize previous(0, 0);
        for (const QRect &r : log.frames) {
            EXPECT_LE((r.topLeft() - start.topLeft()).manhattanLength(), 4)
                << "a step at " << r.x() << "," << r.y() << " " << r.width() << "x" << r.height();
            EXPECT_GE(r.width(), previous.width());
            EXPECT_GE(r.height(), previous.height());
            previous = r.size();
        }
        EXPECT_EQ(previous, size);
        menu->hide();
        w.panel.hide();
    }
}

// The header row stands out from the data in bold that is really heavier,
// on screen and in a printout in the display fonts.
TEST(SpreadsheetView, HeaderRowIsVisiblyBold)
{
    registerCompatibleFonts(); // the faces the program draws with
    Window w;
    const QFont font = w.grid()->fixedFont();
    EXPECT_TRUE(font.bold());
    EXPECT_EQ(font.pixelSize(), 11);
    for (int c = 0; c < kColumnCount; ++c) {
        const double ratio = sorvant::testing::boldInkRatio(font, columnHeader(c));
        EXPECT_GT(ratio, 1.25) << columnHeader(c).toStdString() << " in " << font.family().toStdString()
                               << ": bold draws no heavier than regular";
    }
}

TEST(SpreadsheetView, EveryHeaderReadsWholeAtTheDesignedWidths)
{
    registerCompatibleFonts(); // the faces the program draws with
    Window w;
    const QFont font = w.grid()->fixedFont();
    for (int c = 0; c < kColumnCount; ++c) {
        const QString header = columnHeader(c);
        const QRect area = datagridpaint::textArea(QRect(0, 0, w.store().columnWidth(c), 30));
        const QFont fitted = datagridpaint::fittingFont(font, area, header);
        const QRect needed = QFontMetrics(fitted).boundingRect(area, Qt::TextWordWrap, header);
        EXPECT_LE(needed.height(), area.height()) << header.toStdString() << " is cut at the top and bottom";
        EXPECT_LE(needed.width(), area.width()) << header.toStdString();
        EXPECT_EQ(fitted.bold(), font.bold());
        EXPECT_EQ(fitted.pixelSize(), font.pixelSize()) << "narrowed, not made smaller";
    }
}

TEST(SpreadsheetView, ColumnItemRules)
{
    struct Case {
        const char *name;
        std::vector<int> clicks;
        std::vector<int> displayed; // column indices in display order
    };
    const Case cases[] = {
        {"hide Time and Bin Number", {ColTime, ColBinNumber}, {0, 1, 2, 3, 4, 5, 6}},
        {"hide then show comes back in place", {ColMoistureIn, ColRecordNumber, ColMoistureIn},
         {1, 2, 3, 4, 5, 6, 7, 8}},
        {"the last displayed column stays", {0, 1, 2, 3, 4, 5, 6, 7, 8}, {8}},
        {"and shows the others again", {0, 1, 2, 3, 4, 5, 6, 7, 8, 3, 0}, {0, 3, 8}},
    };
    for (const Case &k : cases) {
        SCOPED_TRACE(k.name);
        Window w;
        for (int c : k.clicks)
            w.click(c);
        EXPECT_EQ(w.displayed(), k.displayed);
        std::vector<bool> expected(kColumnCount, false);
        for (int c : k.displayed)
            expected[static_cast<std::size_t>(c)] = true;
        EXPECT_EQ(w.checks(), expected) << "each check mark says whether its column is displayed";
        QHeaderView *header = w.grid()->horizontalHeader();
        for (int c = 0; c < kColumnCount; ++c) {
            const bool onScreen = !header->isSectionHidden(c) || c == w.grid()->fixedColumn();
            EXPECT_EQ(onScreen, expected[static_cast<std::size_t>(c)]) << "column " << c;
        }
    }
}

TEST(SpreadsheetView, SevenColumnsExportAsSeven)
{
    Window w;
    w.click(ColTime);
    w.click(ColBinNumber);
    EXPECT_EQ(w.store().ColCount(), 7);
    EXPECT_EQ(w.store().columnAt(6), ColUnloadRate);
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("seven.csv"));
    SaveToCSV(w.store(), out);
    EXPECT_EQ(firstLine(out), QByteArray("Record #,Wet Grain Temp,Grain Temp Inside Dryer,Dried Grain Temp,"
                                         "Moisture In,Moisture Out,Unload Rate"));
}

TEST(SpreadsheetView, HidingRecordNumberFixesWetGrainTemp)
{
    Window w;
    w.panel.show();
    DataGrid *grid = w.grid();
    w.click(ColRecordNumber);
    ASSERT_EQ(grid->fixedColumn(), ColWetGrainTemp);
    QTableView *fixed = grid->fixedColumnView();
    EXPECT_EQ(fixed->width(), 73);
    EXPECT_FALSE(fixed->horizontalHeader()->isSectionHidden(ColWetGrainTemp));
    EXPECT_TRUE(fixed->horizontalHeader()->isSectionHidden(ColRecordNumber));
    EXPECT_TRUE(grid->horizontalHeader()->isSectionHidden(ColWetGrainTemp)) << "drawn once, by the fixed view";

    // It stays in place while the rest scrolls sideways; the scrolled columns start right of it.
    grid->resize(300, 400);
    const QRect before = fixed->geometry();
    QScrollBar *sideways = grid->horizontalScrollBar();
    ASSERT_GT(sideways->maximum(), 0);
    EXPECT_EQ(grid->columnViewportPosition(ColGrainTempInsideDryer), 0);
    sideways->setValue(sideways->maximum());
    EXPECT_EQ(fixed->geometry(), before);
    EXPECT_LT(grid->columnViewportPosition(ColGrainTempInsideDryer), 0);
    EXPECT_EQ(grid->viewport()->geometry().left(), before.right() + 1);

    // In the header style: the gradient's first band at the top of a data cell.
    const QImage image = fixed->viewport()->grab().toImage();
    EXPECT_EQ(image.pixelColor(5, 0), QColor(203, 225, 252));
    EXPECT_EQ(image.pixelColor(72, 5), QColor(192, 192, 192));
}

TEST(SpreadsheetView, MovedColumnIsStoredAndExportedInItsNewPlace)
{
    Window w;
    w.panel.show();
    QHeaderView *header = w.grid()->horizontalHeader();
    // Drag "Moisture In" (display position 4) onto "Wet Grain Temp" (position 1) with the mouse.
    const int fromX = header->sectionViewportPosition(ColMoistureIn) + 30;
    const int toX = header->sectionViewportPosition(ColWetGrainTemp) + 5;
    QTest::mousePress(header->viewport(), Qt::LeftButton, {}, QPoint(fromX, 10));
    for (int x = fromX; x >= toX; x -= 10)
        QTest::mouseMove(header->viewport(), QPoint(x, 10));
    QTest::mouseMove(header->viewport(), QPoint(toX, 10));
    QTest::mouseRelease(header->viewport(), Qt::LeftButton, {}, QPoint(toX, 10));
    EXPECT_EQ(w.displayed(), (std::vector<int>{0, 4, 1, 2, 3, 5, 6, 7, 8}));

    // And by code, to the right.
    header->moveSection(header->visualIndex(ColWetGrainTemp), header->visualIndex(ColBinNumber));
    EXPECT_EQ(w.displayed(), (std::vector<int>{0, 4, 2, 3, 5, 6, 7, 8, 1}));

    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("moved.csv"));
    SaveToCSV(w.store(), out);
    EXPECT_EQ(firstLine(out), QByteArray("Record #,Moisture In,Grain Temp Inside Dryer,Dried Grain Temp,"
                                         "Moisture Out,Unload Rate,Time,Bin Number,Wet Grain Temp"));
}

TEST(SpreadsheetView, FixedColumnIsNeitherMovedNorDroppedOn)
{
    Window w;
    QHeaderView *header = w.grid()->horizontalHeader();
    const std::vector<int> start = w.displayed();
    header->moveSection(header->visualIndex(ColRecordNumber), 4);
    EXPECT_EQ(w.displayed(), start);
    header->moveSection(header->visualIndex(ColTime), 0);
    EXPECT_EQ(w.displayed(), start);
    EXPECT_EQ(header->visualIndex(ColRecordNumber), 0) << "the header is put back as the store has it";
    EXPECT_EQ(header->visualIndex(ColTime), 7);

    // The same for "Wet Grain Temp" once it is the fixed column.
    w.click(ColRecordNumber);
    header->moveSection(header->visualIndex(ColWetGrainTemp), 5);
    EXPECT_EQ(w.store().columnAt(0), ColWetGrainTemp);
    EXPECT_FALSE(w.grid()->fixedColumnView()->horizontalHeader()->sectionsMovable());
}

TEST(SpreadsheetView, ScreenAgreesWithStoreThroughHideMoveAndShow)
{
    Window w;
    QHeaderView *header = w.grid()->horizontalHeader();
    const auto move = [&](int column, int toColumn) {
        header->moveSection(header->visualIndex(column), header->visualIndex(toColumn));
    };
    const std::function<void()> steps[] = {
        [&] { w.click(ColTime); },
        [&] { move(ColBinNumber, ColGrainTempInsideDryer); },
        [&] { w.click(ColTime); },
        [&] { w.click(ColRecordNumber); },
        [&] { move(ColMoistureIn, ColBinNumber); },
        [&] { w.click(ColWetGrainTemp); }, // the fixed column passes on
        [&] { w.click(ColRecordNumber); },
        [&] { w.click(ColWetGrainTemp); },
    };
    int n = 0;
    for (const auto &step : steps) {
        step();
        EXPECT_EQ(onScreen(w.grid()), w.displayed()) << "after step " << n;
        for (int c : w.displayed()) {
            const int shown = c == w.grid()->fixedColumn() ? w.grid()->fixedColumnView()->width()
                                                            : header->sectionSize(c);
            EXPECT_EQ(shown, w.store().columnWidth(c)) << "column " << c << " after step " << n;
        }
        ++n;
    }
    EXPECT_EQ(w.store().ColCount(), kColumnCount);
}

TEST(SpreadsheetView, WidthIsRememberedAcrossHideAndShow)
{
    Window w;
    QHeaderView *header = w.grid()->horizontalHeader();
    header->resizeSection(ColMoistureOut, 140); // as a drag of its border does
    EXPECT_EQ(w.store().columnWidth(ColMoistureOut), 140);
    w.click(ColMoistureOut);
    header->resizeSection(ColUnloadRate, 30);
    header->resizeSection(ColMoistureIn, 90);
    w.click(ColMoistureOut);
    EXPECT_EQ(w.store().displayPosition(ColMoistureOut), 5);
    EXPECT_EQ(header->sectionSize(ColMoistureOut), 140);
    EXPECT_EQ(header->sectionSize(ColUnloadRate), 30);
    EXPECT_EQ(w.store().columnWidth(ColMoistureIn), 90);
}

TEST(SpreadsheetView, ShorterLogLeavesNothingBehind)
{
    QTemporaryDir dir;
    Window w;
    w.click(ColMoistureIn); // hidden during both loads
    ASSERT_TRUE(load(w, writeLog(dir, QStringLiteral("long.dat"), 10)).ok);
    ASSERT_TRUE(load(w, writeLog(dir, QStringLiteral("short.dat"), 3)).ok);
    QCoreApplication::processEvents();

    QAbstractItemModel *model = w.grid()->model();
    EXPECT_EQ(w.store().RowCount(), 4);
    EXPECT_EQ(model->rowCount(), 3);
    EXPECT_EQ(w.grid()->fixedColumnView()->model()->rowCount(), 3);
    EXPECT_EQ(model->data(model->index(2, ColRecordNumber)).toString(), QStringLiteral("3"));
    EXPECT_TRUE(w.store().isColumnHidden(ColMoistureIn));

    // Shown again, the hidden column holds the new log's values.
    w.click(ColMoistureIn);
    EXPECT_FALSE(w.grid()->horizontalHeader()->isSectionHidden(ColMoistureIn));
    EXPECT_EQ(model->data(model->index(2, ColMoistureIn)).toString(), QStringLiteral("20.2"));

    // A missing file leaves the header row only.
    LogStore records;
    LoadTargets targets;
    targets.table = &w.view->tableSink();
    EXPECT_FALSE(LoadLog(dir.filePath(QStringLiteral("none.dat")), 1, records, CellTextFormat(), targets).ok);
    w.grid()->syncWithStore();
    EXPECT_EQ(model->rowCount(), 0);
    EXPECT_EQ(model->headerData(ColTime, Qt::Horizontal).toString(), QStringLiteral("Time"));
}

TEST(SpreadsheetView, FullLoadReachesTheViewInAFewSignals)
{
    Window w;
    QAbstractItemModel *model = w.grid()->model();
    QSignalSpy inserted(model, &QAbstractItemModel::rowsInserted);
    QSignalSpy removed(model, &QAbstractItemModel::rowsRemoved);
    QSignalSpy changed(model, &QAbstractItemModel::dataChanged);
    QSignalSpy header(model, &QAbstractItemModel::headerDataChanged);
    QSignalSpy reset(model, &QAbstractItemModel::modelReset);
    QSignalSpy layout(model, &QAbstractItemModel::layoutChanged);

    LogStore records;
    for (std::size_t i = 0; i < LogStore::kCapacity; ++i) {
        LogRecord &r = records.data()[i];
        r = LogRecord{};
        r.MoistureIn = static_cast<std::uint16_t>(150 + i % 100);
        r.Hour = static_cast<std::uint8_t>(i / 300 % 24);
        r.Minute = static_cast<std::uint8_t>(i / 5 % 60);
    }
    records.setCount(LogStore::kCapacity);
    LoadTargets targets;
    targets.table = &w.view->tableSink();
    int rows = 0;
    BuildTableAndSeries(records, records.count(), 5, CellTextFormat(), targets, rows);
    targets.table->setRowCount(rows);
    QCoreApplication::processEvents();

    const auto signalCount = static_cast<int>(inserted.count() + removed.count() + changed.count() + header.count()
                                   + reset.count() + layout.count());
    EXPECT_LE(signalCount, 4);
    EXPECT_EQ(model->rowCount(), 144000);
    EXPECT_EQ(model->data(model->index(143999, ColRecordNumber)).toString(), QStringLiteral("144000"));
    EXPECT_EQ(w.grid()->fixedColumnView()->model()->rowCount(), 144000);
}

TEST(SpreadsheetView, GridMayOutliveOrPrecedeTheView)
{
    {
        auto *panel = new QWidget;
        new SpreadsheetView(panel);
        delete panel; // the view and its grid go with the panel
    }
    {
        QWidget panel;
        auto *view = new SpreadsheetView(&panel);
        QPointer<DataGrid> grid = view->grid();
        delete view;
        EXPECT_TRUE(grid.isNull()) << "the grid never outlives the store it reads";
    }
}

} // namespace
} // namespace sorvant
