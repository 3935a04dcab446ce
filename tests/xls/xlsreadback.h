#pragma once

#include <QString>
#include <QStringList>

#include <vector>

// What python3-xlrd, a reader that shares no code with ours, sees in a
// workbook (tests/xls/readback.py).
namespace xlsreadback {

struct Cell {
    char type = 'e';  // s text, n number, d date/time, b blank, e no cell
    QString text;     // of a text
    double number = 0; // of a number or a date/time
    QString format;   // number format of a date/time
};

struct Sheet {
    QString name;
    int rows = 0, cols = 0;       // as xlrd counts the cells
    int dimRows = 0, dimCols = 0; // as the DIMENSIONS record says
    std::vector<std::vector<Cell>> cells;
};

struct Book {
    bool ok = false;
    QString error; // why reading failed
    std::vector<Sheet> sheets;
    QStringList warnings;
};

// The Python interpreter that has xlrd; empty when there is none.
QString pythonWithXlrd();
Book read(const QString &path);

// "A1:I61" for a sheet's DIMENSIONS.
QString rangeText(const Sheet &sheet);

} // namespace xlsreadback

namespace xlsreadback {

// The Workbook stream of a Compound File as the container readers see it:
// one line per reader, "reader<TAB>size<TAB>sha256", and "warning<TAB>..." lines.
QStringList readStream(const QString &path);

} // namespace xlsreadback
