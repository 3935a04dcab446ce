#include "../exportcommand/heldfile.h"
#include "output/csvwriter.h"
#include "output/xlscells.h"
#include "output/xlswriter.h"
#include "platform/usererror.h"
#include "sampletable.h"
#include "xlsreadback.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

using namespace sorvant;

namespace {

std::string str(const QString &s) { return s.toStdString(); }

class XlsWriterTest : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    QString path(const QString &name) const { return dir.filePath(name); }

    // Writes `grid` and reads it back with xlrd; fails the test on any warning.
    xlsreadback::Book writeAndRead(const DataGridStore &grid, QChar separator = QLatin1Char('.'),
                                   const QString &name = QStringLiteral("out.xls"))
    {
        SaveToXLS(grid, path(name), separator);
        xlsreadback::Book book = xlsreadback::read(path(name));
        EXPECT_TRUE(book.ok) << str(book.error);
        EXPECT_TRUE(book.warnings.isEmpty()) << str(book.warnings.join(QLatin1Char('\n')));
        return book;
    }
};

struct CellCase {
    const char *text;
    char separator;
    char type;         // as xlrd reports it
    double number;     // for n and d
    const char *shown; // for s: the text the cell holds
};

// One text per row of a one-column sheet, so every case is read back alone.
TEST_F(XlsWriterTest, StoresNumbersAndTimesAsValuesAndEverythingElseAsText)
{
    const CellCase cases[] = {
        {"12", '.', 'n', 12, nullptr},
        {"-10", '.', 'n', -10, nullptr},
        {"0", '.', 'n', 0, nullptr},
        {"21.5", '.', 'n', 21.5, nullptr},
        {"0.5", '.', 'n', 0.5, nullptr},
        {"6553.5", '.', 'n', 6553.5, nullptr},
        {"655350", '.', 'n', 655350, nullptr},
        {"-32768", '.', 'n', -32768, nullptr},
        {"536870912", '.', 'n', 536870912, nullptr},      // just past RK's integers
        {"123456789.25", '.', 'n', 123456789.25, nullptr}, // needs a full double
        {"-0.07", '.', 'n', -0.07, nullptr},
        {"3.14159265358979", '.', 'n', 3.14159265358979, nullptr},
        {"123456789012345", '.', 'n', 123456789012345.0, nullptr},
        {"21,5", ',', 'n', 21.5, nullptr},
        {"-0,5", ',', 'n', -0.5, nullptr},
        {"350", ',', 'n', 350, nullptr},
        // Texts that a number would show differently stay texts.
        {"1234567890123456", '.', 's', 0, "1234567890123456"},
        {"007", '.', 's', 0, "007"},
        {"15.0", '.', 's', 0, "15.0"},
        {"-0", '.', 's', 0, "-0"},
        {".5", '.', 's', 0, ".5"},
        {"5.", '.', 's', 0, "5."},
        {"+5", '.', 's', 0, "+5"},
        {" 5", '.', 's', 0, " 5"},
        {"1e5", '.', 's', 0, "1e5"},
        {"21,5", '.', 's', 0, "21,5"},
        {"21.5", ',', 's', 0, "21.5"},
        {"1.000,5", ',', 's', 0, "1.000,5"},
        // Times of day.
        {"14:05", '.', 'd', 845 / 1440.0, nullptr},
        {"9:00", '.', 'd', 540 / 1440.0, nullptr},
        {"0:10", '.', 'd', 10 / 1440.0, nullptr},
        {"0:00", '.', 'd', 0, nullptr},
        {"12:00", '.', 'd', 0.5, nullptr},
        {"23:59", '.', 'd', 1439 / 1440.0, nullptr},
        {"24:00", '.', 's', 0, "24:00"},
        {"9:200", '.', 's', 0, "9:200"},
        {"9:60", '.', 's', 0, "9:60"},
        {"9:5", '.', 's', 0, "9:5"},
        {"09:00", '.', 's', 0, "09:00"},
        // Carriage returns go; line feeds and other characters stay.
        {"a\r\nb", '.', 's', 0, "a\nb"},
        {"12\r", '.', 'n', 12, nullptr},
        {"Gr\xC3\xBCn \"a,b\"", '.', 's', 0, "Gr\xC3\xBCn \"a,b\""},
        {"\xE6\xB8\xA9\xE5\xBA\xA6 \xC2\xB0" "C", '.', 's', 0, "\xE6\xB8\xA9\xE5\xBA\xA6 \xC2\xB0" "C"},
        {"", '.', 'b', 0, nullptr},
    };
    for (const char separator : {'.', ','}) {
        DataGridStore grid(1, 1);
        grid.setCells(0, 0, QStringLiteral("Case"));
        std::vector<const CellCase *> mine;
        for (const CellCase &c : cases) {
            if (c.separator != separator)
                continue;
            mine.push_back(&c);
            grid.setCells(0, static_cast<int>(mine.size()), QString::fromUtf8(c.text));
        }
        const auto book = writeAndRead(grid, QLatin1Char(separator));
        ASSERT_EQ(book.sheets.size(), 1u);
        const auto &sheet = book.sheets[0];
        ASSERT_EQ(sheet.rows, static_cast<int>(mine.size()) + 1);
        for (std::size_t i = 0; i < mine.size(); ++i) {
            const CellCase &c = *mine[i];
            const auto &cell = sheet.cells[i + 1][0];
            SCOPED_TRACE(std::string("text \"") + c.text + "\" separator " + separator);
            ASSERT_EQ(cell.type, c.type);
            if (c.type == 'n' || c.type == 'd') {
                EXPECT_EQ(cell.number, c.number);
            }
            if (c.type == 'd') {
                EXPECT_EQ(str(cell.format), "h:mm");
            }
            if (c.type == 's') {
                EXPECT_EQ(str(cell.text), c.shown);
            }
        }
    }
}

TEST_F(XlsWriterTest, HeaderRowStaysText)
{
    DataGridStore grid(3, 2);
    grid.setCells(0, 0, QStringLiteral("123"));
    grid.setCells(1, 0, QStringLiteral("14:05"));
    grid.setCells(0, 1, QStringLiteral("123"));
    grid.setCells(1, 1, QStringLiteral("14:05"));
    const auto book = writeAndRead(grid);
    ASSERT_EQ(book.sheets.size(), 1u);
    const auto &cells = book.sheets[0].cells;
    EXPECT_EQ(cells[0][0].type, 's');
    EXPECT_EQ(str(cells[0][0].text), "123");
    EXPECT_EQ(cells[0][1].type, 's');
    EXPECT_EQ(str(cells[0][1].text), "14:05");
    EXPECT_EQ(cells[0][2].type, 'b');
    EXPECT_EQ(cells[1][0].type, 'n');
    EXPECT_EQ(cells[1][1].type, 'd');
}

// Every cell of a sheet against the table it came from, in display order.
void expectSheetHolds(const xlsreadback::Sheet &sheet, const std::vector<int> &columns, int firstDataRow)
{
    int wrong = 0;
    ASSERT_EQ(sheet.cols, static_cast<int>(columns.size()));
    for (int r = 0; r < sheet.rows; ++r) {
        for (std::size_t p = 0; p < columns.size(); ++p) {
            const auto &cell = sheet.cells[static_cast<std::size_t>(r)][p];
            const int c = columns[p];
            bool ok;
            if (r == 0) {
                ok = cell.type == 's' && cell.text == columnHeader(c);
            } else {
                const int row = firstDataRow + r - 1;
                const double expected = sampletable::valuesFor(row)[static_cast<std::size_t>(c)];
                ok = cell.type == (c == ColTime ? 'd' : 'n') && cell.number == expected
                     && (c != ColTime || cell.format == QLatin1String("h:mm"));
            }
            if (!ok && ++wrong <= 5)
                ADD_FAILURE() << str(sheet.name) << " row " << r << " position " << p << ": type " << cell.type
                              << " number " << cell.number << " text " << str(cell.text);
        }
    }
    EXPECT_EQ(wrong, 0);
}

struct RangeCase {
    std::vector<int> hidden;
    const char *range;
    const char *a1;
};

TEST_F(XlsWriterTest, RangeCoversRowCountAndTheDisplayedColumnsInOrder)
{
    const RangeCase cases[] = {
        {{}, "A1:I61", "Record #"},
        {{ColRecordNumber}, "A1:H61", "Wet Grain Temp"},
        {{ColTime, ColBinNumber}, "A1:G61", "Record #"},
    };
    for (const RangeCase &c : cases) {
        SCOPED_TRACE(c.range);
        DataGridStore grid(kColumnCount);
        sampletable::fill(grid, 60);
        for (int h : c.hidden)
            grid.HideColumn(h);
        const auto book = writeAndRead(grid);
        ASSERT_EQ(book.sheets.size(), 1u);
        const auto &sheet = book.sheets[0];
        EXPECT_EQ(str(sheet.name), "Sheet1");
        EXPECT_EQ(str(xlsreadback::rangeText(sheet)), c.range);
        ASSERT_EQ(sheet.rows, 61);
        EXPECT_EQ(str(sheet.cells[0][0].text), c.a1);
        std::vector<int> columns;
        for (int p = 0; p < grid.ColCount(); ++p)
            columns.push_back(grid.columnAt(p));
        expectSheetHolds(sheet, columns, 1);
    }
}

TEST_F(XlsWriterTest, MovedColumnsKeepTheirDisplayOrder)
{
    DataGridStore grid(kColumnCount);
    sampletable::fill(grid, 3);
    grid.moveColumn(8, 1); // "Bin Number" dragged next to "Record #"
    const auto book = writeAndRead(grid);
    ASSERT_EQ(book.sheets.size(), 1u);
    EXPECT_EQ(str(book.sheets[0].cells[0][1].text), "Bin Number");
    std::vector<int> columns;
    for (int p = 0; p < grid.ColCount(); ++p)
        columns.push_back(grid.columnAt(p));
    ASSERT_EQ(columns[1], ColBinNumber);
    expectSheetHolds(book.sheets[0], columns, 1);
}

TEST_F(XlsWriterTest, StartUpTableIsHeadersAndBlankRows)
{
    DataGridStore grid(kColumnCount);
    configureSpreadsheetStore(grid);
    const auto book = writeAndRead(grid);
    ASSERT_EQ(book.sheets.size(), 1u);
    const auto &sheet = book.sheets[0];
    EXPECT_EQ(str(xlsreadback::rangeText(sheet)), "A1:I5000");
    ASSERT_EQ(sheet.rows, 5000);
    for (int c = 0; c < kColumnCount; ++c)
        EXPECT_EQ(str(sheet.cells[0][static_cast<std::size_t>(c)].text), str(columnHeader(c)));
    int notBlank = 0;
    for (int r = 1; r < sheet.rows; ++r)
        for (const auto &cell : sheet.cells[static_cast<std::size_t>(r)])
            notBlank += cell.type != 'b';
    EXPECT_EQ(notBlank, 0);
}

TEST_F(XlsWriterTest, TablesWithoutDataRowsOrRows)
{
    DataGridStore headersOnly(kColumnCount);
    sampletable::fill(headersOnly, 0);
    auto book = writeAndRead(headersOnly);
    ASSERT_EQ(book.sheets.size(), 1u);
    EXPECT_EQ(str(xlsreadback::rangeText(book.sheets[0])), "A1:I1");

    DataGridStore none(2, 1);
    none.setRowCount(0);
    book = writeAndRead(none, QLatin1Char('.'), QStringLiteral("none.xls"));
    ASSERT_EQ(book.sheets.size(), 1u);
    EXPECT_EQ(book.sheets[0].rows, 0);
}

// 144,001 rows: the largest table a load makes.
TEST_F(XlsWriterTest, LargestTableContinuesOnMoreSheetsWithNothingLost)
{
    DataGridStore grid(kColumnCount);
    sampletable::fill(grid, 144000);
    const auto book = writeAndRead(grid);
    ASSERT_EQ(book.sheets.size(), 3u);
    const int expectedRows[] = {65536, 65536, 12931};
    std::vector<int> columns;
    for (int c = 0; c < kColumnCount; ++c)
        columns.push_back(c);
    int firstDataRow = 1;
    for (std::size_t s = 0; s < 3; ++s) {
        const auto &sheet = book.sheets[s];
        SCOPED_TRACE(str(sheet.name));
        EXPECT_EQ(str(sheet.name), "Sheet" + std::to_string(s + 1));
        ASSERT_EQ(sheet.rows, expectedRows[s]);
        EXPECT_EQ(sheet.dimRows, expectedRows[s]);
        expectSheetHolds(sheet, columns, firstDataRow);
        firstDataRow += sheet.rows - 1;
    }
    EXPECT_EQ(firstDataRow - 1, 144000);
}

TEST_F(XlsWriterTest, OneRowPastASheetStartsTheNext)
{
    DataGridStore grid(2);
    grid.setRowCount(kXlsSheetRows + 1); // the header row and 65,536 data rows
    grid.setCells(0, 0, QStringLiteral("n"));
    grid.setCells(1, 0, QStringLiteral("text"));
    for (int r = 1; r < grid.RowCount(); ++r)
        grid.setCells(0, r, QString::number(r));
    grid.setCells(1, kXlsSheetRows, QStringLiteral("last"));
    const auto book = writeAndRead(grid);
    ASSERT_EQ(book.sheets.size(), 2u);
    EXPECT_EQ(book.sheets[0].rows, kXlsSheetRows);
    EXPECT_EQ(book.sheets[0].cells.back()[0].number, kXlsSheetRows - 1.0);
    ASSERT_EQ(book.sheets[1].rows, 2);
    EXPECT_EQ(str(book.sheets[1].cells[0][1].text), "text");
    EXPECT_EQ(book.sheets[1].cells[1][0].number, double(kXlsSheetRows));
    EXPECT_EQ(str(book.sheets[1].cells[1][1].text), "last");
}

TEST_F(XlsWriterTest, CommaSeparatorStillGivesNumbers)
{
    DataGridStore grid(kColumnCount);
    sampletable::fill(grid, 200, QLatin1Char(','));
    const auto book = writeAndRead(grid, QLatin1Char(','));
    ASSERT_EQ(book.sheets.size(), 1u);
    std::vector<int> columns;
    for (int c = 0; c < kColumnCount; ++c)
        columns.push_back(c);
    expectSheetHolds(book.sheets[0], columns, 1);
}

// Enough distinct texts that the string table runs over several records,
// with texts split across them in one-byte and in two-byte form.
TEST_F(XlsWriterTest, LargeStringTableReadsBackExactly)
{
    std::vector<QString> texts;
    for (int i = 0; i < 3000; ++i)
        texts.push_back(QStringLiteral("reading %1 \u00FC").arg(i));
    for (int i = 0; i < 1500; ++i)
        texts.push_back(QStringLiteral("\u6E29\u5EA6 %1").arg(i));
    texts.push_back(QString(20000, QLatin1Char('x')));
    texts.push_back(QString(12000, QChar(u'\u00E9')) + QString(9000, QChar(u'\u0416')));
    texts.push_back(QString(xls::kMaxCellTextLength, QLatin1Char('y')));
    DataGridStore grid(2, 1);
    grid.setCells(0, 0, QStringLiteral("text"));
    grid.setCells(1, 0, QStringLiteral("again"));
    for (std::size_t i = 0; i < texts.size(); ++i) {
        grid.setCells(0, static_cast<int>(i) + 1, texts[i]);
        grid.setCells(1, static_cast<int>(i) + 1, texts[(i * 7) % texts.size()]);
    }
    const auto book = writeAndRead(grid);
    ASSERT_EQ(book.sheets.size(), 1u);
    const auto &cells = book.sheets[0].cells;
    ASSERT_EQ(cells.size(), texts.size() + 1);
    int wrong = 0;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        wrong += cells[i + 1][0].type != 's' || cells[i + 1][0].text != texts[i];
        wrong += cells[i + 1][1].type != 's' || cells[i + 1][1].text != texts[(i * 7) % texts.size()];
    }
    EXPECT_EQ(wrong, 0);
}

TEST_F(XlsWriterTest, TextLongerThanACellHoldsIsRefusedWithoutAFile)
{
    DataGridStore grid(1, 2);
    grid.setCells(0, 0, QStringLiteral("text"));
    grid.setCells(0, 1, QString(xls::kMaxCellTextLength + 1, QLatin1Char('z')));
    try {
        SaveToXLS(grid, path(QStringLiteral("long.xls")), QLatin1Char('.'));
        FAIL() << "no error";
    } catch (const UserError &e) {
        EXPECT_TRUE(e.text().contains(QLatin1String("CSV"))) << str(e.text());
    }
    EXPECT_FALSE(QFile::exists(path(QStringLiteral("long.xls"))));
}

// --- failures -----------------------------------------------------------------

QString errorOf(const DataGridStore &grid, const QString &fileName)
{
    try {
        SaveToXLS(grid, fileName, QLatin1Char('.'));
    } catch (const UserError &e) {
        return e.text();
    }
    return QString();
}

TEST_F(XlsWriterTest, FileThatCannotBeCreatedIsReported)
{
    DataGridStore grid(kColumnCount);
    sampletable::fill(grid, 5);
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder.xls")));
    const QString cases[] = {path(QStringLiteral("folder.xls")), path(QStringLiteral("missing/out.xls"))};
    for (const QString &name : cases)
        EXPECT_EQ(str(errorOf(grid, name)), "Cannot Create file " + str(name));
    EXPECT_TRUE(QFileInfo(path(QStringLiteral("folder.xls"))).isDir());
}

TEST_F(XlsWriterTest, FileThatCannotBeReplacedIsReportedAndKept)
{
    const QString name = path(QStringLiteral("day1.xls"));
    {
        QFile old(name);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("held");
    }
    HeldFile held(name);
    if (!held.held())
        GTEST_SKIP() << "cannot hold a file here (chattr or permissions unavailable)";
    DataGridStore grid(kColumnCount);
    sampletable::fill(grid, 5);
    const QString error = errorOf(grid, name);
    held.release();
    EXPECT_EQ(str(error), "Cannot Create file " + str(name));
    QFile old(name);
    ASSERT_TRUE(old.open(QIODevice::ReadOnly));
    EXPECT_EQ(old.readAll(), QByteArray("held"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("day1.xls")});
}

TEST_F(XlsWriterTest, FullDeviceIsReported)
{
    if (!QFileInfo::exists(QStringLiteral("/dev/full")))
        GTEST_SKIP() << "no /dev/full";
    DataGridStore grid(kColumnCount);
    sampletable::fill(grid, 2000);
    const QString error = errorOf(grid, QStringLiteral("/dev/full"));
    EXPECT_TRUE(error.startsWith(QLatin1String("Error writing file /dev/full: "))) << str(error);
}

// A write that fails part-way (here the process's file size limit, which
// holds for root too) leaves the old file as it was and no temporary file.
TEST_F(XlsWriterTest, FailedWriteKeepsTheOldFileAndLeavesNoTemporary)
{
    const QString name = path(QStringLiteral("day1.xls"));
    {
        QFile old(name);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("old content");
    }
    DataGridStore grid(kColumnCount);
    sampletable::fill(grid, 20000);

    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limited = saved;
    limited.rlim_cur = 256 * 1024;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
    const QString error = errorOf(grid, name);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_TRUE(error.startsWith(QStringLiteral("Error writing file ") + name)) << str(error);
    QFile old(name);
    ASSERT_TRUE(old.open(QIODevice::ReadOnly));
    EXPECT_EQ(old.readAll(), QByteArray("old content"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("day1.xls")});
}

TEST_F(XlsWriterTest, ReplacesAnExistingFileWhole)
{
    const QString name = path(QStringLiteral("day1.xls"));
    {
        QFile old(name);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write(QByteArray(3 * 1024 * 1024, 'j'));
    }
    DataGridStore grid(kColumnCount);
    sampletable::fill(grid, 10);
    const auto book = writeAndRead(grid, QLatin1Char('.'), QStringLiteral("day1.xls"));
    ASSERT_EQ(book.sheets.size(), 1u);
    EXPECT_EQ(book.sheets[0].rows, 11);
    EXPECT_LT(QFileInfo(name).size(), 64 * 1024);
}

// --- LibreOffice ----------------------------------------------------------------

// Fields of a CSV line as LibreOffice writes them (quotes only around fields
// that need them).
QStringList csvFields(const QString &line)
{
    QStringList fields;
    QString field;
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar ch = line[i];
        if (quoted) {
            if (ch == QLatin1Char('"') && i + 1 < line.size() && line[i + 1] == QLatin1Char('"')) {
                field += ch;
                ++i;
            } else if (ch == QLatin1Char('"')) {
                quoted = false;
            } else {
                field += ch;
            }
        } else if (ch == QLatin1Char('"')) {
            quoted = true;
        } else if (ch == QLatin1Char(',')) {
            fields << field;
            field.clear();
        } else {
            field += ch;
        }
    }
    fields << field;
    return fields;
}

std::vector<QStringList> csvRows(const QString &fileName)
{
    QFile f(fileName);
    std::vector<QStringList> rows;
    if (!f.open(QIODevice::ReadOnly))
        return rows;
    const QString text = QString::fromUtf8(f.readAll());
    for (QString line : text.split(QLatin1Char('\n'))) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        rows.push_back(csvFields(line));
    }
    while (!rows.empty() && rows.back().join(QString()).isEmpty())
        rows.pop_back(); // trailing empty rows: LibreOffice leaves them out
    return rows;
}

TEST_F(XlsWriterTest, LibreOfficeOpensItWithTheSameCellsAsTheCsvExport)
{
    const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    if (soffice.isEmpty())
        GTEST_SKIP() << "LibreOffice (soffice) is not installed; this check runs where it is";
    DataGridStore grid(kColumnCount);
    sampletable::fill(grid, 300);
    grid.HideColumn(ColUnloadRate);
    SaveToXLS(grid, path(QStringLiteral("day1.xls")), QLatin1Char('.'));
    SaveToCSV(grid, path(QStringLiteral("day1.csv")));
    QDir(dir.path()).mkdir(QStringLiteral("lo"));
    QProcess p;
    p.setWorkingDirectory(dir.path());
    // The CSV filter's options: comma, double quote, UTF-8 (76), from line 1,
    // no column formats, default language, text cells unquoted, then "save
    // cell contents as shown" on, so each cell comes out in the number format
    // our workbook gave it ("h:mm" times) and not in LibreOffice's default.
    const QString asShown = QStringLiteral("csv:Text - txt - csv (StarCalc):44,34,76,1,,0,false,true,true");
    p.start(soffice, {QStringLiteral("-env:UserInstallation=file://") + dir.path() + QStringLiteral("/profile"),
                      QStringLiteral("--headless"), QStringLiteral("--norestore"),
                      QStringLiteral("--convert-to"), asShown,
                      QStringLiteral("--outdir"), path(QStringLiteral("lo")), path(QStringLiteral("day1.xls"))});
    ASSERT_TRUE(p.waitForFinished(240000)) << "soffice did not finish";
    const auto converted = csvRows(path(QStringLiteral("lo/day1.csv")));
    auto ours = csvRows(path(QStringLiteral("day1.csv")));
    ASSERT_FALSE(converted.empty()) << "soffice wrote nothing: " << p.readAllStandardError().toStdString();
    ASSERT_EQ(converted.size(), ours.size());
    for (std::size_t r = 0; r < ours.size(); ++r)
        EXPECT_EQ(str(converted[r].join(QLatin1Char('|'))), str(ours[r].join(QLatin1Char('|')))) << "row " << r;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
