#include "csvwriter.h"

#include "platform/outputfile.h"
#include "platform/usererror.h"

#include <vector>

namespace sorvant {

void appendCsvField(std::string &out, std::string_view cell)
{
    // Plain texts, which are nearly all of Sorvant's cells, go straight through.
    if (!cell.empty() && cell.find_first_of("\",\r") == std::string_view::npos) {
        out.append(cell);
        return;
    }
    std::string t;
    t.reserve(cell.size() + 8);
    for (char ch : cell) {              // double every double quote
        t += ch;
        if (ch == '"')
            t += '"';
    }
    const bool hasComma = t.find(',') != std::string::npos;
    bool enclosed = false;
    if (!hasComma && t.find('"') != std::string::npos) {
        t = '"' + t + '"';
        enclosed = true;
    }
    if (t.empty())
        t = "\"\"";
    if (hasComma || t.find('\r') != std::string::npos) {
        std::string r;
        r.reserve(t.size() + 2);
        for (std::size_t i = 0; i < t.size(); ++i) {
            const bool crlf = t[i] == '\r' && i + 1 < t.size() && t[i + 1] == '\n';
            if (!crlf) {
                r += t[i];
            } else if (enclosed) {
                // drop the CR; the LF follows
            } else {
                r += '\v';
                ++i; // the pair becomes one vertical tab
            }
        }
        t = enclosed ? r : '"' + r + '"';
    }
    out.append(t);
}

void SaveToCSV(const DataGridStore &grid, const QString &fileName)
{
    OutputFile file(fileName);
    if (!file.open())
        throw UserError(QStringLiteral("Cannot Create file ") + fileName);

    const auto fail = [&] {
        throw UserError(QStringLiteral("Error writing file %1: %2").arg(fileName, file.errorString()));
    };

    std::vector<int> columns;
    for (int p = 0; p < grid.ColCount(); ++p)
        columns.push_back(grid.columnAt(p));

    constexpr std::size_t kFlushAt = 1 << 16;
    std::string buffer;
    buffer.reserve(kFlushAt + 4096);
    for (int r = 0; r < grid.RowCount(); ++r) {
        if (grid.rowIsEmpty(r)) {
            // A never-written row is all empty fields.
            for (std::size_t i = 0; i < columns.size(); ++i)
                buffer.append(i == 0 ? "\"\"" : ",\"\"");
        } else {
            for (std::size_t i = 0; i < columns.size(); ++i) {
                if (i > 0)
                    buffer += ',';
                appendCsvField(buffer, grid.cellUtf8(columns[i], r));
            }
        }
        buffer.append("\r\n");
        if (buffer.size() >= kFlushAt) {
            if (!file.write(buffer.data(), buffer.size()))
                fail();
            buffer.clear();
        }
    }
    if (!file.write(buffer.data(), buffer.size()) || !file.commit())
        fail();
}

} // namespace sorvant
