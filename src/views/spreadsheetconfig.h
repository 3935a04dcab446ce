#pragma once

#include "controls/grid/gridstore.h"
#include "logdata/sinks.h"

#include <QFont>

namespace sorvant {

constexpr int kStartRowCount = 5000; // the header row and 4,999 empty rows
constexpr int kFixedRowHeight = 30;   // pixels: the header row
constexpr int kDefaultRowHeight = 21; // pixels: every data row

// The spreadsheet's on-screen font, 11 pixels: Tahoma for the data cells, a
// visibly bold face for the fixed cells (see boldStandInFamily()).
QFont spreadsheetFont(bool bold);

// Sorvant's nine-column spreadsheet: widths, start row count and headers.
void configureSpreadsheetStore(DataGridStore &grid);

// The load's view of the spreadsheet's cell store.
class GridTableSink : public TableSink
{
public:
    explicit GridTableSink(DataGridStore &grid) : m_grid(grid) {}
    void Clear() override { m_grid.Clear(); }
    void setCell(int column, int row, const QString &text) override { m_grid.setCells(column, row, text); }
    void setCentred(int column, int row) override
    {
        m_grid.setAlignments(column, row, DataGridStore::HAlign::Centre);
    }
    void writeRow(int row, const std::array<std::string_view, kColumnCount> &cells) override
    {
        m_grid.setRowUtf8(row, cells.data(), kColumnCount, DataGridStore::HAlign::Centre);
    }
    int RowCount() const override { return m_grid.RowCount(); }
    void setRowCount(int rows) override { m_grid.setRowCount(rows); }
    void reserveRows(int rows) override { m_grid.reserveRows(rows); }

private:
    DataGridStore &m_grid;
};

} // namespace sorvant
