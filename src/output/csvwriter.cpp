#include "csvwriter.h"

#include "platform/outputfile.h"
#include "platform/usererror.h"

#include <cstring>
#include <memory>
#include <vector>

namespace sorvant {

namespace {

// True when the cell needs none of the encoding rules: nearly all of
// Sorvant's cells, which then go straight through.
bool isPlainField(std::string_view cell)
{
    if (cell.empty())
        return false;
    for (const char ch : cell) {
        if (ch == '"' || ch == ',' || ch == '\r')
            return false;
    }
    return true;
}

char kTooLargeMark;
char *const kTooLarge = &kTooLargeMark;

// Lines are gathered in a fixed buffer and handed to the file in large
// writes; the whole file never sits in memory.
class LineBuffer
{
public:
    explicit LineBuffer(OutputFile &file) : m_file(file) {}

    bool append(const char *data, std::size_t size)
    {
        if (size > kSize - m_used) {
            if (!flush())
                return false;
            if (size > kSize)
                return m_file.write(data, size);
        }
        std::memcpy(m_data + m_used, data, size);
        m_used += size;
        return true;
    }
    bool append(std::string_view text) { return append(text.data(), text.size()); }
    // Room for `size` bytes at the end, which the caller fills at once: null
    // when a flush failed, kTooLarge when `size` exceeds the whole buffer.
    char *reserve(std::size_t size)
    {
        if (size > kSize)
            return kTooLarge;
        if (size > kSize - m_used && !flush())
            return nullptr;
        char *at = m_data + m_used;
        m_used += size;
        return at;
    }
    // Gives back the room of the last reserve().
    void unreserve(std::size_t size) { m_used -= size; }
    bool flush()
    {
        const bool ok = m_used == 0 || m_file.write(m_data, m_used);
        m_used = 0;
        return ok;
    }

private:
    static constexpr std::size_t kSize = std::size_t(1) << 16;
    OutputFile &m_file;
    std::size_t m_used = 0;
    char m_data[kSize];
};

} // namespace

void appendCsvField(std::string &out, std::string_view cell)
{
    // Plain texts, which are nearly all of Sorvant's cells, go straight through.
    if (isPlainField(cell)) {
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
    // A never-written row is all empty fields.
    std::string emptyLine;
    for (std::size_t i = 0; i < columns.size(); ++i)
        emptyLine.append(i == 0 ? "\"\"" : ",\"\"");
    emptyLine.append("\r\n");

    const auto buffer = std::make_unique<LineBuffer>(file);
    std::vector<std::string_view> cells(static_cast<std::size_t>(grid.columnTotal()));
    std::string encoded;
    bool ok = true;
    for (int r = 0; r < grid.RowCount() && ok; ++r) {
        if (grid.rowIsEmpty(r)) {
            ok = buffer->append(emptyLine);
            continue;
        }
        grid.rowUtf8(r, cells.data());
        // Fast path: the row is copied straight into the buffer, checking on
        // the way that no cell needs encoding; if one does, the copy is taken
        // back and the row goes field by field.
        std::size_t rowSize = columns.size() + 1; // commas and CR LF
        for (const int c : columns)
            rowSize += cells[static_cast<std::size_t>(c)].size();
        char *const start = buffer->reserve(rowSize);
        if (!start) {
            ok = false;
            break;
        }
        if (start != kTooLarge) {
            char *out = start;
            bool special = false;
            for (std::size_t i = 0; i < columns.size(); ++i) {
                if (i > 0)
                    *out++ = ',';
                const std::string_view cell = cells[static_cast<std::size_t>(columns[i])];
                special = special || cell.empty();
                for (const char ch : cell) {
                    special = special || ch == '"' || ch == ',' || ch == '\r';
                    *out++ = ch;
                }
            }
            if (!special) {
                *out++ = '\r';
                *out = '\n';
                continue;
            }
            buffer->unreserve(rowSize);
        }
        for (std::size_t i = 0; i < columns.size() && ok; ++i) {
            if (i > 0)
                ok = buffer->append(",", 1);
            const std::string_view cell = cells[static_cast<std::size_t>(columns[i])];
            if (isPlainField(cell)) {
                ok = ok && buffer->append(cell);
            } else {
                encoded.clear();
                appendCsvField(encoded, cell);
                ok = ok && buffer->append(encoded);
            }
        }
        ok = ok && buffer->append("\r\n", 2);
    }
    if (!ok || !buffer->flush() || !file.commit())
        fail();
}

} // namespace sorvant
