#pragma once

#include "output/printing/gridpageplan.h"

#include <string>
#include <vector>

namespace sorvant::test {

// Widths and heights that are easy to work out by hand: a character is half
// as wide as the font's character height, a bold one a quarter wider, and a
// line is 1.25 character heights high (8 pt: 28 high, 14 a character, 35 a
// line).
class FakeMeasurer : public PrintTextMeasurer
{
public:
    int textWidth(const TPrintFont &font, double k, QStringView text) override
    {
        ++widthCalls;
        const int ch = printCharHeight(font.Size, k);
        const int perChar = font.Bold ? ch * 5 / 8 : ch / 2;
        return static_cast<int>(text.size()) * perChar;
    }
    int lineHeight(const TPrintFont &font, double k) override
    {
        const int ch = printCharHeight(font.Size, k);
        return ch + ch / 4;
    }
    bool digitsShareWidth(const TPrintFont &) override { return true; }
    int widthCalls = 0;
};

// A table of texts held as rows of strings, column 0 and row 0 fixed.
class FakeTable : public GridPrintTable
{
public:
    FakeTable(int columns, int rows) : cells(static_cast<std::size_t>(rows), std::vector<std::string>(static_cast<std::size_t>(columns))) {}
    void set(int column, int row, std::string text) { cells[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)] = std::move(text); }

    int rowCount() const override { return static_cast<int>(cells.size()); }
    int columnCount() const override { return cells.empty() ? 0 : static_cast<int>(cells[0].size()); }
    void rowTexts(int row, std::string_view *texts) const override
    {
        const auto &r = cells[static_cast<std::size_t>(row)];
        for (std::size_t c = 0; c < r.size(); ++c)
            texts[c] = r[c];
    }
    Align alignment(int, int) const override { return align; }
    bool hasFixedRow() const override { return true; }
    bool hasFixedColumn() const override { return fixedColumn; }
    TPrintFont displayFont(bool fixedCell) const override { return fixedCell ? fixedFont : dataFont; }
    QColor cellColor(bool fixedCell) const override { return fixedCell ? QColor(Qt::lightGray) : QColor(Qt::white); }
    int screenColumnWidth(int c) const override { return 100 + 10 * c; }
    int screenRowHeight(int row) const override { return row == 0 ? 30 : 21; }

    std::vector<std::vector<std::string>> cells;
    Align align = Align::Centre;
    bool fixedColumn = true;
    TPrintFont dataFont = [] { TPrintFont f; f.Name = QStringLiteral("Tahoma"); return f; }();
    TPrintFont fixedFont = [] { TPrintFont f; f.Name = QStringLiteral("Tahoma"); f.Bold = true; return f; }();
};

} // namespace sorvant::test
