#pragma once

#include "gridstore.h"

#include <QByteArray>

class QMimeData;

#include <vector>

// Cells of a DataGridStore as the clipboard offers them to other programs:
// tab-separated text, which every spreadsheet program pastes into cells, and
// an HTML table, which word processors and mail programs paste as a table.
//
// A selection may be ragged (ranges added with Ctrl). What is copied is the
// block of every row and every displayed column that holds a selected cell,
// in display order; a cell of that block that is not selected comes out
// empty, so every row has the same columns and pastes in line. Hidden columns
// are never copied, as no export or printout shows them. The header row goes
// first when every column of the block is selected from the first data row
// to the last (whole columns, or all).

// Rows and columns inclusive, in store coordinates: rows from 1 (row 0 is the
// header row), columns by column index.
struct GridCellRange {
    int top = 1;
    int bottom = 1;
    int left = 0;
    int right = 0;
};

struct GridCopy {
    QByteArray text; // UTF-8; fields split by tabs, rows ended by CRLF
    QByteArray html; // UTF-8; one <table>
    int rows = 0;    // data rows copied (the header row not counted)
    int columns = 0;
    bool withHeader = false;
    bool isEmpty() const { return columns == 0 || rows == 0; }
};

GridCopy copyGridCells(const DataGridStore &store, const std::vector<GridCellRange> &ranges);

// The clipboard's contents for `copy`: text/plain and text/html.
QMimeData *makeMimeData(const GridCopy &copy);
