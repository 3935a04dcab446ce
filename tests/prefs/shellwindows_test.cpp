#include "../shell/shellfixture.h"

#include "shell/aboutbox.h"
#include "shell/prefsdialog.h"
#include "shell/shellwindows.h"
#include "shell/windowactivator.h"
#include "views/chartview.h"
#include "views/spreadsheetview.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

namespace sorvant::testing {
namespace {

// The main window with its chart, About box and preferences dialog, as
// start-up builds them.
class ShellWindowsTest : public ShellTest
{
protected:
    std::unique_ptr<TSorvantMainForm> form;
    ChartView *chart = nullptr; // the main window's own
    std::unique_ptr<ShellWindows> windows;

    void start(int storedStep = 25)
    {
        StoredSettings s;
        s.sampleInterval = storedStep;
        s.recentFiles = QStringList{QString(), QString(), QString(), QString(), QString()};
        store(s);
        form = makeForm();
        chart = form->chartView();
        // Found in the main window, as start-up leaves it to be.
        windows = std::make_unique<ShellWindows>(*form);
        form->show();
    }
    void TearDown() override
    {
        windows.reset();
        chart = nullptr;
        form.reset();
        ShellTest::TearDown();
    }

    int dataRows() const { return form->spreadsheet()->store().RowCount() - 1; }
    QRadioButton *step(const char *name) const
    {
        return windows->preferences().findChild<QRadioButton *>(QString::fromLatin1(name));
    }
    int fileErrors() const
    {
        int n = 0;
        for (const auto &m : dialogs.messages)
            n += m.caption == QStringLiteral("File Error") ? 1 : 0;
        return n;
    }
    void openFileMenu() { emit form->File1->aboutToShow(); }
};

// 600 records: 120 rows at 1 minute, 40 at 3, 24 at 5, 8 at 15, 4 at 30.
constexpr int kRecords = 600;

TEST_F(ShellWindowsTest, ThirtyMinutesWithoutALogThenOpenLoadsAtThatStep)
{
    start();
    const QString log = writeCountingLog(QStringLiteral("dryer3.dat"), kRecords);
    const int designedRows = dataRows(); // the empty rows before any load
    form->Preferences->trigger();
    EXPECT_TRUE(windows->preferences().isVisible());
    step("RadioButton3")->click();
    EXPECT_EQ(form->statusText(), QStringLiteral(" Currently using 30 minute averaging"));
    windows->preferences().okButton()->click();
    EXPECT_EQ(dataRows(), designedRows);
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_FALSE(windows->preferences().isVisible());

    answerOpen(log);
    form->Open1->trigger();
    EXPECT_EQ(dataRows(), 4);
    EXPECT_EQ(chart->model().series(0).count(), 4u);
    form->close();
    EXPECT_EQ(readBack().sampleInterval, 150);
}

TEST_F(ShellWindowsTest, FiveThenThreeThenOkReloadsOnceAtThreeMinutes)
{
    start(15);
    const QString log = writeCountingLog(QStringLiteral("dryer3.dat"), kRecords);
    answerOpen(log);
    form->Open1->trigger();
    ASSERT_EQ(dataRows(), 40);

    form->Preferences->trigger();
    step("RadioButton2")->click(); // 5 minutes: used by the next load only
    EXPECT_EQ(dataRows(), 40);
    step("RadioButton4")->click();
    windows->preferences().okButton()->click();
    EXPECT_EQ(dataRows(), 40);
    EXPECT_EQ(form->SampleInterval, 15);

    // Once: with the log gone, that one reload is one "File Error" box.
    dialogs.answerAllMessages = true;
    QFile::remove(log);
    form->Preferences->trigger();
    step("RadioButton2")->click();
    step("RadioButton4")->click();
    windows->preferences().okButton()->click();
    EXPECT_EQ(fileErrors(), 1);
    windows->preferences().okButton()->click();
    EXPECT_EQ(fileErrors(), 1);
}

TEST_F(ShellWindowsTest, StoredStepOfFortySelectsThreeMinutes)
{
    start(40);
    EXPECT_TRUE(step("RadioButton4")->isChecked());
    EXPECT_TRUE(form->statusText().isEmpty());
    step("RadioButton4")->click();
    EXPECT_EQ(form->SampleInterval, 40);
    step("RadioButton5")->click();
    EXPECT_EQ(form->SampleInterval, 75);
    EXPECT_EQ(form->statusText(), QStringLiteral(" Currently using 15 minute averaging"));
}

TEST_F(ShellWindowsTest, MarkersAndThreeDReachAllSixSeriesAndTheChart)
{
    start();
    answerOpen(writeCountingLog(QStringLiteral("dryer3.dat"), kRecords));
    form->Open1->trigger();
    chart->model().series(2).visible = false; // hidden in the legend
    form->Preferences->trigger();
    TForm3 &prefs = windows->preferences();
    prefs.showMarkersBox()->click();
    for (int i = 0; i < kSeriesCount; ++i)
        EXPECT_TRUE(chart->model().series(i).marksVisible) << i;
    prefs.show3dBox()->click();
    EXPECT_TRUE(chart->isView3D());
    // Both survive a reload.
    form->LoadLog();
    EXPECT_TRUE(chart->markersVisible());
    EXPECT_TRUE(chart->isView3D());
    prefs.showMarkersBox()->click();
    prefs.show3dBox()->click();
    for (int i = 0; i < kSeriesCount; ++i)
        EXPECT_FALSE(chart->model().series(i).marksVisible) << i;
    EXPECT_FALSE(chart->isView3D());
    EXPECT_FALSE(prefs.show3dBox()->isChecked());
}

TEST_F(ShellWindowsTest, RecentFilesThroughTheFileMenu)
{
    start();
    openFileMenu();
    EXPECT_FALSE(form->MRUSeparator->isVisible());
    for (QAction *item : form->mruItems())
        EXPECT_FALSE(item->isVisible());

    // Four logs from four folders; the last one chosen names the folder.
    QStringList paths;
    for (int i = 1; i <= 4; ++i) {
        QDir(temp.path()).mkpath(QStringLiteral("f%1").arg(i));
        paths << writeCountingLog(QStringLiteral("f%1/log%1.dat").arg(i), 75 * i);
        answerOpen(paths.last());
        form->Open1->trigger();
    }
    const QStringList order = form->RecentFiles;
    const QString folder = form->LastFolder;
    openFileMenu();
    EXPECT_TRUE(form->MRUSeparator->isVisible());
    EXPECT_EQ(form->MRU3->text(), QStringLiteral("&3 ") + paths[1]);
    EXPECT_FALSE(form->MRU5->isVisible());

    form->MRU3->trigger();
    EXPECT_EQ(form->CurrentFile, paths[1]);
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Sorvant v1.2 - log2.dat"));
    EXPECT_EQ(dataRows(), 6); // 150 records at 5 minutes
    EXPECT_EQ(form->RecentFiles, order);
    EXPECT_EQ(form->LastFolder, folder);
    openFileMenu();
    EXPECT_EQ(form->MRU3->text(), QStringLiteral("&3 ") + paths[1]);

    // A file gone since: the load's own "File Error", and it stays listed.
    QFile::remove(paths[0]);
    dialogs.answerAllMessages = true;
    form->MRU4->trigger();
    EXPECT_EQ(fileErrors(), 1);
    EXPECT_EQ(form->RecentFiles, order);
    EXPECT_EQ(form->CurrentFile, paths[0]);
}

TEST_F(ShellWindowsTest, TwoAboutCommandsGiveOneBoxAndTheMainWindowStaysUsable)
{
    start();
    form->About1->trigger();
    form->About1->trigger();
    int boxes = 0;
    for (QWidget *w : QApplication::topLevelWidgets())
        boxes += (qobject_cast<TAboutBox *>(w) && w->isVisible()) ? 1 : 0;
    EXPECT_EQ(boxes, 1);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);

    // The main window goes on working: the Preferences command and a load.
    form->Preferences->trigger();
    EXPECT_TRUE(windows->preferences().isVisible());
    answerOpen(writeCountingLog(QStringLiteral("dryer3.dat"), kRecords));
    form->Open1->trigger();
    EXPECT_EQ(dataRows(), 24);
    EXPECT_TRUE(windows->aboutBox().isVisible());
}

TEST_F(ShellWindowsTest, SecondStartRaisesTheDialogLastUsed)
{
    start();
    WindowActivator activator(form.get());
    form->Preferences->trigger();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&windows->preferences()));
    windows->preferences().okButton()->setFocus();
    EXPECT_EQ(activator.lastActivePopup(), &windows->preferences());
}

} // namespace
} // namespace sorvant::testing
