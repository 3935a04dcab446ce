#include "xlswriter.h"

#include "platform/outputfile.h"
#include "platform/usererror.h"
#include "xlscells.h"
#include "xlscontainer.h"

#include <algorithm>
#include <stdexcept>
#include <vector>

namespace sorvant {

namespace {

using namespace xls;

// Record types.
constexpr std::uint16_t kBof = 0x0809, kEof = 0x000A, kCodePage = 0x0042, kWindow1 = 0x003D,
                        kDateMode = 0x0022, kFont = 0x0031, kFormat = 0x041E, kXf = 0x00E0,
                        kStyle = 0x0293, kBoundSheet = 0x0085, kIndex = 0x020B, kDefColWidth = 0x0055,
                        kColInfo = 0x007D, kDimensions = 0x0200, kRow = 0x0208, kDbCell = 0x00D7,
                        kWindow2 = 0x023E, kRk = 0x027E, kMulRk = 0x00BD, kNumber = 0x0203,
                        kLabelSst = 0x00FD, kBlank = 0x0201, kMulBlank = 0x00BE, kWsBool = 0x0081;

// Cell formats: 0-14 are the style formats every workbook has, 15 the plain cell.
constexpr std::uint16_t kXfCell = 15, kXfTime = 16, kXfHeader = 17;
constexpr std::uint16_t kTimeFormat = 164; // the first number format a file may define
constexpr int kMaxColumns = 256;
constexpr int kBlockRows = 32;            // rows per ROW/DBCELL block
constexpr std::size_t kRowRecordSize = 4 + 16;
constexpr std::size_t kBofSize = 4 + 16;

std::size_t indexSize(std::size_t blocks) { return 4 + 16 + 4 * blocks; }
std::size_t dbCellSize(int rows) { return 4 + 4 + 2 * static_cast<std::size_t>(rows); }

void putBof(std::string &out, std::uint16_t type)
{
    putRecordHeader(out, kBof, 16);
    put16(out, 0x0600); // BIFF8
    put16(out, type);
    put16(out, 0x0DBB); // build and year of the Excel 97 format
    put16(out, 0x07CC);
    put32(out, 0);
    put32(out, 0x00000006);
}

// A short text with a one-byte length (font and sheet names): Latin-1 only.
void putShortText(std::string &out, const char *latin1)
{
    const std::size_t n = std::char_traits<char>::length(latin1);
    put8(out, static_cast<std::uint8_t>(n));
    put8(out, 0);
    out.append(latin1, n);
}

void putFont(std::string &out, bool bold)
{
    putRecordHeader(out, kFont, 14 + 2 + 5);
    put16(out, 200);              // 10 point, in twips
    put16(out, 0);
    put16(out, 0x7FFF);           // automatic colour
    put16(out, bold ? 700 : 400);
    put16(out, 0);
    put8(out, 0);                 // no underline
    put8(out, 2);                 // swiss family
    put8(out, 0);                 // ANSI character set
    put8(out, 0);
    putShortText(out, "Arial");
}

void putXf(std::string &out, std::uint16_t font, std::uint16_t format, bool style, std::uint8_t usedAttributes)
{
    putRecordHeader(out, kXf, 20);
    put16(out, font);
    put16(out, format);
    put16(out, style ? 0xFFF5 : 0x0001); // locked; a style has no parent, a cell has style 0
    put8(out, 0x20);                     // general alignment, at the bottom
    put8(out, 0);
    put8(out, 0);
    put8(out, usedAttributes);
    put32(out, 0);                       // no borders
    put32(out, 0);                       // no pattern
    put16(out, 0x20C0);                  // window colours, foreground 64 and background 65
}

std::string sheetName(std::size_t index)
{
    return "Sheet" + std::to_string(index + 1);
}

void putBoundSheet(std::string &out, const std::string &name)
{
    putRecordHeader(out, kBoundSheet, 4 + 1 + 1 + 2 + name.size());
    put32(out, 0); // the sheet's position, filled in once known
    put8(out, 0);  // visible
    put8(out, 0);  // worksheet
    putShortText(out, name.c_str());
}

// One sheet of the workbook: the header row, then table rows from firstDataRow.
struct Sheet {
    int firstDataRow = 1;
    int rows = 0;                         // sheet rows, the header row included
    std::vector<std::uint32_t> blockBytes; // ROW records and cells of each block
    std::uint64_t start = 0;
    std::uint64_t size = 0;

    int blocks() const { return (rows + kBlockRows - 1) / kBlockRows; }
    int blockRows(int b) const { return std::min(kBlockRows, rows - b * kBlockRows); }
    int gridRow(int sheetRow) const { return sheetRow == 0 ? 0 : firstDataRow + sheetRow - 1; }
};

// Turns one table row into its cell records. The first pass collects the
// texts for the shared string table; the second looks them up.
class RowEncoder
{
public:
    RowEncoder(const DataGridStore &grid, std::vector<int> columns, std::string separator, SharedStrings &strings)
        : m_grid(grid), m_columns(std::move(columns)), m_separator(std::move(separator)), m_strings(strings),
          m_cells(m_columns.size())
    {
    }

    void encode(int gridRow, int sheetRow, bool collect, std::string &out)
    {
        const bool header = sheetRow == 0;
        const bool empty = m_grid.rowIsEmpty(gridRow);
        for (std::size_t p = 0; p < m_columns.size(); ++p) {
            Cell &cell = m_cells[p];
            cell = Cell{};
            cell.xf = header ? kXfHeader : kXfCell;
            if (empty)
                continue;
            const std::string_view text = withoutCarriageReturns(m_grid.cellUtf8(m_columns[p], gridRow), m_scratch);
            if (text.empty())
                continue;
            if (!header) {
                const CellValue v = classifyCell(text, m_separator);
                if (v.kind != CellValue::Kind::Text) {
                    cell.kind = v.rkExact ? Cell::Rk : Cell::Number;
                    cell.rk = v.rk;
                    cell.number = v.value;
                    if (v.kind == CellValue::Kind::Time)
                        cell.xf = kXfTime;
                    continue;
                }
            }
            if (collect && utf16Length(text) > static_cast<std::size_t>(kMaxCellTextLength))
                throw UserError(QStringLiteral("Row %1 holds a text of more than %2 characters, more than a "
                                               "workbook cell can hold; export the table as CSV instead")
                                    .arg(gridRow)
                                    .arg(kMaxCellTextLength));
            cell.kind = Cell::String;
            cell.sst = collect ? m_strings.add(text) : m_strings.find(text);
        }
        writeRecords(static_cast<std::uint16_t>(sheetRow), out);
    }

private:
    struct Cell {
        enum Kind : std::uint8_t { Blank, Rk, Number, String } kind = Blank;
        std::uint16_t xf = kXfCell;
        std::uint32_t rk = 0;
        std::uint32_t sst = 0;
        double number = 0;
    };

    void writeRecords(std::uint16_t row, std::string &out) const
    {
        const std::size_t n = m_cells.size();
        for (std::size_t i = 0; i < n;) {
            const Cell &c = m_cells[i];
            const auto col = static_cast<std::uint16_t>(i);
            std::size_t j = i + 1;
            if (c.kind == Cell::Rk || c.kind == Cell::Blank) {
                while (j < n && m_cells[j].kind == c.kind)
                    ++j;
            }
            const std::size_t run = j - i;
            if (c.kind == Cell::Rk && run > 1) {
                putRecordHeader(out, kMulRk, 6 + 6 * run);
                put16(out, row);
                put16(out, col);
                for (std::size_t k = i; k < j; ++k) {
                    put16(out, m_cells[k].xf);
                    put32(out, m_cells[k].rk);
                }
                put16(out, static_cast<std::uint16_t>(j - 1));
            } else if (c.kind == Cell::Blank && run > 1) {
                putRecordHeader(out, kMulBlank, 6 + 2 * run);
                put16(out, row);
                put16(out, col);
                for (std::size_t k = i; k < j; ++k)
                    put16(out, m_cells[k].xf);
                put16(out, static_cast<std::uint16_t>(j - 1));
            } else {
                j = i + 1;
                switch (c.kind) {
                case Cell::Rk:
                    putRecordHeader(out, kRk, 10);
                    break;
                case Cell::Number:
                    putRecordHeader(out, kNumber, 14);
                    break;
                case Cell::String:
                    putRecordHeader(out, kLabelSst, 10);
                    break;
                case Cell::Blank:
                    putRecordHeader(out, kBlank, 6);
                    break;
                }
                put16(out, row);
                put16(out, col);
                put16(out, c.xf);
                if (c.kind == Cell::Rk)
                    put32(out, c.rk);
                else if (c.kind == Cell::Number)
                    putDouble(out, c.number);
                else if (c.kind == Cell::String)
                    put32(out, c.sst);
            }
            i = j;
        }
    }

    const DataGridStore &m_grid;
    const std::vector<int> m_columns;
    const std::string m_separator;
    SharedStrings &m_strings;
    std::vector<Cell> m_cells;
    std::string m_scratch;
};

// Buffers what goes to the file and counts the workbook stream's position.
class StreamSink
{
public:
    StreamSink(OutputFile &file, const QString &fileName) : m_file(file), m_fileName(fileName)
    {
        m_buffer.reserve(kFlushAt + 16384);
    }
    std::string &buffer() { return m_buffer; }
    std::uint64_t position() const { return m_flushed + m_buffer.size() - m_base; }
    void startStream() { m_base = m_flushed + m_buffer.size(); }
    void maybeFlush()
    {
        if (m_buffer.size() >= kFlushAt)
            flush();
    }
    void flush()
    {
        if (!m_file.write(m_buffer.data(), m_buffer.size()))
            fail();
        m_flushed += m_buffer.size();
        m_buffer.clear();
    }
    [[noreturn]] void fail() const
    {
        throw UserError(QStringLiteral("Error writing file %1: %2").arg(m_fileName, m_file.errorString()));
    }

private:
    static constexpr std::size_t kFlushAt = 1 << 16;
    OutputFile &m_file;
    QString m_fileName;
    std::string m_buffer;
    std::uint64_t m_flushed = 0;
    std::uint64_t m_base = 0;
};

// The two passes must agree byte for byte; should they ever not, the file
// would be unreadable, so it is not written.
[[noreturn]] void layoutMismatch()
{
    throw std::logic_error("the workbook's layout and its content disagree");
}

// Sizes of the fixed records of a sheet, their 4-byte headers included.
constexpr std::size_t kWsBoolSize = 4 + 2;
constexpr std::size_t kDefColWidthSize = 4 + 2;
constexpr std::size_t kColInfoSize = 4 + 12;
constexpr std::size_t kDimensionsSize = 4 + 14;
constexpr std::size_t kWindow2Size = 4 + 18;
constexpr std::size_t kEofSize = 4;

// Writes one workbook in two passes over the table: the first sizes every
// block of rows and collects the shared strings, so that the second can
// stream the file front to back with every position already known.
class WorkbookWriter
{
public:
    WorkbookWriter(const DataGridStore &grid, const std::vector<int> &columns, QChar decimalSeparator)
        : m_grid(grid), m_columns(columns), m_ncols(static_cast<std::uint16_t>(columns.size())),
          m_encoder(grid, columns, QString(decimalSeparator).toUtf8().toStdString(), m_strings)
    {
    }

    void write(OutputFile &file, const QString &fileName)
    {
        planSheets();
        std::vector<std::size_t> boundSheetAt;
        std::string globals = workbookGlobals(boundSheetAt);
        std::uint64_t position = globals.size();
        for (Sheet &s : m_sheets) {
            s.start = position;
            position += s.size;
        }
        if (position > CompoundFileLayout::kMaxStreamSize)
            throw UserError(QStringLiteral("The table is too large for a workbook; export it as CSV instead"));
        for (std::size_t i = 0; i < m_sheets.size(); ++i) {
            const auto at = static_cast<std::uint32_t>(m_sheets[i].start);
            for (std::size_t k = 0; k < 4; ++k)
                globals[boundSheetAt[i] + k] = static_cast<char>((at >> (8 * k)) & 0xFF);
        }
        const CompoundFileLayout layout(std::max(position, CompoundFileLayout::kMinStreamSize));

        StreamSink sink(file, fileName);
        std::string &out = sink.buffer();
        out += layout.header();
        sink.startStream();
        out += globals;
        std::string().swap(globals);
        for (std::size_t i = 0; i < m_sheets.size(); ++i)
            writeSheet(sink, m_sheets[i], i == 0);
        out.append(static_cast<std::size_t>(layout.streamSize() - sink.position()), '\0');
        out += layout.trailer();
        sink.flush();
        if (!file.commit())
            sink.fail();
    }

private:
    std::size_t sheetFixedSize(const Sheet &s) const
    {
        return kBofSize + indexSize(static_cast<std::size_t>(s.blocks())) + kWsBoolSize + kDefColWidthSize
               + kColInfoSize * m_ncols + kDimensionsSize + kWindow2Size + kEofSize;
    }

    // Splits the table over sheets of at most kXlsSheetRows rows and sizes
    // every block of rows.
    void planSheets()
    {
        const int rowCount = m_grid.RowCount();
        if (rowCount <= 0) {
            m_sheets.emplace_back();
        } else {
            int next = 1;
            do {
                Sheet s;
                s.firstDataRow = next;
                s.rows = 1 + std::min(rowCount - next, kXlsSheetRows - 1);
                next += s.rows - 1;
                m_sheets.push_back(std::move(s));
            } while (next < rowCount);
        }
        std::string scratch;
        for (Sheet &s : m_sheets) {
            s.size = sheetFixedSize(s);
            for (int b = 0; b < s.blocks(); ++b) {
                std::size_t bytes = 0;
                for (int r = b * kBlockRows; r < b * kBlockRows + s.blockRows(b); ++r) {
                    scratch.clear();
                    m_encoder.encode(s.gridRow(r), r, true, scratch);
                    bytes += kRowRecordSize + scratch.size();
                }
                s.blockBytes.push_back(static_cast<std::uint32_t>(bytes));
                s.size += bytes + dbCellSize(s.blockRows(b));
            }
        }
    }

    // The workbook globals, with every record Excel's own files always have.
    // `boundSheetAt` receives where each sheet's position is to be filled in.
    std::string workbookGlobals(std::vector<std::size_t> &boundSheetAt) const
    {
        std::string g;
        const auto putWord = [&g](std::uint16_t type, std::uint16_t value) {
            putRecordHeader(g, type, 2);
            put16(g, value);
        };
        putBof(g, 0x0005);
        putWord(0x00E1, 1200);          // INTERFACEHDR
        putWord(0x00C1, 0);             // MMS
        putRecordHeader(g, 0x00E2, 0);  // INTERFACEEND
        putRecordHeader(g, 0x005C, 112); // WRITEACCESS: the writer's name, blank-padded
        put16(g, 7);
        put8(g, 0);
        g.append("Sorvant");
        g.append(112 - 3 - 7, ' ');
        putWord(kCodePage, 1200); // texts are UTF-16
        putWord(0x0161, 0);       // DSF: no second stream
        putRecordHeader(g, 0x013D, 2 * m_sheets.size()); // RRTABID: sheet ids in tab order
        for (std::size_t i = 0; i < m_sheets.size(); ++i)
            put16(g, static_cast<std::uint16_t>(i + 1));
        // WINPROTECT, PROTECT, PASSWORD, PROT4REV, PROT4REVPASS: no protection.
        static const std::uint16_t kProtection[5] = {0x0019, 0x0012, 0x0013, 0x01AF, 0x01BC};
        for (const std::uint16_t type : kProtection)
            putWord(type, 0);
        putRecordHeader(g, kWindow1, 18);
        // Window position and size in twips, scroll bars and sheet tabs shown,
        // the first sheet active, one selected, the tab bar at 60% of the width.
        static const std::uint16_t kWindow[9] = {360, 270, 14940, 9150, 0x0038, 0, 0, 1, 600};
        for (const std::uint16_t v : kWindow)
            put16(g, v);
        putWord(0x0040, 0);    // BACKUP: none
        putWord(0x008D, 0);    // HIDEOBJ: show objects
        putWord(kDateMode, 0); // dates count from 1900
        putWord(0x000E, 1);    // PRECISION: full precision
        putWord(0x01B7, 0);    // REFRESHALL
        putWord(0x00DA, 0);    // BOOKBOOL
        for (int i = 0; i < 4; ++i)
            putFont(g, false);
        putFont(g, true); // font index 5: there is no index 4
        putRecordHeader(g, kFormat, 2 + 2 + 1 + 4);
        put16(g, kTimeFormat);
        put16(g, 4);
        put8(g, 0);
        g.append("h:mm");
        putXf(g, 0, 0, true, 0x00);
        for (int i = 1; i < 15; ++i)
            putXf(g, 0, 0, true, 0xF4);
        putXf(g, 0, 0, false, 0x00);          // kXfCell
        putXf(g, 0, kTimeFormat, false, 0x04); // kXfTime
        putXf(g, 5, 0, false, 0x08);           // kXfHeader, bold
        putRecordHeader(g, kStyle, 4);
        put16(g, 0x8000); // built-in style "Normal" on format 0
        put8(g, 0);
        put8(g, 0xFF);
        putWord(0x0160, 0); // USESELFS
        for (std::size_t i = 0; i < m_sheets.size(); ++i) {
            boundSheetAt.push_back(g.size() + 4);
            putBoundSheet(g, sheetName(i));
        }
        putRecordHeader(g, 0x008C, 4); // COUNTRY
        put16(g, 1);
        put16(g, 1);
        g += m_strings.serialize(g.size());
        putRecordHeader(g, kEof, 0);
        return g;
    }

    void writeSheet(StreamSink &sink, const Sheet &s, bool first)
    {
        std::string &out = sink.buffer();
        if (sink.position() != s.start)
            layoutMismatch();
        const auto rows = static_cast<std::uint32_t>(s.rows);
        putBof(out, 0x0010);

        // INDEX: where DEFCOLWIDTH and each block's DBCELL lie.
        const std::size_t blocks = static_cast<std::size_t>(s.blocks());
        const std::uint64_t defColWidthAt = s.start + kBofSize + indexSize(blocks) + kWsBoolSize;
        putRecordHeader(out, kIndex, indexSize(blocks) - 4);
        put32(out, 0);
        put32(out, 0);
        put32(out, rows);
        put32(out, static_cast<std::uint32_t>(defColWidthAt));
        std::uint64_t at = defColWidthAt + kDefColWidthSize + kColInfoSize * m_ncols + kDimensionsSize;
        for (std::size_t b = 0; b < blocks; ++b) {
            at += s.blockBytes[b];
            put32(out, static_cast<std::uint32_t>(at));
            at += dbCellSize(s.blockRows(static_cast<int>(b)));
        }

        putRecordHeader(out, kWsBool, 2);
        put16(out, 0x04C1); // a worksheet with automatic page breaks and outline symbols
        putRecordHeader(out, kDefColWidth, 2);
        put16(out, 8);
        for (std::uint16_t p = 0; p < m_ncols; ++p) {
            // The grid's pixel width in Excel's units: 1/256 of a digit of
            // the default font, 7 pixels wide, plus 5 pixels of margin.
            const int pixels = m_grid.columnWidth(m_columns[p]);
            const int width = std::clamp((pixels - 5) * 256 / 7, 256, 255 * 256);
            putRecordHeader(out, kColInfo, 12);
            put16(out, p);
            put16(out, p);
            put16(out, static_cast<std::uint16_t>(width));
            put16(out, kXfCell);
            put16(out, 0);
            put16(out, 0);
        }
        putRecordHeader(out, kDimensions, 14);
        put32(out, 0);
        put32(out, rows);
        put16(out, 0);
        put16(out, rows ? m_ncols : 0);
        put16(out, 0);

        for (int b = 0; b < s.blocks(); ++b) {
            writeBlock(sink, s, b);
            sink.maybeFlush();
        }

        putRecordHeader(out, kWindow2, 18);
        put16(out, first ? 0x06B6 : 0x00B6); // grid lines, headings, zeros; the first sheet selected
        put16(out, 0);
        put16(out, 0);
        put16(out, 64);
        for (int i = 0; i < 5; ++i)
            put16(out, 0);
        putRecordHeader(out, kEof, 0);
        if (sink.position() != s.start + s.size)
            layoutMismatch();
    }

    // A block of up to 32 rows: their ROW records, their cells, and the
    // DBCELL record that finds each row's first cell.
    void writeBlock(StreamSink &sink, const Sheet &s, int b)
    {
        std::string &out = sink.buffer();
        const int first = b * kBlockRows;
        const int count = s.blockRows(b);
        const std::uint64_t blockStart = sink.position();
        for (int r = first; r < first + count; ++r) {
            putRecordHeader(out, kRow, 16);
            put16(out, static_cast<std::uint16_t>(r));
            put16(out, 0);
            put16(out, m_ncols);
            put16(out, 0x00FF); // default height
            put16(out, 0);
            put16(out, 0);
            put16(out, 0x0100);
            put16(out, kXfCell);
        }
        m_cellOffsets.clear();
        std::uint64_t previous = blockStart + kRowRecordSize;
        for (int r = first; r < first + count; ++r) {
            const std::uint64_t rowStart = sink.position();
            m_cellOffsets.push_back(static_cast<std::uint16_t>(rowStart - previous));
            previous = rowStart;
            m_encoder.encode(s.gridRow(r), r, false, out);
        }
        const std::uint64_t dbCellAt = sink.position();
        if (dbCellAt - blockStart != s.blockBytes[static_cast<std::size_t>(b)])
            layoutMismatch();
        putRecordHeader(out, kDbCell, dbCellSize(count) - 4);
        put32(out, static_cast<std::uint32_t>(dbCellAt - blockStart));
        for (const std::uint16_t o : m_cellOffsets)
            put16(out, o);
    }

    const DataGridStore &m_grid;
    const std::vector<int> &m_columns;
    const std::uint16_t m_ncols;
    SharedStrings m_strings;
    RowEncoder m_encoder;
    std::vector<Sheet> m_sheets;
    std::vector<std::uint16_t> m_cellOffsets;
};

} // namespace

void SaveToXLS(const DataGridStore &grid, const QString &fileName, QChar decimalSeparator)
{
    OutputFile file(fileName);
    if (!file.open())
        throw UserError(QStringLiteral("Cannot Create file ") + fileName);

    std::vector<int> columns;
    for (int p = 0; p < grid.ColCount(); ++p)
        columns.push_back(grid.columnAt(p));
    if (static_cast<int>(columns.size()) > kMaxColumns)
        throw UserError(QStringLiteral("A workbook sheet holds at most %1 columns; this table shows %2. "
                                       "Hide some columns or export the table as CSV")
                            .arg(kMaxColumns)
                            .arg(columns.size()));
    WorkbookWriter(grid, columns, decimalSeparator).write(file, fileName);
}

} // namespace sorvant
