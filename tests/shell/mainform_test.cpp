#include "shellfixture.h"

#include "platform/usererror.h"
#include "shell/sorvantapplication.h"
#include "views/chartview.h"
#include "views/spreadsheetview.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

#include <csignal>
#include <stdexcept>
#include <sys/resource.h>

namespace sorvant::testing {
namespace {


// Limits the size of files this process writes, for as long as it lives;
// the write that would pass the limit fails with EFBIG instead of a signal.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_old);
        rlimit limit = m_old;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }

private:
    rlimit m_old{};
    void (*m_oldHandler)(int) = nullptr;
};

QStringList fiveEmpty()
{
    return {QString(), QString(), QString(), QString(), QString()};
}

TEST_F(ShellTest, FirstRunWritesTheDefaultsAtOnce)
{
    auto form = makeForm();
    ASSERT_TRUE(QFile::exists(settingsPath()));
    QFile f(settingsPath());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(f.readAll());
    EXPECT_TRUE(text.contains(QStringLiteral("\"FilePath\"=\"\""))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("\"SampleInterval\"=dword:00000019"))) << text.toStdString();
    for (int i = 1; i <= 5; ++i)
        EXPECT_TRUE(text.contains(QStringLiteral("\"MRU%1\"=\"\"").arg(i))) << i;

    EXPECT_EQ(form->SampleInterval, 25);
    EXPECT_EQ(form->statusText(), QStringLiteral(" Currently using 5 minute averaging"));
    EXPECT_EQ(form->RecentFiles, fiveEmpty());
    EXPECT_EQ(form->LastFolder, QString());
    EXPECT_FALSE(form->MRUSeparator->isVisible());
    for (QAction *item : form->mruItems())
        EXPECT_FALSE(item->isVisible());
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(ShellTest, StoredStepGivesItsStatusText)
{
    const struct {
        int step;
        const char *text;
    } cases[] = {
        {75, " Currently using 15 minute averaging"},
        {15, " Currently using 3 minute averaging"},
        {150, " Currently using 30 minute averaging"},
        {0, "All Data Loaded"},
        {1, ""}, // used unchanged, but no text belongs to it
    };
    for (const auto &c : cases) {
        store({QStringLiteral("/logs/"), c.step, fiveEmpty()});
        auto form = makeForm();
        EXPECT_EQ(form->SampleInterval, c.step);
        EXPECT_EQ(form->statusText(), QString::fromLatin1(c.text)) << c.step;
        EXPECT_EQ(form->LastFolder, QStringLiteral("/logs/"));
    }
}

TEST_F(ShellTest, WindowAsDesigned)
{
    auto form = makeForm();
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Sorvant v1.2"));
    EXPECT_EQ(form->size(), QSize(925, 711));
    // Centred, but never with its caption above a screen that is too small
    // (the offscreen screen is 800 x 600).
    const QRect area = form->screen()->availableGeometry();
    EXPECT_GE(form->frameGeometry().top(), area.top());
    EXPECT_GE(form->frameGeometry().left(), area.left());
    if (area.width() >= 925) {
        EXPECT_NEAR(form->frameGeometry().center().x(), area.center().x(), 2);
    }
    EXPECT_EQ(form->ToolBar1->toolTip(), QStringLiteral("Select one of the Toolbar buttons"));
    EXPECT_EQ(form->MessagePanel->height(), 20);
    EXPECT_FALSE(form->ProgressBar1->isVisibleTo(form.get()));
    EXPECT_EQ(form->ProgressBar1->parentWidget(), form->MessagePanel);
    EXPECT_TRUE(form->StringGrid1->isVisibleTo(form.get()));
    EXPECT_EQ(form->StringGrid1->parentWidget(), form->Panel1);

    const struct {
        QAction *action;
        const char *name, *tip;
    } buttons[] = {
        {form->OpenButton1, "OpenButton1", "Open a DAT file to View"},
        {form->PrintButton, "PrintButton", "Prints the current view of the graph"},
        {form->ChangeViewButton, "ChangeViewButton", "Changes from spreadsheet to chart view"},
        {form->ExportButton, "ExportButton", "Save the data log to a spreadsheet file"},
        {form->ExitButton, "ExitButton", "Exits the program"},
    };
    int previousX = -1;
    for (const auto &b : buttons) {
        EXPECT_EQ(b.action->objectName(), QLatin1String(b.name));
        EXPECT_EQ(b.action->toolTip(), QLatin1String(b.tip));
        auto *widget = qobject_cast<QToolButton *>(form->ToolBar1->widgetForAction(b.action));
        ASSERT_NE(widget, nullptr) << b.name;
        EXPECT_EQ(widget->size(), QSize(39, 38)) << b.name;
        EXPECT_EQ(widget->iconSize(), QSize(32, 32)) << b.name;
        EXPECT_GT(widget->x(), previousX) << b.name << " stands left of its predecessor";
        previousX = widget->x();
    }
    // Captions show in the toolbar's overflow menu and to screen readers.
    EXPECT_EQ(form->ExportButton->text(), QStringLiteral("Export Button"));
    EXPECT_EQ(form->ChangeViewButton->text(), QStringLiteral("Change View Button"));

    // Menus: captions, order and the one shortcut.
    const QList<QAction *> file = form->File1->actions();
    QStringList fileNames;
    for (QAction *a : file)
        fileNames << a->objectName();
    EXPECT_EQ(fileNames, (QStringList{QStringLiteral("Open1"), QStringLiteral("PrintFromMenu"),
                                      QStringLiteral("PrintReport1"), QStringLiteral("PrintPreview1"), QStringLiteral("PrintSetup1"), QStringLiteral("SaveToExcel1"),
                                      QStringLiteral("MRUSeparator"), QStringLiteral("MRU1"), QStringLiteral("MRU2"),
                                      QStringLiteral("MRU3"), QStringLiteral("MRU4"), QStringLiteral("MRU5"),
                                      QStringLiteral("N1"), QStringLiteral("Exit1")}));
    const struct {
        QAction *action;
        const char *caption;
    } items[] = {
        {form->File1->menuAction(), "&File"},
        {form->Open1, "&Open"},
        {form->PrintFromMenu, "&Print"},
        {form->PrintPreview1, "Print Pre&view"},
        {form->PrintSetup1, "Print &Setup"},
        {form->SaveToExcel1, "&Export to Spreadsheet file"},
        {form->Exit1, "E&xit"},
        {form->Preferences, "&Preferences"},
        {form->About1, "&About..."},
    };
    for (const auto &i : items)
        EXPECT_EQ(i.action->text(), QLatin1String(i.caption));
    EXPECT_EQ(form->Exit1->shortcut(), QKeySequence(QStringLiteral("Ctrl+X")));
    EXPECT_EQ(form->PrintPreview1->shortcut(), QKeySequence(QStringLiteral("Ctrl+Shift+P")));
    EXPECT_TRUE(form->MRUSeparator->isSeparator());
    EXPECT_TRUE(form->N1->isSeparator());
    EXPECT_EQ(form->Preferences->parent(), form->Edit1);
    EXPECT_EQ(form->About1->parent(), form->Help1);
}

TEST_F(ShellTest, CommandLineSetsTheOpenFolderLoadsNothingAndIsSaved)
{
    store({QStringLiteral("/stored/folder/"), 25, fiveEmpty()});
    auto form = makeForm({QStringLiteral("/srv/my"), QStringLiteral("logs/dryer 3.dat")});
    EXPECT_EQ(form->CommandLinePath, QStringLiteral("/srv/my logs/dryer 3.dat"));
    EXPECT_EQ(form->LastFolder, QStringLiteral("/srv/my logs/"));
    EXPECT_EQ(form->CurrentFile, QString());
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Sorvant v1.2"));
    EXPECT_EQ(form->spreadsheet()->store().RowCount(), 5000);

    cancelOpen();
    form->OpenButtonClick();
    ASSERT_EQ(dialogs.openRequests.size(), 1u);
    EXPECT_EQ(dialogs.openRequests[0].folder, QStringLiteral("/srv/my logs/"));

    form->close();
    EXPECT_EQ(readBack().lastFolder, QStringLiteral("/srv/my logs/"));
}

TEST_F(ShellTest, RelativeCommandLinePathIsStoredAbsolute)
{
    const QString started = QDir::currentPath();
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    const QString homePath = QDir(home.path()).canonicalPath();
    ASSERT_TRUE(QDir::setCurrent(homePath));
    auto form = makeForm({QStringLiteral("logs/dryer3.dat")});
    QDir::setCurrent(started);
    EXPECT_EQ(form->LastFolder, homePath + QStringLiteral("/logs/"));
    form->close();
    EXPECT_EQ(readBack().lastFolder, homePath + QStringLiteral("/logs/"));
}

TEST_F(ShellTest, EmptyFirstArgumentIsNoCommandLine)
{
    store({QStringLiteral("/stored/folder/"), 25, fiveEmpty()});
    auto form = makeForm({QString(), QStringLiteral("/ignored/x.dat")});
    EXPECT_EQ(form->CommandLinePath, QString());
    EXPECT_EQ(form->LastFolder, QStringLiteral("/stored/folder/"));
    // Without a command line the open dialog starts in the stored folder.
    cancelOpen();
    form->OpenButtonClick();
    ASSERT_EQ(dialogs.openRequests.size(), 1u);
    EXPECT_EQ(dialogs.openRequests[0].folder, QStringLiteral("/stored/folder/"));
}

TEST_F(ShellTest, OpenLoadsAndUpdatesStateThenCancelKeepsTheViews)
{
    store({QString(), 25, fiveEmpty()});
    auto form = makeForm();
    // 51 records at step 25: records 0, 25 and 50.
    const QString path = writeCountingLog(QStringLiteral("dryer3.dat"), 51);
    answerOpen(path);
    form->Open1->trigger();

    ASSERT_EQ(dialogs.openRequests.size(), 1u);
    const FileDialogRequest &request = dialogs.openRequests[0];
    EXPECT_EQ(request.title, QStringLiteral("Select Data Log file"));
    EXPECT_TRUE(request.filter.startsWith(QStringLiteral("Dryer Log files (*.dat);;All Files (")));
    EXPECT_EQ(request.filterIndex, 1);
    EXPECT_EQ(request.folder, QString()); // nothing stored yet
    EXPECT_EQ(request.fileName, QString());

    const QString folder = temp.path() + QLatin1Char('/');
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Sorvant v1.2 - dryer3.dat"));
    EXPECT_EQ(form->CurrentFile, path);
    EXPECT_EQ(form->CurrentFileName, QStringLiteral("dryer3.dat"));
    EXPECT_EQ(form->LastFolder, folder);
    EXPECT_EQ(QDir::currentPath() + QLatin1Char('/'), folder);
    EXPECT_EQ(form->RecentFiles, (QStringList{path, QString(), QString(), QString(), QString()}));

    const DataGridStore &grid = form->spreadsheet()->store();
    EXPECT_EQ(grid.RowCount(), 4);
    EXPECT_EQ(grid.Cells(0, 0), QStringLiteral("Record #"));
    EXPECT_EQ(grid.Cells(0, 3), QStringLiteral("3"));
    EXPECT_EQ(grid.Cells(4, 3), QStringLiteral("21.5"));
    EXPECT_EQ(grid.Cells(7, 3), QStringLiteral("14:50")); // record 50
    // Series1 (moisture in) of the chart holds the same three records.
    const TLineSeries &series1 = form->chartView()->model().series(kChartPositionOfSeries[0]);
    ASSERT_EQ(series1.count(), 3u);
    EXPECT_EQ(series1.x(2), 50.0);
    EXPECT_EQ(series1.y(2), 21.5);
    EXPECT_FALSE(form->ProgressBar1->isVisibleTo(form.get()));
    EXPECT_TRUE(dialogs.messages.empty());

    // The next Open starts in the folder, and a cancel keeps everything shown.
    cancelOpen();
    form->OpenButton1->trigger();
    ASSERT_EQ(dialogs.openRequests.size(), 2u);
    EXPECT_EQ(dialogs.openRequests[1].folder, folder);
    EXPECT_EQ(form->CurrentFile, QString());
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Sorvant v1.2 - dryer3.dat"));
    EXPECT_EQ(grid.RowCount(), 4);
    EXPECT_EQ(grid.Cells(7, 3), QStringLiteral("14:50"));
    EXPECT_EQ(form->RecentFiles[0], path);
    EXPECT_EQ(form->RecentFiles[1], QString());
}

TEST_F(ShellTest, OpenKeepsFiveRecentFilesNewestFirst)
{
    store({QString(), 25, fiveEmpty()});
    auto form = makeForm();
    QStringList paths;
    for (int i = 0; i < 6; ++i) {
        paths << writeCountingLog(QStringLiteral("log%1.dat").arg(i), 1);
        answerOpen(paths.last());
        form->OpenButtonClick();
    }
    EXPECT_EQ(form->RecentFiles, (QStringList{paths[5], paths[4], paths[3], paths[2], paths[1]}));
    form->close();
    EXPECT_EQ(readBack().recentFiles, form->RecentFiles);
}

TEST_F(ShellTest, MissingFileShowsFileErrorThenHeaderRowOnly)
{
    store({QString(), 25, fiveEmpty()});
    auto form = makeForm();
    answerOpen(writeCountingLog(QStringLiteral("good.dat"), 30));
    form->OpenButtonClick();
    ASSERT_EQ(form->spreadsheet()->store().RowCount(), 3);

    const QString missing = temp.filePath(QStringLiteral("gone.dat"));
    answerOpen(missing);
    dialogs.messageAnswers.push_back(MessageAnswer::Cancel); // either answer just closes the box
    form->OpenButtonClick();

    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text,
              QStringLiteral("Can't perform one of the following file operations: Open, Seek, Read, Close."));
    EXPECT_EQ(dialogs.messages[0].caption, QStringLiteral("File Error"));
    EXPECT_EQ(dialogs.messages[0].buttons, MessageButtons::OkCancel);
    EXPECT_EQ(dialogs.messages[0].icon, MessageIcon::None);
    EXPECT_EQ(form->spreadsheet()->store().RowCount(), 1);
    EXPECT_EQ(form->spreadsheet()->store().Cells(0, 0), QStringLiteral("Record #"));
    EXPECT_FALSE(form->ProgressBar1->isVisibleTo(form.get()));
    // The caption and CurrentFile change before the load and stay changed.
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Sorvant v1.2 - gone.dat"));
    EXPECT_EQ(form->CurrentFile, missing);
    EXPECT_EQ(form->RecentFiles[0], missing);
}

TEST_F(ShellTest, ExitAsksAndCancelDoesNothing)
{
    store({QStringLiteral("/before/"), 25, fiveEmpty()});
    auto form = makeForm();
    form->show();
    form->LastFolder = QStringLiteral("/after/");

    dialogs.messageAnswers.push_back(MessageAnswer::Cancel);
    form->Exit1->trigger();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, QStringLiteral("Exit Sorvant?"));
    EXPECT_EQ(dialogs.messages[0].caption, QStringLiteral("Exit Sorvant"));
    EXPECT_EQ(dialogs.messages[0].buttons, MessageButtons::OkCancel);
    EXPECT_EQ(dialogs.messages[0].icon, MessageIcon::Question);
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(readBack().lastFolder, QStringLiteral("/before/"));

    dialogs.messageAnswers.push_back(MessageAnswer::Ok);
    form->ExitButton->trigger();
    EXPECT_EQ(dialogs.messages.size(), 2u);
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(readBack().lastFolder, QStringLiteral("/after/"));
}

TEST_F(ShellTest, CtrlXRunsExit)
{
    auto form = makeForm();
    form->show();
    QApplication::setActiveWindow(form.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    dialogs.messageAnswers.push_back(MessageAnswer::Cancel);
    QTest::keyClick(form.get(), Qt::Key_X, Qt::ControlModifier);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, QStringLiteral("Exit Sorvant?"));
    EXPECT_TRUE(form->isVisible());
}

TEST_F(ShellTest, CloseSavesWithoutAsking)
{
    store({QStringLiteral("/before/"), 75, fiveEmpty()});
    auto form = makeForm();
    form->show();
    form->LastFolder = QStringLiteral("/ann/logs/");
    form->SampleInterval = 150;
    form->RecentFiles = QStringList{QStringLiteral("/a.dat"), QStringLiteral("/b \"x\" \\.dat"),
                                    QStringLiteral("/c.dat"), QString(), QStringLiteral("/e.dat")};
    EXPECT_TRUE(form->close());
    EXPECT_TRUE(dialogs.messages.empty());
    const StoredSettings s = readBack();
    EXPECT_EQ(s.lastFolder, QStringLiteral("/ann/logs/"));
    EXPECT_EQ(s.sampleInterval, 150);
    EXPECT_EQ(s.recentFiles, form->RecentFiles);
}

TEST_F(ShellTest, SettingsThatCannotBeCreatedShowTheErrorAndTheWindowStillWorks)
{
    // The settings folder's place is taken by a file, so nothing can be
    // created there, whoever runs the test.
    QFile blocker(temp.filePath(QStringLiteral("config")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();

    dialogs.answerAllMessages = true;
    auto form = makeForm();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, QStringLiteral("Failed to set data for 'FilePath'"));
    EXPECT_EQ(dialogs.messages[0].caption, QStringLiteral("DryerDataSorvant"));
    EXPECT_EQ(dialogs.messages[0].icon, MessageIcon::Error);
    EXPECT_EQ(dialogs.messages[0].buttons, MessageButtons::Ok);
    EXPECT_EQ(form->RecentFiles, fiveEmpty());
    EXPECT_EQ(form->statusText(), QStringLiteral(" Currently using 5 minute averaging"));

    // A load still runs, at the first-run step.
    answerOpen(writeCountingLog(QStringLiteral("small.dat"), 30));
    form->OpenButtonClick();
    EXPECT_EQ(form->spreadsheet()->store().RowCount(), 3);

    // A key that cannot be opened at closing is skipped without a message.
    form->show();
    EXPECT_TRUE(form->close());
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(dialogs.messages.size(), 1u);
}

TEST_F(ShellTest, AFaultySettingKeepsTheStoredRecentFilesAndTheDefaultStep)
{
    const QByteArray head = "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software\\Sorvant\\Options]\n"
                            "\"FilePath\"=\"/logs/\"\n";
    const QByteArray mru = "\"MRU1\"=\"/a\"\n\"MRU2\"=\"/b\"\n\"MRU3\"=\"/c\"\n\"MRU4\"=\"/d\"\n\"MRU5\"=\"/e\"\n";
    ASSERT_TRUE(QDir().mkpath(QFileInfo(settingsPath()).absolutePath()));
    const auto writeSettings = [&](const QByteArray &bytes) {
        QFile f(settingsPath());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    };
    const auto settingsText = [&] {
        QFile f(settingsPath());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    };
    dialogs.answerAllMessages = true;

    // Five recent paths after a SampleInterval that cannot be read.
    writeSettings(head + "\"SampleInterval\"=hex:19,00,00,00\n" + mru);
    {
        auto form = makeForm();
        ASSERT_EQ(dialogs.messages.size(), 1u);
        EXPECT_EQ(dialogs.messages[0].text, QStringLiteral("Invalid data type for 'SampleInterval'"));
        EXPECT_EQ(form->SampleInterval, 25);
        EXPECT_EQ(form->statusText(), QStringLiteral(" Currently using 5 minute averaging"));
        answerOpen(writeCountingLog(QStringLiteral("log.dat"), 50));
        form->OpenButtonClick();
        EXPECT_EQ(form->spreadsheet()->store().RowCount(), 3); // 50 records at step 25
        form->close();
    }
    // The open took the first place; the other four are still the stored ones.
    const QString opened = temp.filePath(QStringLiteral("log.dat"));
    QByteArray expected = head;
    expected.replace("/logs/", QFileInfo(opened).absolutePath().toUtf8() + '/');
    EXPECT_EQ(settingsText(), expected + "\"SampleInterval\"=dword:00000019\n\"MRU1\"=\"" + opened.toUtf8()
                                  + "\"\n\"MRU2\"=\"/b\"\n\"MRU3\"=\"/c\"\n\"MRU4\"=\"/d\"\n\"MRU5\"=\"/e\"\n");

    // A faulty MRU2: MRU1 was read; with no open, nothing after it changes.
    dialogs.messages.clear();
    const QByteArray faultyMru2 = head + "\"SampleInterval\"=dword:0000000f\n\"MRU1\"=\"/a\"\n\"MRU2\"=hex:2f,00\n"
                                         "\"MRU3\"=\"/c\"\n\"MRU4\"=\"/d\"\n\"MRU5\"=\"/e\"\n";
    writeSettings(faultyMru2);
    makeForm()->close();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, QStringLiteral("Invalid data type for 'MRU2'"));
    EXPECT_EQ(settingsText(), faultyMru2);
    // Two opens push /a down to the third place; MRU4 and MRU5 stay.
    writeSettings(faultyMru2);
    {
        auto form = makeForm();
        for (const char *name : {"x.dat", "y.dat"}) {
            answerOpen(writeCountingLog(QString::fromLatin1(name), 5));
            form->OpenButtonClick();
        }
        form->close();
    }
    const StoredSettings s = readBack();
    EXPECT_EQ(s.recentFiles, (QStringList{temp.filePath(QStringLiteral("y.dat")), temp.filePath(QStringLiteral("x.dat")),
                                          QStringLiteral("/a"), QStringLiteral("/d"), QStringLiteral("/e")}));
    EXPECT_EQ(s.sampleInterval, 15);
}

TEST_F(ShellTest, FailedWriteAtCloseIsShownAndTheWindowStillCloses)
{
    store({QStringLiteral("/before/"), 25, fiveEmpty()});
    auto form = makeForm();
    form->show();
    form->LastFolder = QStringLiteral("/a/much/longer/folder/than/the/file/may/hold/now/");
    dialogs.answerAllMessages = true;
    {
        // Files may not grow beyond a few bytes while closing: the save fails
        // for any user, root included.
        FileSizeLimit limit(16);
        EXPECT_TRUE(form->close());
    }
    EXPECT_FALSE(form->isVisible());
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, QStringLiteral("Failed to set data for 'FilePath'"));
    EXPECT_EQ(dialogs.messages[0].caption, QStringLiteral("DryerDataSorvant"));
    // Nothing half-written: the stored settings are still the old ones.
    EXPECT_EQ(readBack().lastFolder, QStringLiteral("/before/"));
}

TEST_F(ShellTest, ErrorDisplayAppendsAFullStopAfterTextsThatSortAfterIt)
{
    auto form = makeForm();
    const struct {
        std::function<void()> command;
        const char *shown;
    } cases[] = {
        {[] { throw UserError(QStringLiteral("Cannot Create file out.csv")); }, "Cannot Create file out.csv."},
        {[] { throw UserError(QStringLiteral("Failed to get data for 'SampleInterval'")); },
         "Failed to get data for 'SampleInterval'"}, // '\'' sorts before '.'
        {[] { throw UserError(QStringLiteral("Excel OLE server not found")); }, "Excel OLE server not found."},
        {[] { throw UserError(QStringLiteral("Already ends.")); }, "Already ends."},
        {[] { throw UserError(QStringLiteral("Stop!")); }, "Stop!"},      // '!' sorts before '.'
        {[] { throw UserError(QStringLiteral("a / b")); }, "a / b."},     // '/' sorts after '.'
        {[] { throw UserError(QStringLiteral("minus -")); }, "minus -"},  // '-' sorts before '.'
        {[] { throw std::runtime_error("disk full"); }, "disk full."},
        {[] { throw UserError(QString()); }, ""},
    };
    dialogs.answerAllMessages = true;
    for (const auto &c : cases) {
        dialogs.messages.clear();
        EXPECT_FALSE(form->runGuarded(c.command));
        ASSERT_EQ(dialogs.messages.size(), 1u);
        EXPECT_EQ(dialogs.messages[0].text, QString::fromUtf8(c.shown));
        EXPECT_EQ(dialogs.messages[0].caption, QStringLiteral("DryerDataSorvant"));
        EXPECT_EQ(dialogs.messages[0].icon, MessageIcon::Error);
        EXPECT_EQ(dialogs.messages[0].buttons, MessageButtons::Ok);
    }

    // A command wired through connectCommand is guarded the same way.
    dialogs.messages.clear();
    QAction command;
    form->connectCommand(&command, [] { throw UserError(QStringLiteral("No printer")); });
    command.trigger();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, QStringLiteral("No printer."));
    EXPECT_TRUE(form->runGuarded([] {}));
}

// An object whose event handler fails, as a command wired without its guard would.
class FailingObject : public QObject
{
public:
    bool event(QEvent *e) override
    {
        if (e->type() == QEvent::User)
            throw UserError(QStringLiteral("Cannot Create file /x/out.csv"));
        return QObject::event(e);
    }
};

TEST_F(ShellTest, ErrorEscapingAnEventIsShownAndTheProgramGoesOn)
{
    auto form = makeForm();
    auto *app = static_cast<SorvantApplication *>(QCoreApplication::instance());
    app->setErrorDisplay(&dialogs, form.get());
    dialogs.answerAllMessages = true;
    FailingObject failing;
    QEvent event(QEvent::User);
    EXPECT_FALSE(QCoreApplication::sendEvent(&failing, &event));
    // Posted events fail inside the event loop's dispatch just the same.
    QCoreApplication::postEvent(&failing, new QEvent(QEvent::User));
    QCoreApplication::sendPostedEvents(&failing, QEvent::User);
    app->setErrorDisplay(nullptr, nullptr);

    ASSERT_EQ(dialogs.messages.size(), 2u);
    for (const auto &m : dialogs.messages) {
        EXPECT_EQ(m.text, QStringLiteral("Cannot Create file /x/out.csv."));
        EXPECT_EQ(m.caption, QStringLiteral("DryerDataSorvant"));
        EXPECT_EQ(m.icon, MessageIcon::Error);
    }
}

TEST_F(ShellTest, ChangeViewButtonFlipsBetweenSpreadsheetAndChart)
{
    auto form = makeForm();
    form->show();
    EXPECT_TRUE(form->StringGrid1->isVisible());
    EXPECT_FALSE(form->Chart->isVisible());
    EXPECT_FALSE(form->ChartScrollBar1->isVisible());
    EXPECT_EQ(form->Chart->parentWidget(), form->Panel1);

    form->ChangeViewButton->trigger();
    EXPECT_FALSE(form->StringGrid1->isVisible());
    EXPECT_TRUE(form->Chart->isVisible());
    EXPECT_TRUE(form->ChartScrollBar1->isVisible());
    // The scroll bar sits between the chart and the status panel.
    EXPECT_LE(form->Chart->geometry().bottom(), form->ChartScrollBar1->geometry().top());
    EXPECT_LE(form->ChartScrollBar1->geometry().bottom(), form->MessagePanel->geometry().top());

    form->ChangeViewButton->trigger();
    EXPECT_TRUE(form->StringGrid1->isVisible());
    EXPECT_FALSE(form->Chart->isVisible());
    EXPECT_FALSE(form->ChartScrollBar1->isVisible());
}

// Another series sink can take the load's points instead of the chart.
class CountingSeries : public SeriesSink
{
public:
    int points = 0, clears = 0;
    void Clear(int) override { ++clears; }
    void AddXY(int, double, double, std::string_view) override { ++points; }
};

TEST_F(ShellTest, ChartTargetsCanBeReplacedAndRestored)
{
    store({QString(), 5, fiveEmpty()});
    auto form = makeForm();
    CountingSeries chart;
    int recalcs = 0;
    form->setChartTargets(&chart, [&] { ++recalcs; });
    answerOpen(writeCountingLog(QStringLiteral("c.dat"), 11)); // records 0, 5, 10
    form->OpenButtonClick();
    EXPECT_EQ(chart.clears, 6);
    EXPECT_EQ(chart.points, 18);
    EXPECT_EQ(recalcs, 1);
    // Back to the window's own chart.
    form->setChartTargets(nullptr, {});
    form->LoadLog();
    EXPECT_EQ(form->chartView()->model().series(kChartPositionOfSeries[0]).count(), 3u);
    EXPECT_EQ(chart.points, 18);
}

} // namespace
} // namespace sorvant::testing
