#pragma once

#include "printsettings.h"

#include <QColor>
#include <QFont>

#include <string_view>
#include <vector>

class DataGrid;
class DataGridStore;

namespace sorvant {

// What a grid printout reads of a grid: the rows, the displayed columns in
// display order (hidden columns left out, moved ones in their new place), the
// cell texts and alignments, and the on-screen look.
class GridPrintTable
{
public:
    enum class Align { Left, Centre, Right };

    virtual ~GridPrintTable() = default;

    virtual int rowCount() const = 0;
    virtual int columnCount() const = 0; // displayed columns
    // The texts of one row by display position, UTF-8, `texts` with room for
    // columnCount(). Valid until the table changes.
    virtual void rowTexts(int row, std::string_view *texts) const = 0;
    virtual Align alignment(int displayColumn, int row) const = 0;
    // Whether row 0 and the column at display position 0 are fixed cells.
    virtual bool hasFixedRow() const = 0;
    virtual bool hasFixedColumn() const = 0;

    // The on-screen look, used when the settings ask for it.
    virtual TPrintFont displayFont(bool fixedCell) const = 0;
    virtual QColor cellColor(bool fixedCell) const = 0;
    // On-screen sizes in pixels at screenDpi().
    virtual int screenColumnWidth(int displayColumn) const = 0;
    virtual int screenRowHeight(int row) const = 0;
    virtual int screenDpi() const { return 96; }
};

// The on-screen look of a DataGrid that printing needs.
struct GridPrintLook {
    QFont dataFont;
    QFont fixedFont;
    QColor windowColor{Qt::white};
    QColor fixedColor{212, 208, 200}; // button face
    ColorCode textColor = clWindowText;
    int fixedRowHeight = 21;
    int defaultRowHeight = 21;
    int screenDpi = 96;
    bool fixedColumnEnabled = true; // the first displayed column is fixed when there are two or more

    // The cell fills of a palette: its window colour for data cells, its
    // button face for the fixed ones.
    void takeColors(const QPalette &palette);
};

// The look of a grid on screen: its fonts, row heights and the palette's
// window and button colours.
GridPrintLook gridPrintLook(const DataGrid &grid);

// A font given in pixels at `dpi`, as a printer font in whole points the way
// a form converts it (11 px at 96 dpi is 8 pt).
TPrintFont printFontFromScreen(const QFont &font, int dpi, ColorCode colour);

// A DataGridStore read as a printout's table. Its reading functions may be
// called from several threads at once, as long as the store does not change.
class DataGridPrintTable : public GridPrintTable
{
public:
    DataGridPrintTable(const DataGridStore &store, const GridPrintLook &look);

    int rowCount() const override;
    int columnCount() const override;
    void rowTexts(int row, std::string_view *texts) const override;
    Align alignment(int displayColumn, int row) const override;
    bool hasFixedRow() const override;
    bool hasFixedColumn() const override;
    TPrintFont displayFont(bool fixedCell) const override;
    QColor cellColor(bool fixedCell) const override;
    int screenColumnWidth(int displayColumn) const override;
    int screenRowHeight(int row) const override;
    int screenDpi() const override { return m_look.screenDpi; }

private:
    const DataGridStore &m_store;
    GridPrintLook m_look;
    std::vector<int> m_columns; // column index by display position
    TPrintFont m_dataFont;
    TPrintFont m_fixedFont;
};

} // namespace sorvant
