#pragma once

#include "controls/grid/gridstore.h"

#include <QString>

#include <string>
#include <string_view>

namespace sorvant {

// Writes rows 0 to RowCount - 1 and the displayed columns in display order as
// comma-separated text, CR LF after every line. Throws UserError with
// "Cannot Create file <name>" when the file cannot be created, and with the
// input/output error when writing fails; a failed write leaves no file behind
// (an existing file keeps its old content).
void SaveToCSV(const DataGridStore &grid, const QString &fileName);

// One field as written to the file (UTF-8 in, UTF-8 out), appended to `out`.
void appendCsvField(std::string &out, std::string_view cell);

} // namespace sorvant
