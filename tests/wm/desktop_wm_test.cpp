// The main window as a new user tries it on a real desktop (openbox in
// Xvfb): a log dropped on the window opens, and real key presses (xdotool
// through the X server) reach the menu shortcuts: Ctrl+A and Ctrl+C copy
// the spreadsheet, Page Down turns the chart.

#include "wmfixture.h"

#include "controls/chart/chartmodel.h"
#include "controls/grid/datagrid.h"
#include "shell/shellwindows.h"
#include "views/chartview.h"
#include "views/spreadsheetview.h"
#include "views/viewswitcher.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDropEvent>
#include <QMenu>
#include <QMimeData>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>
#include <QUrl>

namespace sorvant::testing {
namespace {

class WmDesktopTest : public WmShellTest
{
protected:
    std::unique_ptr<ShellWindows> windows;

    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(makeFormOnDesktop());
        windows = std::make_unique<ShellWindows>(*form);
        ASSERT_NO_FATAL_FAILURE(showActive());
    }
    void TearDown() override
    {
        windows.reset();
        WmShellTest::TearDown();
    }

    // A key press as the X server delivers it to the window with the focus.
    static void pressKeys(const QString &keys)
    {
        const QString xdotool = QStandardPaths::findExecutable(QStringLiteral("xdotool"));
        ASSERT_FALSE(xdotool.isEmpty()) << "xdotool is not installed (scripts/install-deps.sh installs it)";
        QProcess p;
        p.start(xdotool, {QStringLiteral("key"), QStringLiteral("--clearmodifiers"), keys});
        ASSERT_TRUE(p.waitForFinished(kWaitMs));
        ASSERT_EQ(p.exitCode(), 0);
    }

    // The drop as the window under the screen point receives it.
    void dropOnWindow(const QList<QUrl> &urls)
    {
        const QPoint global = form->mapToGlobal(form->rect().center());
        QWidget *target = QApplication::widgetAt(global);
        ASSERT_NE(target, nullptr);
        ASSERT_EQ(target->window(), form.get());
        QMimeData data;
        data.setUrls(urls);
        const QPoint at = target->mapFromGlobal(global);
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &enter);
        ASSERT_TRUE(enter.isAccepted());
        QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &drop);
        ASSERT_TRUE(drop.isAccepted());
    }
};

TEST_F(WmDesktopTest, ADroppedLogOpensAndTheKeysCopyAndTurnPages)
{
    const QString log = writeCountingLog(QStringLiteral("dropped.dat"), 25 * 30); // 30 rows, 3 chart pages
    dropOnWindow({QUrl::fromLocalFile(log)});
    ASSERT_TRUE(QTest::qWaitFor([&] { return form->CurrentFile == log; }, kWaitMs));
    EXPECT_EQ(form->RecentFiles.value(0), log);
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Sorvant v1.2 - dropped.dat"));
    EXPECT_EQ(form->spreadsheet()->store().RowCount(), 31);
    // The File menu lists it as a recent file.
    form->File1->popup(form->mapToGlobal(QPoint(0, 0)));
    ASSERT_TRUE(QTest::qWaitFor([&] { return form->MRU1->isVisible(); }, kWaitMs));
    EXPECT_EQ(form->MRU1->text(), QStringLiteral("&1 ") + log);
    form->File1->hide();

    form->StringGrid1->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::focusWidget() == form->StringGrid1; }, kWaitMs));
    QGuiApplication::clipboard()->clear();
    pressKeys(QStringLiteral("ctrl+a"));
    pressKeys(QStringLiteral("ctrl+c"));
    ASSERT_TRUE(QTest::qWaitFor(
        [] {
            const QMimeData *m = QGuiApplication::clipboard()->mimeData();
            return m && m->hasText();
        },
        kWaitMs));
    const QStringList lines = QGuiApplication::clipboard()->text().split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 31);
    EXPECT_EQ(lines[0], QStringLiteral("Record #\tWet Grain Temp\tGrain Temp Inside Dryer\tDried Grain Temp\t"
                                       "Moisture In\tMoisture Out\tUnload Rate\tTime\tBin Number"));
    EXPECT_TRUE(QGuiApplication::clipboard()->mimeData()->hasHtml());

    form->ChangeViewButton->trigger();
    ASSERT_TRUE(form->viewSwitcher()->chartIsCurrent());
    pressKeys(QStringLiteral("Next"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return form->chartView()->model().Page() == 2; }, kWaitMs));
    pressKeys(QStringLiteral("End"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return form->chartView()->model().Page() == 3; }, kWaitMs));
    EXPECT_EQ(form->ChartScrollBar1->value(), 3);
}

} // namespace
} // namespace sorvant::testing
