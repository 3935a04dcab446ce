#include "gridprinttable.h"

#include "controls/grid/datagrid.h"
#include "controls/grid/gridstore.h"

#include <QPalette>

#include <cmath>

namespace sorvant {

TPrintFont printFontFromScreen(const QFont &font, int dpi, ColorCode colour)
{
    TPrintFont f;
    f.assignFont(font);
    if (font.pixelSize() > 0)
        f.Size = static_cast<int>(std::lround(font.pixelSize() * 72.0 / std::max(1, dpi)));
    f.Color = colour;
    return f;
}

void GridPrintLook::takeColors(const QPalette &palette)
{
    windowColor = palette.color(QPalette::Active, QPalette::Base);
    fixedColor = palette.color(QPalette::Active, QPalette::Button);
}

GridPrintLook gridPrintLook(const DataGrid &grid)
{
    GridPrintLook look;
    look.dataFont = grid.dataFont();
    look.fixedFont = grid.fixedFont();
    look.takeColors(grid.palette());
    look.fixedRowHeight = grid.fixedRowHeight();
    look.defaultRowHeight = grid.defaultRowHeight();
    look.fixedColumnEnabled = grid.isFixedColumnEnabled();
    const int dpi = grid.logicalDpiX();
    look.screenDpi = dpi > 0 ? dpi : 96;
    return look;
}

DataGridPrintTable::DataGridPrintTable(const DataGridStore &store, const GridPrintLook &look)
    : m_store(store)
    , m_look(look)
    , m_dataFont(printFontFromScreen(look.dataFont, look.screenDpi, look.textColor))
    , m_fixedFont(printFontFromScreen(look.fixedFont, look.screenDpi, look.textColor))
{
    for (int p = 0; p < store.ColCount(); ++p)
        m_columns.push_back(store.columnAt(p));
}

int DataGridPrintTable::rowCount() const
{
    return m_store.RowCount();
}

int DataGridPrintTable::columnCount() const
{
    return static_cast<int>(m_columns.size());
}

void DataGridPrintTable::rowTexts(int row, std::string_view *texts) const
{
    // The row in store order on the stack (heap only for very wide stores),
    // so that pages can be drawn on several threads at once.
    constexpr std::size_t kOnStack = 32;
    const auto total = static_cast<std::size_t>(m_store.columnTotal());
    std::string_view onStack[kOnStack];
    std::vector<std::string_view> onHeap(total > kOnStack ? total : 0);
    std::string_view *all = total > kOnStack ? onHeap.data() : onStack;
    m_store.rowUtf8(row, all);
    for (std::size_t p = 0; p < m_columns.size(); ++p)
        texts[p] = all[static_cast<std::size_t>(m_columns[p])];
}

GridPrintTable::Align DataGridPrintTable::alignment(int displayColumn, int row) const
{
    switch (m_store.Alignments(m_columns[static_cast<std::size_t>(displayColumn)], row)) {
    case DataGridStore::HAlign::Centre:
        return Align::Centre;
    case DataGridStore::HAlign::Right:
        return Align::Right;
    default:
        return Align::Left;
    }
}

bool DataGridPrintTable::hasFixedRow() const
{
    return m_store.RowCount() > 0; // the grid always draws row 0 as its header
}

bool DataGridPrintTable::hasFixedColumn() const
{
    return m_look.fixedColumnEnabled && m_columns.size() >= 2;
}

TPrintFont DataGridPrintTable::displayFont(bool fixedCell) const
{
    return fixedCell ? m_fixedFont : m_dataFont;
}

QColor DataGridPrintTable::cellColor(bool fixedCell) const
{
    return fixedCell ? m_look.fixedColor : m_look.windowColor;
}

int DataGridPrintTable::screenColumnWidth(int displayColumn) const
{
    return m_store.columnWidth(m_columns[static_cast<std::size_t>(displayColumn)]);
}

int DataGridPrintTable::screenRowHeight(int row) const
{
    return row == 0 ? m_look.fixedRowHeight : m_look.defaultRowHeight;
}

} // namespace sorvant
