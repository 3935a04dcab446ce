#include "mainform.h"

#include "errordisplay.h"
#include "overviewcommands.h"
#include "reportcommand.h"
#include "output/printing/gridprintsettingsdialog.h"
#include "output/exportcommand.h"
#include "pathparts.h"
#include "platform/dialoghost.h"
#include "platform/filenames.h"
#include "recentfiles.h"
#include "views/chartview.h"
#include "views/spreadsheetview.h"
#include "views/viewswitcher.h"

#include <QAction>
#include <QCloseEvent>
#include <QDir>
#include <QLabel>
#include <QPrinter>
#include <QProgressBar>
#include <QScopedValueRollback>
#include <QTimer>

#include <algorithm>

namespace sorvant {

namespace {

QChar firstChar(const QString &text, QChar fallback)
{
    return text.isEmpty() ? fallback : text.front();
}

} // namespace

TSorvantMainForm::TSorvantMainForm(DialogHost &dialogs, const MainFormOptions &options, QWidget *parent)
    : QMainWindow(parent),
      m_dialogs(dialogs),
      m_settingsPath(SettingsStore(options.settingsPath).filePath()),
      m_locale(options.locale),
      m_format(firstChar(options.locale.decimalPoint(), QLatin1Char('.')))
{
    FormCreate(options.arguments);
}

TSorvantMainForm::~TSorvantMainForm() = default;

void TSorvantMainForm::FormCreate(const QStringList &arguments)
{
    setObjectName(QStringLiteral("SorvantMainForm"));
    setWindowTitle(initialCaption());
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(11);
    setFont(font);

    // The spreadsheet's store writes its headers as it is configured, so an
    // empty spreadsheet shows them before any load.
    buildMenus();
    buildToolBar();
    buildPanels();
    buildViews();
    m_progress = std::make_unique<ProgressBarSink>(ProgressBar1);
    m_export = std::make_unique<ExportCommand>(m_dialogs, m_spreadsheet->store());
    connectCommand(SaveToExcel1, [this] { ExportToExcelClick(); });
    connectCommand(ExportButton, [this] { ExportToExcelClick(); });
    m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    buildPrintSettingsDialog();
    connectCommand(PrintSetup1, [this] { PrintSetup1Click(); });
    connectCommand(PrintButton, [this] { PrintButtonClick(); });
    connectCommand(PrintFromMenu, [this] { PrintButtonClick(); });
    connectCommand(PrintPreview1, [this] { PrintPreview1Click(); });
    buildDesktopCommands();
    resize(925, 711);
    centreOnScreen();

    // The command line only chooses where the open dialog starts.
    CommandLinePath = commandLinePath(arguments);
    if (!CommandLinePath.isEmpty())
        LastFolder = commandLineFolder(CommandLinePath, currentFolder());

    RecentFiles.clear();
    StoredSettings stored;
    stored.lastFolder = LastFolder;
    // A faulty value ends the reading with an error box; what was read before
    // it is kept and the window is shown all the same.
    runGuarded([&] { SettingsStore(m_settingsPath).read(stored, !CommandLinePath.isEmpty()); });
    if (CommandLinePath.isEmpty())
        LastFolder = stored.lastFolder;
    // A step that could not be read is the first-run default, not 0 ("All
    // Data Loaded"); what was not read is not written back at close.
    SampleInterval = stored.sampleInterval;
    m_lastFolderKnown = stored.lastFolderKnown;
    m_recentKnown = stored.recentKnown;
    RecentFiles = stored.recentFiles;
    while (RecentFiles.size() < kRecentFileCount)
        RecentFiles.append(QString());

    setStatusText(statusTextForStep(SampleInterval));
    // The View menu reads its own values of the settings file here too.
    m_overviewCommands = new OverviewCommands(*this);
    m_reportCommand = new ReportCommand(*this);
}

void TSorvantMainForm::setChartTargets(SeriesSink *series, std::function<void()> recalcPosition)
{
    if (series) {
        m_seriesSink = series;
        m_recalcPosition = std::move(recalcPosition);
        return;
    }
    m_seriesSink = &m_chartView->seriesSink();
    m_recalcPosition = [this] { m_chartView->RecalcPosition(); };
}

QString TSorvantMainForm::statusText() const
{
    return MessagePanel->text();
}

void TSorvantMainForm::setStatusText(const QString &text)
{
    if (m_noticeTimer)
        m_noticeTimer->stop(); // the new text is not given back to what a notice covered
    MessagePanel->setText(text);
}

void TSorvantMainForm::showFileInCaption(const QString &fileName)
{
    setWindowTitle(captionPrefix() + fileName);
}

void TSorvantMainForm::connectCommand(QAction *action, std::function<void()> command)
{
    connect(action, &QAction::triggered, this, [this, command = std::move(command)] { runGuarded(command); });
}

bool TSorvantMainForm::runGuarded(const std::function<void()> &command)
{
    return sorvant::runGuarded(m_dialogs, this, command);
}

void TSorvantMainForm::OpenButtonClick()
{
    CurrentFile.clear();
    FileDialogRequest request;
    request.title = QStringLiteral("Select Data Log file");
    // "*.*" would hide the many Linux files without a dot in their name.
    request.filter = QStringLiteral("Dryer Log files (*.dat);;All Files (*)");
    request.filterIndex = 1;
    if (!LastFolder.isEmpty())
        request.folder = LastFolder;
    request.fileName.clear();
    const FileDialogAnswer answer = m_dialogs.openFile(this, request);
    if (!answer.accepted || answer.path.isEmpty())
        return;
    OpenFile(QDir::fromNativeSeparators(answer.path));
}

void TSorvantMainForm::OpenFile(const QString &path)
{
    insertRecentFile(RecentFiles, path);
    // The new path and the known ones it pushed down are known places now.
    m_recentKnown = std::min(m_recentKnown + 1, kRecentFileCount);
    LastFolder = folderPart(path);
    if (!LastFolder.isEmpty())
        setCurrentFolder(LastFolder);
    CurrentFileName = fileNamePart(path);
    showFileInCaption(CurrentFileName);
    CurrentFile = path;
    LoadLog();
}

void TSorvantMainForm::LoadLog()
{
    // A file from outside that arrives during the load's error box waits.
    const QScopedValueRollback<bool> loading(m_loading, true);
    LoadTargets targets;
    targets.table = &m_spreadsheet->tableSink();
    targets.series = m_seriesSink;
    targets.progress = m_progress.get();
    targets.recalcPosition = m_recalcPosition;
    targets.showFileError = [this] {
        m_dialogs.messageBox(this, fileErrorText(), fileErrorCaption(), MessageButtons::OkCancel,
                             MessageIcon::None);
    };
    m_loadedStep = effectiveStep(SampleInterval);
    m_lastLoad = sorvant::LoadLog(CurrentFile, SampleInterval, m_store, m_format, targets);
    emit logLoaded();
}

void TSorvantMainForm::ExportToExcelClick()
{
    m_export->ExportToExcelClick(this, decimalSeparator());
}

void TSorvantMainForm::buildPrintSettingsDialog()
{
    // Created once; the tab page and unit the user leaves stay for the run.
    GridPrintSettingsDialog1 = new TGridPrintSettingsDialog(m_dialogs, this);
    GridPrintSettingsDialog1->setObjectName(QStringLiteral("GridPrintSettingsDialog1"));
    GridPrintSettingsDialog1->Caption = QStringLiteral("Print Data Sheet");
    GridPrintSettingsDialog1->IniFile = QStringLiteral("DataLogPrinterSettings");
    GridPrintSettingsDialog1->setOptions(kAllPrintSettingsOptions);
    GridPrintSettingsDialog1->setPrintDimensions(pdmm);
    GridPrintSettingsDialog1->setPrintSettings(&m_spreadsheet->printSettings());
    TGridPrintSettingsForm &form = GridPrintSettingsDialog1->form();
    form.setCommandGuard([this](QWidget *parent, const std::function<void()> &command) {
        sorvant::runGuarded(m_dialogs, parent, command);
    });
}

void TSorvantMainForm::PrintSetup1Click()
{
    if (!m_viewSwitcher->chartIsCurrent())
        GridPrintSettingsDialog1->Execute();
    else
        runPrinterSetup(this);
}

void TSorvantMainForm::Exit1Click()
{
    if (m_dialogs.messageBox(this, QStringLiteral("Exit Sorvant?"), QStringLiteral("Exit Sorvant"),
                             MessageButtons::OkCancel, MessageIcon::Question)
        == MessageAnswer::Ok)
        close();
}

void TSorvantMainForm::closeEvent(QCloseEvent *event)
{
    // Closing is always allowed; only the Exit command asks first.
    FormClose();
    event->accept();
}

void TSorvantMainForm::FormClose()
{
    if (m_settingsWritten)
        return;
    m_settingsWritten = true;
    StoredSettings stored;
    stored.lastFolder = LastFolder;
    stored.sampleInterval = SampleInterval;
    stored.recentFiles = RecentFiles.mid(0, kRecentFileCount);
    stored.lastFolderKnown = m_lastFolderKnown;
    stored.recentKnown = m_recentKnown;
    // A failed write is shown; the window closes all the same.
    runGuarded([&] { SettingsStore(m_settingsPath).write(stored); });
    if (m_overviewCommands)
        runGuarded([&] { m_overviewCommands->saveSettings(); });
    if (m_reportCommand)
        runGuarded([&] { m_reportCommand->saveSettings(); });
}

} // namespace sorvant
