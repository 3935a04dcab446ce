// The View menu: the overview and Find Out of Range in the window, their
// way to the chart and the spreadsheet, and their values in the settings.
#include "controls/chart/chartmodel.h"
#include "controls/grid/datagrid.h"
#include "controls/grid/datagridmodel.h"
#include "controls/overview/overviewwidget.h"
#include "platform/registryfile.h"
#include "shell/overviewcommands.h"
#include "shellfixture.h"
#include "views/chartview.h"
#include "views/outofrangedialog.h"
#include "views/overviewwindow.h"

#include <QAction>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTreeWidget>

using namespace sorvant;
using namespace sorvant::testing;

namespace {

class OverviewShellTest : public ShellTest
{
protected:
    // 6,000 records (20 hours from 06:00) of Moisture Out 15.0, with
    // 17.0 for records 3000 to 3009.
    QString writeSpikyLog()
    {
        QByteArray bytes;
        for (int i = 0; i < 6000; ++i) {
            const int minute = i / 5;
            const int moistOut = i >= 3000 && i < 3010 ? 170 : 150;
            bytes += recordBytes(90, 621, 215, 665, moistOut, 35, 1, (6 + minute / 60) % 24, minute % 60);
        }
        return writeLog(QStringLiteral("spiky.dat"), bytes);
    }

    std::unique_ptr<TSorvantMainForm> openSpiky()
    {
        auto form = makeForm();
        answerOpen(writeSpikyLog());
        form->show();
        form->OpenButtonClick();
        form->StringGrid1->syncWithStore();
        return form;
    }

    // The chart on the page of `row` and the spreadsheet with `row` current
    // at the top.
    void expectAtRow(TSorvantMainForm &form, int row)
    {
        EXPECT_EQ(form.chartView()->model().Page(), row / 12 + 1);
        EXPECT_EQ(form.ChartScrollBar1->value(), row / 12 + 1);
        EXPECT_EQ(form.StringGrid1->currentIndex().row(), row);
        EXPECT_EQ(form.StringGrid1->rowAt(0), row)
            << "scroll " << form.StringGrid1->verticalScrollBar()->value() << " of "
            << form.StringGrid1->verticalScrollBar()->maximum() << ", fixed "
            << form.StringGrid1->fixedColumnView()->verticalScrollBar()->value() << " of "
            << form.StringGrid1->fixedColumnView()->verticalScrollBar()->maximum() << ", viewport "
            << form.StringGrid1->viewport()->height();
    }
};

TEST_F(OverviewShellTest, ViewMenuStandsBetweenEditAndHelp)
{
    auto form = makeForm();
    QStringList menus;
    for (QAction *a : form->MainMenu1->actions())
        menus << a->text();
    EXPECT_EQ(menus, (QStringList{QStringLiteral("&File"), QStringLiteral("&Edit"), QStringLiteral("&View"),
                                  QStringLiteral("&Chart"), QStringLiteral("&Help")}));
    OverviewCommands &c = *form->overviewCommands();
    EXPECT_EQ(c.Overview1->text(), QStringLiteral("&Overview"));
    EXPECT_EQ(c.Overview1->shortcut(), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O));
    EXPECT_EQ(c.FindOutOfRange1->text(), QStringLiteral("Find Out of &Range..."));
    // Before the first load both open empty, without an error.
    c.Overview1->trigger();
    c.FindOutOfRange1->trigger();
    EXPECT_TRUE(c.overviewWindow()->isVisible());
    EXPECT_TRUE(c.overviewWindow()->overview()->currentLayout().empty);
    EXPECT_EQ(c.findDialog()->spanList()->topLevelItemCount(), 0);
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(OverviewShellTest, AClickInTheOverviewLandsTheChartAndTheSpreadsheet)
{
    auto form = openSpiky();
    OverviewCommands &c = *form->overviewCommands();
    c.Overview1->trigger();
    QCoreApplication::processEvents();
    OverviewWidget *overview = c.overviewWindow()->overview();
    ASSERT_EQ(overview->summary().pointCount(), 6000u);
    // Every record, not the 240 rows of the 5-minute step.
    EXPECT_EQ(overview->summary().whole(1).maximum, 17.0f);

    const OverviewLayout l = overview->currentLayout();
    const int x = int(l.xOf(2510.5));
    const std::size_t clickedRecord = std::size_t(l.pointAt(x));
    QTest::mouseClick(overview, Qt::LeftButton, {}, QPoint(x, int(l.plot.center().y())));
    const int row = int(clickedRecord / 25);
    expectAtRow(*form, row);
    // The row is selected across all columns, so Copy takes it at once.
    const std::vector<GridCellRange> selected = form->StringGrid1->selectedRanges();
    ASSERT_EQ(selected.size(), 1u);
    EXPECT_EQ(selected[0].top, selected[0].bottom);
    EXPECT_EQ(selected[0].top, DataGridModel::storeRow(row));
    EXPECT_EQ(selected[0].left, 0);
    EXPECT_EQ(selected[0].right, form->StringGrid1->model()->columnCount() - 1);

    // The markers follow: the chart's page and the rows at the top.
    ASSERT_EQ(overview->markers().size(), 2u);
    const OverviewSpan &page = overview->markers()[1];
    EXPECT_EQ(page.first, (row / 12) * 12 * 25.0);
    EXPECT_EQ(page.end, (row / 12 + 1) * 12 * 25.0);
    EXPECT_EQ(overview->markers()[0].first, row * 25.0);

    // A zoomed chart goes back to its pages.
    ChartScales zoomed = form->chartView()->model().scales();
    zoomed[int(ChartAxisId::Bottom)] = ChartAxisScale{false, 0, 100};
    form->chartView()->model().zoomTo(zoomed);
    ASSERT_TRUE(form->chartView()->model().isZoomed());
    c.goToRecord(100);
    EXPECT_FALSE(form->chartView()->model().isZoomed());
    expectAtRow(*form, 4);
}

TEST_F(OverviewShellTest, SpansAreListedShadedSavedAndReachedInOneDoubleClick)
{
    auto form = openSpiky();
    OverviewCommands &c = *form->overviewCommands();
    c.Overview1->trigger();
    c.FindOutOfRange1->trigger();
    FindOutOfRangeDialog &d = *c.findDialog();
    d.lowestEdit(1)->setText(QStringLiteral("14"));
    d.highestEdit(1)->setText(QStringLiteral("16"));
    d.findButton()->click();
    ASSERT_EQ(d.spanList()->topLevelItemCount(), 1);
    QTreeWidgetItem *item = d.spanList()->topLevelItem(0);
    EXPECT_EQ(item->text(FindOutOfRangeDialog::ColStart), QStringLiteral("Day 1 16:00"));
    EXPECT_EQ(item->text(FindOutOfRangeDialog::ColDuration), QStringLiteral("0:02:00"));
    EXPECT_EQ(item->text(FindOutOfRangeDialog::ColExtreme), QStringLiteral("17"));
    EXPECT_EQ(item->text(FindOutOfRangeDialog::ColRecords), QStringLiteral("10"));
    ASSERT_EQ(c.overviewWindow()->overview()->shades().size(), 1u);
    EXPECT_EQ(c.overviewWindow()->overview()->shades()[0].first, 3000.0);
    EXPECT_EQ(c.overviewWindow()->overview()->shades()[0].end, 3010.0);

    QCoreApplication::processEvents();
    const QRect r = d.spanList()->visualItemRect(item);
    ASSERT_FALSE(r.isEmpty());
    // A double-click is a press, a release and a second press that is the double-click.
    QTest::mouseClick(d.spanList()->viewport(), Qt::LeftButton, {}, r.center());
    QTest::mouseDClick(d.spanList()->viewport(), Qt::LeftButton, {}, r.center());
    expectAtRow(*form, 120);

    // Enter on the span does the same.
    c.goToRecord(0);
    d.spanList()->setFocus();
    d.spanList()->setCurrentItem(item);
    QTest::keyClick(d.spanList(), Qt::Key_Return);
    expectAtRow(*form, 120);

    FileDialogAnswer save;
    save.accepted = true;
    save.path = temp.filePath(QStringLiteral("out"));
    dialogs.saveAnswers.push_back(save);
    d.saveButton()->click();
    QFile f(temp.filePath(QStringLiteral("out.csv")));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("Quantity,Start Day,Start Time,End Day,End Time,Duration,Extreme,Records\r\n"
                                      "Moisture Out,1,16:00,1,16:01,0:02:00,17,10\r\n"));

    // A limit that is no number is named, and the last limits stay.
    dialogs.answerAllMessages = true;
    d.highestEdit(1)->setText(QStringLiteral("16x"));
    d.findButton()->click();
    ASSERT_FALSE(dialogs.messages.empty());
    EXPECT_TRUE(dialogs.messages.back().text.contains(QStringLiteral("16x")));
    EXPECT_EQ(c.limits()[1].highest, 16.0);
    EXPECT_EQ(c.spans().size(), 1u);

    // A new load finds the spans of the new log at once.
    form->SampleInterval = 5;
    form->LoadLog();
    EXPECT_EQ(c.spans().size(), 1u);
    c.goToRecord(3000);
    form->StringGrid1->syncWithStore();
    expectAtRow(*form, 600);
}

TEST_F(OverviewShellTest, LimitsAndThePlaceOfTheOverviewAreRemembered)
{
    {
        auto form = makeForm();
        Limits limits;
        limits[1].lowest = 14.0;
        limits[1].highest = 16.0;
        limits[3].highest = 120.0;
        form->overviewCommands()->setLimits(limits);
        form->overviewCommands()->Overview1->trigger();
        form->overviewCommands()->overviewWindow()->resize(980, 420);
        form->close();
    }
    RegistryKey key(settingsPath());
    ASSERT_TRUE(key.openKey(QStringLiteral("\\Software\\Sorvant\\Options"), false));
    EXPECT_EQ(key.readString(QStringLiteral("MoistureOutLimits")), QStringLiteral("14:16"));
    EXPECT_EQ(key.readString(QStringLiteral("GrainTempInDryerLimits")), QStringLiteral(":120"));
    EXPECT_TRUE(key.readString(QStringLiteral("OverviewWindow")).endsWith(QStringLiteral(",980,420")));

    auto form = makeForm();
    const Limits &read = form->overviewCommands()->limits();
    EXPECT_EQ(read[1].lowest, 14.0);
    EXPECT_EQ(read[1].highest, 16.0);
    EXPECT_EQ(read[3].highest, 120.0);
    EXPECT_FALSE(read[0].isSet());
    form->overviewCommands()->FindOutOfRange1->trigger();
    EXPECT_EQ(form->overviewCommands()->findDialog()->highestEdit(3)->text(), QStringLiteral("120"));
    form->overviewCommands()->Overview1->trigger();
    EXPECT_EQ(form->overviewCommands()->overviewWindow()->size(), QSize(980, 420));
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(OverviewShellTest, AFaultyStoredLimitIsShownAndKept)
{
    {
        auto form = makeForm(); // the first run writes the defaults
        form->close();
    }
    {
        RegistryKey key(settingsPath());
        ASSERT_TRUE(key.openKey(QStringLiteral("\\Software\\Sorvant\\Options"), false));
        key.writeString(QStringLiteral("MoistureOutLimits"), QStringLiteral("fourteen:16"));
        key.writeInteger(QStringLiteral("MoistureInLimits"), 5);
        key.writeString(QStringLiteral("UnloadRateLimits"), QStringLiteral("0:50"));
    }
    dialogs.messages.clear();
    dialogs.answerAllMessages = true;
    {
        auto form = makeForm();
        ASSERT_EQ(dialogs.messages.size(), 1u);
        EXPECT_EQ(dialogs.messages[0].caption, QStringLiteral("DryerDataSorvant"));
        EXPECT_TRUE(dialogs.messages[0].text.contains(QStringLiteral("'MoistureOutLimits'")));
        EXPECT_TRUE(dialogs.messages[0].text.contains(QStringLiteral("fourteen:16")));
        EXPECT_TRUE(dialogs.messages[0].text.contains(QStringLiteral("'MoistureInLimits'")));
        // The others are read all the same.
        EXPECT_EQ(form->overviewCommands()->limits()[5].highest, 50.0);
        EXPECT_FALSE(form->overviewCommands()->limits()[1].isSet());
        form->close();
    }
    RegistryKey key(settingsPath());
    ASSERT_TRUE(key.openKey(QStringLiteral("\\Software\\Sorvant\\Options"), false));
    EXPECT_EQ(key.readString(QStringLiteral("MoistureOutLimits")), QStringLiteral("fourteen:16"));
    EXPECT_EQ(key.value(QStringLiteral("MoistureInLimits"))->type, RegistryType::Dword);
    {
        // Once the user sets that quantity's limits, they replace it.
        auto form = makeForm();
        Limits limits = form->overviewCommands()->limits();
        limits[1].highest = 16.5;
        form->overviewCommands()->setLimits(limits);
        form->close();
    }
    ASSERT_TRUE(key.openKey(QStringLiteral("\\Software\\Sorvant\\Options"), false));
    EXPECT_EQ(key.readString(QStringLiteral("MoistureOutLimits")), QStringLiteral(":16.5"));
}

} // namespace
