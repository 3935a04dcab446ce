#pragma once

#include "controls/grid/gridstore.h"

#include <QChar>
#include <QString>

namespace sorvant {

// Writes rows 0 to RowCount - 1 and the displayed columns in display order as
// an Excel 97-2003 workbook (BIFF8 in a Compound File), carriage returns
// removed from every text. Texts that spell a number in the regional form
// (with `decimalSeparator`) are stored as numbers and times of day "h:mm" as
// time values shown as h:mm; all others, and the whole header row, as texts.
// Empty cells are blank cells, so the sheet's range is A1 to the last column
// and RowCount.
//
// A sheet holds 65,536 rows: a longer table goes on over "Sheet2", "Sheet3"
// and so on, each starting with the header row again.
//
// Throws UserError with "Cannot Create file <name>" when the file cannot be
// created, and with the input/output error when writing fails; a failed write
// leaves no file behind (an existing file keeps its old content).
void SaveToXLS(const DataGridStore &grid, const QString &fileName, QChar decimalSeparator);

// Rows one sheet holds, the header row included.
constexpr int kXlsSheetRows = 65536;

} // namespace sorvant
