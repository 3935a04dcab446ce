#pragma once

#include "prefsdialog.h"

#include <QObject>
#include <QPointer>

#include <memory>

namespace sorvant {

class ChartView;
class RecentFilesMenu;
class TAboutBox;
class TSorvantMainForm;

// The preferences dialog's view of the main window and the chart: the given
// chart view, or else the one found in the main window. Without a chart the
// two chart settings have nothing to act on.
class MainFormPreferencesHost : public PreferencesHost
{
public:
    explicit MainFormPreferencesHost(TSorvantMainForm &main, ChartView *chart = nullptr);
    void setChart(ChartView *chart);

    int sampleInterval() const override;
    void setSampleInterval(int sampleInterval) override;
    void setStatusText(const QString &text) override;
    QString currentFile() const override;
    void reloadCurrentLog() override;
    void setMarkersVisible(bool visible) override;
    bool isView3D() const override;
    void setView3D(bool view3D) override;

private:
    ChartView *chart() const;

    TSorvantMainForm &m_main;
    mutable QPointer<ChartView> m_chart;
};

// The main window's About box, preferences dialog and recent-files menu,
// created after the main window in start-up order (About box first, then the
// dialog, which reads the step the main window has loaded) and wired to its
// menu items: "&Preferences", "&About...", the File menu and MRU1..MRU5.
class ShellWindows : public QObject
{
    Q_OBJECT
public:
    explicit ShellWindows(TSorvantMainForm &main, ChartView *chart = nullptr);
    ~ShellWindows() override;

    void setChart(ChartView *chart) { m_host.setChart(chart); }

    TAboutBox &aboutBox() const { return *m_aboutBox; }
    TForm3 &preferences() const { return *m_preferences; }
    RecentFilesMenu &recentFiles() const { return *m_recentFiles; }

public slots:
    void Preferences1Click();
    void About1Click();
    // Loads entry `position` of the recent list (0 for MRU1).
    void MRUClick(int position);

private:
    void loadRecentFile(const QString &path);

    TSorvantMainForm &m_main;
    MainFormPreferencesHost m_host;
    std::unique_ptr<TAboutBox> m_aboutBox;
    QPointer<TForm3> m_preferences; // a child of the main window

    RecentFilesMenu *m_recentFiles = nullptr;
};

} // namespace sorvant
