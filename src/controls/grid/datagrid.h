#pragma once

#include "datagridmodel.h"
#include "gridcopy.h"
#include "datagridpainting.h"
#include "gridstore.h"

#include <QTableView>

#include <memory>

// A read-only grid over a DataGridStore.
//
// Row 0 of the store is the fixed header row, drawn as the header; the column
// at display position 0 is the fixed column, drawn in the header style by a
// second view over the same model that stays in place while the rest scrolls
// sideways. It stands where a row header would, so the scrolled columns start
// right of it instead of sliding underneath.
//
// The store's column layout is the one source of truth: moving or resizing a
// column with the mouse changes the store, and every change of the store's
// layout (by the mouse or by code) is shown. The fixed column can be neither
// moved nor dropped on. With a single displayed column nothing is fixed.
class DataGrid : public QTableView
{
    Q_OBJECT
public:
    explicit DataGrid(DataGridStore &store, QWidget *parent = nullptr);
    ~DataGrid() override;

    DataGridStore &store() const { return m_model->store(); }
    DataGridModel *gridModel() const { return m_model; }
    // The view that draws the fixed column (hidden while nothing is fixed).
    QTableView *fixedColumnView() const { return m_fixed; }
    // Column index of the fixed column; -1 when nothing is fixed.
    int fixedColumn() const { return m_fixedColumn; }

    void setFixedColumnEnabled(bool enabled);
    bool isFixedColumnEnabled() const { return m_fixedEnabled; }

    void setFixedRowHeight(int height); // the header row
    int fixedRowHeight() const;
    void setDefaultRowHeight(int height); // every data row
    int defaultRowHeight() const;
    void setDataFont(const QFont &font);
    QFont dataFont() const { return font(); }
    void setFixedFont(const QFont &font);
    QFont fixedFont() const { return m_look->fixedFont; }
    // The fill of fixed cells: `bands` bands from `top` down to `bottom`.
    void setHeaderGradient(const QColor &top, const QColor &bottom, int bands);
    void setGridLineColor(const QColor &colour);
    const DataGridLook &look() const { return *m_look; }

    // Lets the user select cells to copy: a click or a drag selects cells,
    // a click on a header cell whole columns, a click in the fixed column
    // whole rows, Shift and Ctrl extend, Ctrl+A selects all. Selected cells
    // are drawn in the highlight colour. Off at start: nothing is selected
    // or drawn selected.
    void setCellSelectionEnabled(bool enabled);
    bool isCellSelectionEnabled() const { return m_look->showSelection; }
    // The selection in store coordinates (rows from 1).
    std::vector<GridCellRange> selectedRanges() const;
    // The selected cells as the clipboard takes them.
    GridCopy copySelection() const { return copyGridCells(store(), selectedRanges()); }

public slots:
    // Shows every pending change of the store now instead of at the next
    // turn of the event loop.
    void syncWithStore();

signals:
    // The right mouse button (or the menu key) anywhere in the grid.
    void contextMenuRequested(const QPoint &globalPos);

protected:
    void updateGeometries() override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void applyStoreLayout();
    void placeFixedView();
    void sectionMovedByUser(int logicalIndex);
    void sectionResizedByUser(QHeaderView *header, int logicalIndex, int newSize);
    void lookChanged();

    std::shared_ptr<DataGridLook> m_look;
    DataGridModel *m_model = nullptr;
    QTableView *m_fixed = nullptr;
    int m_fixedColumn = -1;
    bool m_fixedEnabled = true;
    bool m_syncing = false;
};
