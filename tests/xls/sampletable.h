#pragma once

#include "controls/grid/gridstore.h"
#include "logdata/celltext.h"
#include "logdata/columns.h"
#include "views/spreadsheetconfig.h"

#include <array>

// A spreadsheet filled the way a load fills it: the nine headers, then rows of
// Sorvant's cell texts, with readings that vary from row to row. Each row
// also knows the value a workbook must hold for each of its cells, worked out
// from the readings rather than from the texts.
namespace sampletable {

struct Readings {
    int wetTenths, inside, driedTenths;
    unsigned moistInTenths, moistOutTenths, unload, hour, minute, bin;
};

inline Readings readingsFor(int row)
{
    const auto u = static_cast<unsigned>(row);
    return {450 + (row * 37) % 400, 40 + row % 60, -105 + (row * 13) % 900, 120 + (u * 7) % 130,
            110 + u % 61,           (u * 3) % 200, (u / 60) % 24, u % 60, u % 8};
}

inline std::array<QString, sorvant::kColumnCount> textsFor(int row, const sorvant::CellTextFormat &format)
{
    using namespace sorvant::celltext;
    const Readings r = readingsFor(row);
    return {integerText(row),
            truncatedTenthsText(r.wetTenths),
            integerText(r.inside),
            truncatedTenthsText(r.driedTenths),
            tenthsText(r.moistInTenths, format),
            tenthsText(r.moistOutTenths, format),
            integerText(std::int64_t{r.unload} * 10),
            timeText(r.hour, r.minute),
            integerText(r.bin)};
}

// The number each column holds; column 7 is a fraction of a day.
inline std::array<double, sorvant::kColumnCount> valuesFor(int row)
{
    const Readings r = readingsFor(row);
    return {double(row),
            double(r.wetTenths / 10), // truncated toward zero
            double(r.inside),
            double(r.driedTenths / 10),
            r.moistInTenths / 10.0,
            r.moistOutTenths / 10.0,
            r.unload * 10.0,
            (r.hour * 60 + r.minute) / 1440.0,
            double(r.bin)};
}

// The start-up spreadsheet with `dataRows` rows written after its headers.
inline void fill(DataGridStore &grid, int dataRows, QChar decimalSeparator = QLatin1Char('.'))
{
    sorvant::configureSpreadsheetStore(grid);
    const sorvant::CellTextFormat format(decimalSeparator);
    for (int row = 1; row <= dataRows; ++row) {
        const auto texts = textsFor(row, format);
        std::array<QByteArray, sorvant::kColumnCount> utf8;
        std::array<std::string_view, sorvant::kColumnCount> views;
        for (int c = 0; c < sorvant::kColumnCount; ++c) {
            utf8[c] = texts[c].toUtf8();
            views[c] = std::string_view(utf8[c].constData(), static_cast<std::size_t>(utf8[c].size()));
        }
        grid.setRowUtf8(row, views.data(), sorvant::kColumnCount, DataGridStore::HAlign::Centre);
    }
    grid.setRowCount(dataRows + 1);
}

} // namespace sampletable
