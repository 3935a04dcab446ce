#pragma once

#include "controls/grid/datagrid.h"
#include "controls/grid/gridstore.h"
#include "logdata/columns.h"
#include "output/printing/printsettings.h"
#include "views/spreadsheetconfig.h"

#include <QObject>
#include <QPointer>

#include <array>

class QAction;
class QMenu;
class QPoint;

namespace sorvant {

// Opens `menu` at `at` rolling open left to right and top to bottom, whatever
// the desktop's menu effects are.
void popupRolling(QMenu *menu, const QPoint &at);

// The spreadsheet: `StringGrid1` over its own cell store, configured as
// Sorvant shows it, with the column popup `PopupMenu`.
//
// The store is the one table the screen, the exports and the printout read;
// the load writes into it through tableSink(), and the grid shows what it
// holds at the next turn of the event loop (or at once after
// grid()->syncWithStore()).
class SpreadsheetView : public QObject
{
    Q_OBJECT
public:
    explicit SpreadsheetView(QWidget *parent);
    ~SpreadsheetView() override;

    DataGrid *grid() const { return m_grid; }
    DataGridStore &store() { return m_store; }
    const DataGridStore &store() const { return m_store; }
    TableSink &tableSink() { return m_sink; }
    QMenu *popupMenu() const { return m_popup; }
    // The layout of the spreadsheet's printout: the starting values every
    // run, edited by the print settings dialog.
    PrintSettings &printSettings() { return m_printSettings; }
    const PrintSettings &printSettings() const { return m_printSettings; }
    // The popup item of a column index (`RecordNumber` .. `BinNumber`).
    QAction *columnItem(int column) const;

    // Hides a displayed column or shows a hidden one, then sets the item's
    // check mark to whether the column is displayed.
    void columnItemClick(int column);

public slots:
    void RecordNumberClick();
    void WetGrainTempClick();
    void GrainTempInsideDryerClick();
    void DriedGrainTempClick();
    void MoistureInClick();
    void MoistureOutClick();
    void UnloadRateClick();
    void TimeClick();
    void BinNumberClick();

private:
    void buildPopupMenu();
    void updateCheckMarks();

    DataGridStore m_store;
    GridTableSink m_sink;
    QPointer<DataGrid> m_grid;
    PrintSettings m_printSettings;
    QMenu *m_popup = nullptr;
    std::array<QAction *, kColumnCount> m_items{};
};

} // namespace sorvant
