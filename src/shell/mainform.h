#pragma once

#include "logdata/celltext.h"
#include "logdata/loadlog.h"
#include "logdata/logstore.h"
#include "progresssink.h"
#include "recentfiles.h"
#include "settingsstore.h"

#include <QLocale>
#include <QMainWindow>
#include <QStringList>

#include <array>
#include <functional>
#include <memory>

class DataGrid;
class QAction;
class QDragEnterEvent;
class QDragMoveEvent;
class QDropEvent;
class QTimer;
class QLabel;
class QMenu;
class QMenuBar;
class QPrinter;
class QProgressBar;
class QScrollBar;
class QToolBar;

namespace sorvant {

class ChartView;
class DialogHost;
class OverviewCommands;
class ReportCommand;
class SeriesSink;
class ExportCommand;
class SpreadsheetView;
class TGridPrintSettingsDialog;
class ViewSwitcher;

// What the main window needs from outside; tests fill it with temporary
// paths and a pinned locale.
struct MainFormOptions {
    QStringList arguments;   // the program's arguments, without its name (no --open)
    QString settingsPath;    // empty: the user's Sorvant.reg
    QLocale locale = QLocale::system(); // decimal separator of the cell texts
};

// Sorvant's main window. It holds the program's state (which file is shown,
// at which step, the remembered folder, the recent files), runs the Open and
// Exit commands and the load, and offers its named components to the
// commands that later parts wire in through connectCommand().
class TSorvantMainForm : public QMainWindow
{
    Q_OBJECT
public:
    TSorvantMainForm(DialogHost &dialogs, const MainFormOptions &options, QWidget *parent = nullptr);
    ~TSorvantMainForm() override;

    // --- state ---------------------------------------------------------------
    QStringList RecentFiles;  // five paths, newest first
    QString LastFolder;       // stored as FilePath, with its trailing '/'
    QString CommandLinePath;  // the arguments joined into one path
    int SampleInterval = 0;   // records per spreadsheet row
    QString CurrentFile;      // full path of the log being shown
    QString CurrentFileName;  // its file-name part, shown in the caption

    // --- components --------------------------------------------------------
    QMenuBar *MainMenu1 = nullptr;
    QMenu *File1 = nullptr;
    QAction *Open1 = nullptr;
    QAction *PrintFromMenu = nullptr;
    QAction *PrintReport1 = nullptr; // File > "Print &Report...": the drying report
    QAction *PrintPreview1 = nullptr;
    QAction *PrintSetup1 = nullptr;
    QAction *SaveToExcel1 = nullptr;
    QAction *MRUSeparator = nullptr;
    QAction *MRU1 = nullptr;
    QAction *MRU2 = nullptr;
    QAction *MRU3 = nullptr;
    QAction *MRU4 = nullptr;
    QAction *MRU5 = nullptr;
    QAction *N1 = nullptr;
    QAction *Exit1 = nullptr;
    QMenu *Edit1 = nullptr;
    QAction *Copy1 = nullptr;      // the selected cells, or the chart page as a picture
    QAction *SelectAll1 = nullptr; // every cell of the spreadsheet
    QAction *N2 = nullptr;
    QAction *Preferences = nullptr;
    QMenu *Chart1 = nullptr;       // turns the chart's pages while the chart is shown
    QAction *PreviousPage1 = nullptr;
    QAction *NextPage1 = nullptr;
    QAction *FirstPage1 = nullptr;
    QAction *LastPage1 = nullptr;
    QMenu *Help1 = nullptr;
    QAction *About1 = nullptr;

    QToolBar *ToolBar1 = nullptr;
    QAction *OpenButton1 = nullptr;
    QAction *PrintButton = nullptr;
    QAction *ChangeViewButton = nullptr;
    QAction *ExportButton = nullptr;
    QAction *ExitButton = nullptr;

    QWidget *Panel1 = nullptr;      // the client area: spreadsheet or chart
    DataGrid *StringGrid1 = nullptr; // the spreadsheet (spreadsheet()->grid())
    QWidget *Chart = nullptr;        // the chart (chartView()->chartWidget()), hidden at start
    QScrollBar *ChartScrollBar1 = nullptr; // the chart's page scroll bar, hidden at start
    QLabel *MessagePanel = nullptr; // the status text
    TGridPrintSettingsDialog *GridPrintSettingsDialog1 = nullptr; // edits the spreadsheet's print settings
    QProgressBar *ProgressBar1 = nullptr;

    std::array<QAction *, 5> mruItems() const { return {MRU1, MRU2, MRU3, MRU4, MRU5}; }
    SpreadsheetView *spreadsheet() const { return m_spreadsheet; }
    ChartView *chartView() const { return m_chartView; }
    ViewSwitcher *viewSwitcher() const { return m_viewSwitcher; }
    DialogHost &dialogs() const { return m_dialogs; }
    const CellTextFormat &cellTextFormat() const { return m_format; }
    QChar decimalSeparator() const { return m_format.decimalSeparator(); }
    // The regional settings the window was made with: decimal separator, date format.
    const QLocale &locale() const { return m_locale; }
    ProgressBarSink &progressSink() { return *m_progress; }
    const QString &settingsFilePath() const { return m_settingsPath; }
    // The records of the last load, with their day numbers.
    const LogStore &logStore() const { return m_store; }
    // The step the last load used and what it gave (no rows before the first).
    int loadedStep() const { return m_loadedStep; }
    const LoadResult &lastLoad() const { return m_lastLoad; }
    // The View menu's commands: the overview and the out-of-range spans.
    OverviewCommands *overviewCommands() const { return m_overviewCommands; }
    // File > Print Report.
    ReportCommand *reportCommand() const { return m_reportCommand; }
    // The program's current printer: what a print or printer set-up dialog
    // chose on it stays for the next printout.
    QPrinter &printer() const { return *m_printer; }

    // Where a load puts its points and what it calls as its closing step:
    // the chart's series and its page scroll bar unless set otherwise; a
    // null `series` goes back to those.
    void setChartTargets(SeriesSink *series, std::function<void()> recalcPosition);

    // Puts a view into the client area above the status panel, where it
    // shares the place of the spreadsheet.
    void addToClientArea(QWidget *widget, int stretch = 1);

    // The status panel's text (the preferences dialog sets it too).
    QString statusText() const;
    void setStatusText(const QString &text);
    // The caption: "Sorvant v1.2 - " and the file name once a file was chosen.
    void showFileInCaption(const QString &fileName);

    // Runs `command` for every trigger of `action`; an error it raises is
    // shown in the error box and the program carries on.
    void connectCommand(QAction *action, std::function<void()> command);
    // The same guard for one call; false when the command failed.
    bool runGuarded(const std::function<void()> &command);

    // The print dialog over the current printer, after a warning when its
    // printer has gone; false on Cancel. The paper chosen for this printer
    // stays where the dialog only put the driver's default back.
    bool runPrintDialog(QWidget *parent);
    // The printer set-up dialog over the current printer; true on OK.
    bool runPrinterSetup(QWidget *parent);

public slots:
    void OpenButtonClick();
    void Exit1Click();
    // Saves the spreadsheet's content, whichever view is shown, as CSV or workbook.
    void ExportToExcelClick();
    // The print settings dialog with the spreadsheet shown, the printer
    // set-up dialog with the chart shown.
    void PrintSetup1Click();
    // Prints the view that is shown: the spreadsheet's pages after the print
    // dialog, or the chart page on one landscape page.
    void PrintButtonClick();
    // Shows the pages the Print command would print for the view that is shown.
    void PrintPreview1Click();

    // Loads CurrentFile at SampleInterval into the spreadsheet and the chart.
    void LoadLog();

    // Steps 5 to 9 of the Open command for a path chosen another way than
    // in the open dialog: recent list, folder, caption, then the load.
    void OpenFile(const QString &path);
    // A file handed over from outside: `sorvant --open`, a second start, a
    // drop. A path that is not a file gets a message and changes nothing;
    // while a dialog is open or a load runs, the file waits for them.
    void openFromOutside(const QString &path);
    // The session ends or the process was asked to end: closes as the close
    // box does (no question), after dropping any open dialog, so the
    // settings are written, and ends the event loop.
    void closeForSessionEnd();

    // The Copy command: with the spreadsheet shown its selected cells as
    // tab-separated text and an HTML table, with the chart shown the chart
    // page as a picture.
    void Copy1Click();
    void SelectAll1Click();

public:
    static constexpr int kNoticeMs = 8000;
    // A short message in the status panel; the panel's own text comes back
    // after `ms` unless something else changed it meanwhile.
    void showNotice(const QString &text, int ms = kNoticeMs);
signals:
    // Every load has ended, whatever its outcome.
    void logLoaded();

protected:
    void closeEvent(QCloseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void FormCreate(const QStringList &arguments);
    void FormClose();
    void buildMenus();
    void buildToolBar();
    void buildPanels();
    void buildViews();
    void buildPrintSettingsDialog();
    void buildDesktopCommands();
    void updateViewCommands();
    void openPendingWhenFree();
    // Tells the user when the printer chosen earlier has gone.
    void warnOfMissingPrinter(QWidget *parent);
    void centreOnScreen();

    DialogHost &m_dialogs;
    QString m_settingsPath;
    QLocale m_locale;
    CellTextFormat m_format;
    LogStore m_store;
    SeriesSink *m_seriesSink = nullptr;
    std::function<void()> m_recalcPosition;
    SpreadsheetView *m_spreadsheet = nullptr;
    ChartView *m_chartView = nullptr;
    ViewSwitcher *m_viewSwitcher = nullptr;
    std::unique_ptr<ProgressBarSink> m_progress;
    std::unique_ptr<QPrinter> m_printer;
    std::unique_ptr<ExportCommand> m_export; // keeps the save dialog's type and name for the run
    bool m_settingsWritten = false;
    bool m_loading = false;
    QString m_pendingOpen; // a file from outside, waiting for a dialog or a load to end
    QTimer *m_pendingTimer = nullptr;
    QTimer *m_noticeTimer = nullptr;
    QString m_noticeText;  // the notice on show, and the text it covers
    QString m_coveredText;
    int m_loadedStep = 1;
    LoadResult m_lastLoad;
    OverviewCommands *m_overviewCommands = nullptr;
    ReportCommand *m_reportCommand = nullptr;
    // How much of LastFolder and RecentFiles the settings read gave (or this
    // run set): the close writes only these.
    bool m_lastFolderKnown = true;
    int m_recentKnown = kRecentFileCount;
};

} // namespace sorvant
