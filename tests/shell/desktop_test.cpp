// The main window as desktop users expect it beyond its designed commands:
// files from outside (a launcher, a second start, a drop), the session's
// end, the usual shortcuts and Copy.

#include "shellfixture.h"

#include "controls/grid/datagrid.h"
#include "platform/filenames.h"
#include "shell/startoptions.h"
#include "views/chartview.h"
#include "views/spreadsheetview.h"
#include "views/viewswitcher.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QDropEvent>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QScrollBar>
#include <QTest>
#include <QUrl>

#include <cstdio>

#include <fcntl.h>
#include <unistd.h>

namespace sorvant::testing {
namespace {

QStringList fiveEmpty()
{
    return {QString(), QString(), QString(), QString(), QString()};
}

class DesktopTest : public ShellTest
{
protected:
    void SetUp() override { store({QStringLiteral("/stored/folder/"), 25, fiveEmpty()}); }

    // A drag entering the window and, when it was accepted, the drop.
    static bool dragAndDrop(QWidget *target, QMimeData &data)
    {
        const QPoint at = target->rect().center();
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &enter);
        if (!enter.isAccepted())
            return false;
        QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &drop);
        QCoreApplication::processEvents(); // the open waits until the drop has ended
        return drop.isAccepted();
    }

    // The log's rows are on screen and the file is where Open would put it.
    void expectOpenedAsOpenDoes(TSorvantMainForm &form, const QString &path, int rows)
    {
        EXPECT_EQ(form.CurrentFile, path);
        EXPECT_EQ(form.RecentFiles.value(0), path);
        EXPECT_EQ(form.LastFolder, path.left(path.lastIndexOf(QLatin1Char('/')) + 1));
        EXPECT_EQ(form.windowTitle(), QStringLiteral("Sorvant v1.2 - ") + path.mid(path.lastIndexOf(QLatin1Char('/')) + 1));
        EXPECT_EQ(form.spreadsheet()->store().RowCount(), rows + 1);
    }
};

TEST_F(DesktopTest, StartArguments)
{
    const struct {
        QStringList args;
        QStringList plain;
        QString open;
        bool warns;
    } cases[] = {
        {{}, {}, {}, false},
        {{QStringLiteral("/logs/a.dat")}, {QStringLiteral("/logs/a.dat")}, {}, false}, // still only the folder
        {{QStringLiteral("my"), QStringLiteral("logs")}, {QStringLiteral("my"), QStringLiteral("logs")}, {}, false},
        {{QStringLiteral("--open"), QStringLiteral("/logs/a b.dat")}, {}, QStringLiteral("/logs/a b.dat"), false},
        {{QStringLiteral("--open"), QStringLiteral("run/../a.dat")}, {}, QStringLiteral("/home/ann/a.dat"), false},
        {{QStringLiteral("--open=/logs/a.dat")}, {}, QStringLiteral("/logs/a.dat"), false},
        {{QStringLiteral("--open"), QStringLiteral("file:///logs/caf%C3%A9.dat")}, {}, QStringLiteral("/logs/café.dat"),
         false},
        {{QStringLiteral("--open")}, {}, {}, false}, // a launcher's %f without a file
        {{QStringLiteral("--open"), QStringLiteral("/a.dat"), QStringLiteral("/b.dat")}, {}, QStringLiteral("/a.dat"),
         true},
        {{QStringLiteral("--open"), QStringLiteral("http://x/a.dat")}, {}, {}, true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.args.join(QLatin1Char('|')).toStdString());
        const StartOptions o = parseStartArguments(c.args, QStringLiteral("/home/ann"));
        EXPECT_EQ(o.plainArguments, c.plain);
        EXPECT_EQ(o.fileToOpen, c.open);
        EXPECT_EQ(!o.warning.isEmpty(), c.warns) << o.warning.toStdString();
    }
}

TEST_F(DesktopTest, AFileFromOutsideOpensAsOpenDoesAndBadOnesOnlyGetAMessage)
{
    auto form = makeForm();
    const QString log = writeCountingLog(QStringLiteral("dryer3.dat"), 100);
    form->openFromOutside(log);
    expectOpenedAsOpenDoes(*form, log, 4); // 100 records at step 25
    EXPECT_TRUE(dialogs.messages.empty());

    dialogs.answerAllMessages = true;
    for (const QString &bad : {temp.filePath(QStringLiteral("gone.dat")), temp.path()}) {
        SCOPED_TRACE(bad.toStdString());
        dialogs.messages.clear();
        form->openFromOutside(bad);
        ASSERT_EQ(dialogs.messages.size(), 1u);
        EXPECT_NE(dialogs.messages[0].text.indexOf(bad), -1);
        EXPECT_EQ(dialogs.messages[0].caption, QStringLiteral("DryerDataSorvant"));
        // Nothing of the shown log changes.
        expectOpenedAsOpenDoes(*form, log, 4);
        EXPECT_EQ(form->RecentFiles.value(1), QString());
    }
}

TEST_F(DesktopTest, AFileFromOutsideWaitsForAnOpenDialog)
{
    auto form = makeForm();
    form->show();
    const QString log = writeCountingLog(QStringLiteral("late.dat"), 50);
    QDialog dialog(form.get());
    dialog.setModal(true);
    dialog.show();
    ASSERT_EQ(QApplication::activeModalWidget(), &dialog);
    form->openFromOutside(log);
    QTest::qWait(300);
    EXPECT_EQ(form->CurrentFile, QString()) << "loaded under an open dialog";
    dialog.reject();
    ASSERT_TRUE(QTest::qWaitFor([&] { return form->CurrentFile == log; }, 3000));
    expectOpenedAsOpenDoes(*form, log, 2);
}

TEST_F(DesktopTest, ADroppedLogLoadsAndSeveralOpenTheFirstWithAMessage)
{
    auto form = makeForm();
    form->show();
    const QString one = writeCountingLog(QStringLiteral("one.dat"), 75);
    const QString two = writeCountingLog(QStringLiteral("two.dat"), 25);
    // A name that is not UTF-8, as a file manager puts it in the URI list.
    const QString latin1 = temp.path() + QLatin1Char('/') + decodeFileName(QByteArrayLiteral("caf\xe9.dat"));
    {
        const QByteArray bytes = writeCountingLog(QStringLiteral("tmp.dat"), 50).toUtf8();
        ASSERT_EQ(::rename(bytes.constData(), encodeFileName(latin1).constData()), 0);
    }

    QMimeData single;
    single.setData(QStringLiteral("text/uri-list"), QUrl::fromLocalFile(one).toEncoded() + "\r\n");
    ASSERT_TRUE(dragAndDrop(form->StringGrid1->viewport(), single));
    expectOpenedAsOpenDoes(*form, one, 3);

    QMimeData several;
    several.setData(QStringLiteral("text/uri-list"),
                    "file://" + QByteArray(encodeFileName(latin1)).toPercentEncoding("/") + "\r\n"
                        + QUrl::fromLocalFile(two).toEncoded() + "\r\n");
    ASSERT_TRUE(dragAndDrop(form.get(), several));
    expectOpenedAsOpenDoes(*form, latin1, 2);
    EXPECT_EQ(form->RecentFiles.value(1), one);
    EXPECT_NE(form->statusText().indexOf(QStringLiteral("1 more")), -1) << form->statusText().toStdString();

    // A folder, or a web address, is not taken at all.
    QMimeData folder;
    folder.setData(QStringLiteral("text/uri-list"),
                   QUrl::fromLocalFile(temp.path()).toEncoded() + "\r\nhttp://example.com/x.dat\r\n");
    EXPECT_FALSE(dragAndDrop(form.get(), folder));
    EXPECT_EQ(form->CurrentFile, latin1);
    // The temporary folder cannot remove a name Qt cannot spell.
    ::unlink(encodeFileName(latin1).constData());
}

TEST_F(DesktopTest, TheNoticeGivesTheStatusTextBack)
{
    auto form = makeForm();
    const QString step = form->statusText();
    form->showNotice(QStringLiteral(" a notice"), 50);
    EXPECT_EQ(form->statusText(), QStringLiteral(" a notice"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return form->statusText() == step; }, 2000));
    // A text set meanwhile (the preferences dialog's) stays.
    form->showNotice(QStringLiteral(" a notice"), 50);
    form->setStatusText(QStringLiteral(" Currently using 1 minute averaging"));
    QTest::qWait(150);
    EXPECT_EQ(form->statusText(), QStringLiteral(" Currently using 1 minute averaging"));
}

TEST_F(DesktopTest, SessionEndClosesWithoutAskingAndSavesOverAnOpenDialog)
{
    auto form = makeForm();
    form->show();
    const QString log = writeCountingLog(QStringLiteral("run.dat"), 30);
    form->openFromOutside(log);
    QDialog dialog(form.get());
    dialog.setModal(true);
    dialog.show();
    form->closeForSessionEnd();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_FALSE(form->isVisible());
    EXPECT_TRUE(dialogs.messages.empty()) << "asked before closing";
    const StoredSettings s = readBack();
    EXPECT_EQ(s.recentFiles.value(0), log);
    EXPECT_EQ(s.lastFolder, temp.path() + QLatin1Char('/'));
}

TEST_F(DesktopTest, StandardShortcutsStandInTheMenus)
{
    auto form = makeForm();
    const struct {
        QAction *item;
        QMenu *menu;
        const char *caption;
        QKeySequence key;
    } items[] = {
        {form->Open1, form->File1, "&Open", QKeySequence(QStringLiteral("Ctrl+O"))},
        {form->PrintFromMenu, form->File1, "&Print", QKeySequence(QStringLiteral("Ctrl+P"))},
        {form->SaveToExcel1, form->File1, "&Export to Spreadsheet file", QKeySequence(QStringLiteral("Ctrl+E"))},
        {form->Exit1, form->File1, "E&xit", QKeySequence(QStringLiteral("Ctrl+X"))},
        {form->Copy1, form->Edit1, "&Copy", QKeySequence(QStringLiteral("Ctrl+C"))},
        {form->SelectAll1, form->Edit1, "Select &All", QKeySequence(QStringLiteral("Ctrl+A"))},
        {form->About1, form->Help1, "&About...", QKeySequence(QStringLiteral("F1"))},
        {form->PreviousPage1, form->Chart1, "&Previous Page", QKeySequence(QStringLiteral("PgUp"))},
        {form->NextPage1, form->Chart1, "&Next Page", QKeySequence(QStringLiteral("PgDown"))},
        {form->FirstPage1, form->Chart1, "&First Page", QKeySequence(QStringLiteral("Home"))},
        {form->LastPage1, form->Chart1, "&Last Page", QKeySequence(QStringLiteral("End"))},
    };
    for (const auto &i : items) {
        SCOPED_TRACE(i.caption);
        ASSERT_NE(i.item, nullptr);
        EXPECT_TRUE(i.menu->actions().contains(i.item));
        EXPECT_EQ(i.item->text(), QLatin1String(i.caption));
        EXPECT_EQ(i.item->shortcut(), i.key);
    }
    // The designed items keep their places: Copy comes before Preferences,
    // the Chart menu before Help.
    const QList<QAction *> edit = form->Edit1->actions();
    EXPECT_EQ(edit.indexOf(form->Copy1), 0);
    EXPECT_EQ(edit.last(), form->Preferences);
    const QList<QAction *> bar = form->MainMenu1->actions();
    EXPECT_EQ(bar.indexOf(form->Chart1->menuAction()) + 1, bar.indexOf(form->Help1->menuAction()));
}

TEST_F(DesktopTest, PageKeysTurnTheChartOnlyWhileItIsShown)
{
    auto form = makeForm();
    form->openFromOutside(writeCountingLog(QStringLiteral("pages.dat"), 25 * 30)); // 30 rows: 3 pages
    ChartModel &chart = form->chartView()->model();
    EXPECT_FALSE(form->NextPage1->isEnabled()) << "the spreadsheet has its own Page Down";
    form->ChangeViewButton->trigger();
    ASSERT_TRUE(form->viewSwitcher()->chartIsCurrent());
    EXPECT_TRUE(form->NextPage1->isEnabled());
    form->NextPage1->trigger();
    EXPECT_EQ(chart.Page(), 2);
    form->LastPage1->trigger();
    EXPECT_EQ(chart.Page(), 3);
    form->NextPage1->trigger();
    EXPECT_EQ(chart.Page(), 3);
    form->PreviousPage1->trigger();
    EXPECT_EQ(chart.Page(), 2);
    EXPECT_EQ(form->ChartScrollBar1->value(), 2);
    form->FirstPage1->trigger();
    EXPECT_EQ(chart.Page(), 1);
    form->ChangeViewButton->trigger();
    EXPECT_FALSE(form->PreviousPage1->isEnabled());
}

class CopyTest : public DesktopTest
{
protected:
    std::unique_ptr<TSorvantMainForm> form;
    void SetUp() override
    {
        DesktopTest::SetUp();
        form = makeForm();
        form->show();
        form->openFromOutside(writeCountingLog(QStringLiteral("copy.dat"), 25 * 4)); // 4 rows
        form->StringGrid1->syncWithStore();
        QGuiApplication::clipboard()->clear();
    }
    void TearDown() override
    {
        form.reset();
        DesktopTest::TearDown();
    }
    QString row(int r) const
    {
        QStringList cells;
        const DataGridStore &s = form->spreadsheet()->store();
        for (int p = 0; p < s.ColCount(); ++p)
            cells << s.Cells(s.columnAt(p), r);
        return cells.join(QLatin1Char('\t')) + QStringLiteral("\r\n");
    }
    // An empty clipboard may have no data at all.
    static QString clipboardText()
    {
        const QMimeData *m = QGuiApplication::clipboard()->mimeData();
        return m ? m->text() : QString();
    }
    static QString clipboardHtml()
    {
        const QMimeData *m = QGuiApplication::clipboard()->mimeData();
        return m ? m->html() : QString();
    }
};

TEST_F(CopyTest, NothingIsSelectedOrDrawnSelectedAtStart)
{
    EXPECT_TRUE(form->StringGrid1->selectedRanges().empty());
    form->Copy1->trigger();
    EXPECT_EQ(clipboardText(), QString());
    EXPECT_NE(form->statusText().indexOf(QStringLiteral("select cells")), -1);
}

TEST_F(CopyTest, ARangeGoesAsTextAndAsAnHtmlTable)
{
    DataGrid *grid = form->StringGrid1;
    // Click the first data cell of "Moisture In", shift-click two rows on in "Moisture Out".
    const QModelIndex from = grid->model()->index(0, 4);
    const QModelIndex to = grid->model()->index(2, 5);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier, grid->visualRect(from).center());
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::ShiftModifier, grid->visualRect(to).center());
    form->Copy1->trigger();
    const DataGridStore &s = form->spreadsheet()->store();
    QString expected;
    for (int r = 1; r <= 3; ++r)
        expected += s.Cells(4, r) + QLatin1Char('\t') + s.Cells(5, r) + QStringLiteral("\r\n");
    EXPECT_EQ(clipboardText(), expected);
    EXPECT_NE(clipboardHtml().indexOf(QStringLiteral("<tr><td>%1</td><td>%2</td></tr>").arg(s.Cells(4, 2), s.Cells(5, 2))),
              -1)
        << clipboardHtml().toStdString();
    EXPECT_EQ(clipboardHtml().indexOf(QStringLiteral("<th>")), -1);
}

TEST_F(CopyTest, HeaderClicksTakeWholeColumnsWithTheHeaderRow)
{
    DataGrid *grid = form->StringGrid1;
    QHeaderView *header = grid->horizontalHeader();
    const auto sectionCentre = [header](int column) {
        return QPoint(header->sectionViewportPosition(column) + header->sectionSize(column) / 2, header->height() / 2);
    };
    QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::NoModifier, sectionCentre(7));
    QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::ControlModifier, sectionCentre(8));
    form->Copy1->trigger();
    const DataGridStore &s = form->spreadsheet()->store();
    QString expected = QStringLiteral("Time\tBin Number\r\n");
    for (int r = 1; r <= 4; ++r)
        expected += s.Cells(7, r) + QLatin1Char('\t') + s.Cells(8, r) + QStringLiteral("\r\n");
    EXPECT_EQ(clipboardText(), expected);
    EXPECT_NE(clipboardHtml().indexOf(QStringLiteral("<tr><th>Time</th><th>Bin Number</th></tr>")), -1);
}

TEST_F(CopyTest, AClickInTheFixedColumnTakesTheWholeRow)
{
    DataGrid *grid = form->StringGrid1;
    QTableView *fixed = grid->fixedColumnView();
    ASSERT_TRUE(fixed->isVisible());
    QTest::mouseClick(fixed->viewport(), Qt::LeftButton, Qt::NoModifier,
                      fixed->visualRect(fixed->model()->index(1, 0)).center());
    form->Copy1->trigger();
    EXPECT_EQ(clipboardText(), row(2));
}

TEST_F(CopyTest, SelectAllTakesEveryRowAndTheDisplayedColumns)
{
    form->spreadsheet()->columnItemClick(8); // "Bin Number" hidden
    form->SelectAll1->trigger();
    form->Copy1->trigger();
    QString expected;
    for (int r = 0; r <= 4; ++r)
        expected += row(r);
    EXPECT_EQ(clipboardText(), expected);
    EXPECT_EQ(clipboardText().count(QLatin1Char('\t')), 5 * 7);
    EXPECT_EQ(clipboardHtml().count(QStringLiteral("<tr>")), 5);
}

TEST_F(CopyTest, WithTheChartShownThePageGoesAsAPicture)
{
    form->ChangeViewButton->trigger();
    EXPECT_FALSE(form->SelectAll1->isEnabled());
    form->Copy1->trigger();
    const QImage image = QGuiApplication::clipboard()->image();
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), form->Chart->size() * form->Chart->devicePixelRatioF());
    // Not a blank picture: the chart's back wall colour is in it.
    bool wall = false;
    for (int y = 0; y < image.height() && !wall; y += 4)
        for (int x = 0; x < image.width() && !wall; x += 4)
            wall = QColor(image.pixel(x, y)) == QColor(252, 236, 207);
    EXPECT_TRUE(wall);
}

} // namespace
} // namespace sorvant::testing
