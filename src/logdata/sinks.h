#pragma once

#include "columns.h"

#include <QString>

#include <array>
#include <cstddef>
#include <string_view>

namespace sorvant {

// What the load needs of the spreadsheet. Cells are addressed by column index.
class TableSink
{
public:
    virtual ~TableSink() = default;
    // Empties every cell below RowCount, header row included; RowCount stays.
    virtual void Clear() = 0;
    virtual void setCell(int column, int row, const QString &text) = 0;
    virtual void setCentred(int column, int row) = 0;
    // Writes the nine cells of one row (by column index, UTF-8) and centres them.
    virtual void writeRow(int row, const std::array<std::string_view, kColumnCount> &cells) = 0;
    virtual int RowCount() const = 0;
    virtual void setRowCount(int rows) = 0;
    // A hint before the rows are written: RowCount will reach `rows`.
    virtual void reserveRows(int rows) { (void)rows; }
};

// What the load needs of the six chart series (index 0 is Series1).
class SeriesSink
{
public:
    virtual ~SeriesSink() = default;
    virtual void Clear(int series) = 0;
    virtual void AddXY(int series, double x, double y, std::string_view labelUtf8) = 0;
    // A hint after Clear(): `points` points will be added to the series.
    virtual void reserve(int series, std::size_t points) { (void)series; (void)points; }
};

// What the load needs of the progress bar.
class ProgressSink
{
public:
    virtual ~ProgressSink() = default;
    virtual void setVisible(bool visible) = 0;
    virtual void setMaximum(int maximum) = 0;
    virtual void setPosition(int position) = 0;
};

} // namespace sorvant
