#include "shellwindows.h"

#include "aboutbox.h"
#include "mainform.h"
#include "pathparts.h"
#include "recentfiles.h"
#include "views/chartview.h"

#include <QAction>
#include <QMenu>

namespace sorvant {

MainFormPreferencesHost::MainFormPreferencesHost(TSorvantMainForm &main, ChartView *chart)
    : m_main(main), m_chart(chart)
{
}

void MainFormPreferencesHost::setChart(ChartView *chart)
{
    m_chart = chart;
}

int MainFormPreferencesHost::sampleInterval() const
{
    return m_main.SampleInterval;
}

void MainFormPreferencesHost::setSampleInterval(int sampleInterval)
{
    m_main.SampleInterval = sampleInterval;
}

void MainFormPreferencesHost::setStatusText(const QString &text)
{
    m_main.setStatusText(text);
}

QString MainFormPreferencesHost::currentFile() const
{
    return m_main.CurrentFile;
}

void MainFormPreferencesHost::reloadCurrentLog()
{
    m_main.LoadLog();
}

ChartView *MainFormPreferencesHost::chart() const
{
    // The chart view lives in the main window's client area; it may be put
    // there after this dialog was created.
    if (!m_chart)
        m_chart = m_main.findChild<ChartView *>();
    return m_chart;
}

void MainFormPreferencesHost::setMarkersVisible(bool visible)
{
    ChartView *view = chart();
    if (!view)
        return;
    view->setMarkersVisible(visible);
    if (QWidget *widget = view->chartWidget())
        widget->update();
}

bool MainFormPreferencesHost::isView3D() const
{
    ChartView *view = chart();
    return view && view->isView3D();
}

void MainFormPreferencesHost::setView3D(bool view3D)
{
    ChartView *view = chart();
    if (!view)
        return;
    view->setView3D(view3D);
    if (QWidget *widget = view->chartWidget())
        widget->update();
}

ShellWindows::ShellWindows(TSorvantMainForm &main, ChartView *chart)
    : QObject(&main), m_main(main), m_host(main, chart)
{
    // No parent: the About box must not stay above the main window.
    m_aboutBox = std::make_unique<TAboutBox>();
    m_preferences = new TForm3(m_host, &main);

    const std::array<QAction *, 5> items = main.mruItems();
    m_recentFiles = new RecentFilesMenu(
        main.File1, main.RecentFiles, main.MRUSeparator, QList<QAction *>(items.begin(), items.end()),
        [this](const QString &path) { m_main.runGuarded([this, &path] { loadRecentFile(path); }); }, this);
    main.connectCommand(main.Preferences, [this] { Preferences1Click(); });
    main.connectCommand(main.About1, [this] { About1Click(); });
}

ShellWindows::~ShellWindows()
{
    // The dialog talks to m_host, which ends here.
    delete m_preferences.data();
}

void ShellWindows::Preferences1Click()
{
    m_preferences->showPreferences();
}

void ShellWindows::About1Click()
{
    m_aboutBox->showAbout();
}

void ShellWindows::MRUClick(int position)
{
    m_recentFiles->MRUClick(position);
}

void ShellWindows::loadRecentFile(const QString &path)
{
    // Like Open, but the list keeps its order and the open dialog its folder.
    m_main.CurrentFileName = fileNamePart(path);
    m_main.showFileInCaption(m_main.CurrentFileName);
    m_main.CurrentFile = path;
    m_main.LoadLog();
}

} // namespace sorvant
