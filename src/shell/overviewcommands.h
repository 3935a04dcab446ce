#pragma once

#include "limitsettings.h"
#include "logdata/outofrange.h"
#include "views/outofrangedialog.h"
#include "views/overviewconfig.h"
#include "views/overviewwindow.h"

#include <QObject>
#include <QPointer>

#include <vector>

class QAction;
class QMenu;

namespace sorvant {

class TSorvantMainForm;

// The View menu between Edit and Help: "&Overview" opens the whole-log
// overview, "Find Out of &Range..." the limits and the spans outside them.
// Both windows stay open beside the main window and follow every load; a
// click in the overview, or a chosen span, takes the chart to the page and
// the spreadsheet to the row of that moment.
class OverviewCommands : public QObject
{
    Q_OBJECT
public:
    // Builds the menu and reads the limits and the overview's place from the
    // settings file (a faulty value is shown in the error box and kept).
    explicit OverviewCommands(TSorvantMainForm &form);
    ~OverviewCommands() override;

    QMenu *View1 = nullptr;
    QAction *Overview1 = nullptr;
    QAction *FindOutOfRange1 = nullptr;

    const Limits &limits() const { return m_now.limits; }
    const std::vector<OutOfRangeSpan> &spans() const { return m_spans; }
    // Sets the limits and finds their spans in the log on screen.
    void setLimits(const Limits &limits);
    OverviewWindow *overviewWindow() const { return m_window; }
    FindOutOfRangeDialog *findDialog() const { return m_dialog; }
    // The overview of the last load, built when first needed after it.
    const LogOverviewData &overviewData();

    // Shows record `record` of the log: the chart on the page that holds its
    // row (the zoom undone), the spreadsheet scrolled to that row, selected.
    void goToRecord(std::size_t record);
    // The row that holds a record's moment: the last row at or before it.
    int rowOfRecord(std::size_t record) const;
    // Written when the main window closes. Throws UserError.
    void saveSettings();

public slots:
    void Overview1Click();
    void FindOutOfRange1Click();

private:
    void logLoaded();
    void findClicked();
    void saveSpansClicked();
    void updateMarkers();
    void showSpans();
    void ensureWindow();
    QString overviewTitle() const;
    void ensureDialog();

    TSorvantMainForm &m_form;
    OverviewSettings m_read; // as the settings file gave them
    OverviewSettings m_now;
    LogOverviewData m_data;
    bool m_dataStale = false; // a load came after m_data was built
    std::vector<OutOfRangeSpan> m_spans;
    QPointer<OverviewWindow> m_window;
    QPointer<FindOutOfRangeDialog> m_dialog;
    QString m_spansFileName;
};

} // namespace sorvant
