#include "gridcopy.h"

#include <QMimeData>

#include <algorithm>

namespace {

// A field with a tab, a line break or a quote would split its row or its
// cell; spreadsheet programs read such a field quoted, quotes doubled.
void appendTextField(QByteArray &out, std::string_view cell)
{
    if (cell.find_first_of("\t\r\n\"") == std::string_view::npos) {
        out.append(cell.data(), static_cast<qsizetype>(cell.size()));
        return;
    }
    out += '"';
    for (char c : cell) {
        if (c == '"')
            out += '"';
        out += c;
    }
    out += '"';
}

void appendHtmlField(QByteArray &out, std::string_view cell)
{
    std::size_t start = 0;
    for (std::size_t i = 0; i < cell.size(); ++i) {
        const char *entity = nullptr;
        switch (cell[i]) {
        case '&': entity = "&amp;"; break;
        case '<': entity = "&lt;"; break;
        case '>': entity = "&gt;"; break;
        case '"': entity = "&quot;"; break;
        case '\n': entity = "<br>"; break;
        case '\r': entity = ""; break;
        default: continue;
        }
        out.append(cell.data() + start, static_cast<qsizetype>(i - start));
        out += entity;
        start = i + 1;
    }
    out.append(cell.data() + start, static_cast<qsizetype>(cell.size() - start));
}

} // namespace

GridCopy copyGridCells(const DataGridStore &store, const std::vector<GridCellRange> &given)
{
    GridCopy copy;
    const int lastRow = store.RowCount() - 1;
    const int total = store.columnTotal();
    std::vector<GridCellRange> ranges;
    for (GridCellRange r : given) {
        r.top = std::max(r.top, 1);
        r.bottom = std::min(r.bottom, lastRow);
        r.left = std::max(r.left, 0);
        r.right = std::min(r.right, total - 1);
        if (r.top <= r.bottom && r.left <= r.right)
            ranges.push_back(r);
    }
    if (ranges.empty())
        return copy;

    std::vector<int> columns; // column indices in display order
    std::vector<char> wholeColumn(static_cast<std::size_t>(total), 0);
    std::vector<char> inBlock(static_cast<std::size_t>(total), 0);
    for (const GridCellRange &r : ranges) {
        for (int c = r.left; c <= r.right; ++c) {
            inBlock[static_cast<std::size_t>(c)] = 1;
            if (r.top == 1 && r.bottom == lastRow)
                wholeColumn[static_cast<std::size_t>(c)] = 1;
        }
    }
    copy.withHeader = true;
    for (int p = 0; p < store.ColCount(); ++p) {
        const int c = store.columnAt(p);
        if (!inBlock[static_cast<std::size_t>(c)])
            continue;
        columns.push_back(c);
        copy.withHeader = copy.withHeader && wholeColumn[static_cast<std::size_t>(c)];
    }
    if (columns.empty()) {
        copy.withHeader = false;
        return copy;
    }
    copy.columns = static_cast<int>(columns.size());

    std::vector<char> rowMarks(static_cast<std::size_t>(lastRow + 1), 0);
    for (const GridCellRange &r : ranges)
        std::fill(rowMarks.begin() + r.top, rowMarks.begin() + r.bottom + 1, 1);
    // A cell inside the block is copied when a range holds it; with one
    // range (a block, whole columns, all) every cell of it is.
    const bool oneRange = ranges.size() == 1;
    const auto selected = [&](int column, int row) {
        if (oneRange)
            return true;
        for (const GridCellRange &r : ranges) {
            if (row >= r.top && row <= r.bottom && column >= r.left && column <= r.right)
                return true;
        }
        return false;
    };

    std::vector<std::string_view> cells(static_cast<std::size_t>(total));
    // Mail and word processors read the fragment's characters by its meta tag.
    copy.html = "<html><head><meta charset=\"utf-8\"></head><body>\r\n<table border=\"1\" cellspacing=\"0\">\r\n";
    const auto appendRow = [&](int row, bool header) {
        store.rowUtf8(row, cells.data());
        copy.html += "<tr>";
        for (std::size_t k = 0; k < columns.size(); ++k) {
            const int c = columns[k];
            const std::string_view cell = header || selected(c, row) ? cells[static_cast<std::size_t>(c)]
                                                                      : std::string_view();
            if (k > 0)
                copy.text += '\t';
            appendTextField(copy.text, cell);
            copy.html += header ? "<th>" : "<td>";
            appendHtmlField(copy.html, cell);
            copy.html += header ? "</th>" : "</td>";
        }
        copy.text += "\r\n";
        copy.html += "</tr>\r\n";
    };
    if (copy.withHeader)
        appendRow(0, true);
    for (int row = 1; row <= lastRow; ++row) {
        if (!rowMarks[static_cast<std::size_t>(row)])
            continue;
        appendRow(row, false);
        ++copy.rows;
    }
    copy.html += "</table>\r\n</body></html>\r\n";
    return copy;
}

QMimeData *makeMimeData(const GridCopy &copy)
{
    auto *data = new QMimeData;
    data->setText(QString::fromUtf8(copy.text));
    data->setHtml(QString::fromUtf8(copy.html));
    return data;
}
