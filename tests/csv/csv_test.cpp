#include "logdata/loadlog.h"
#include "output/csvwriter.h"
#include "platform/errortext.h"
#include "platform/usererror.h"
#include "views/spreadsheetconfig.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "logbytes.h"

#include <gtest/gtest.h>

#include <csignal>
#include <memory>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace sorvant;
using HAlign = DataGridStore::HAlign;

namespace {

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

class CsvTest : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    DataGridStore grid{kColumnCount};
    void SetUp() override { configureSpreadsheetStore(grid); }
    QString path(const char *name) const { return dir.filePath(QLatin1String(name)); }

    // The two-row log of the worked example, loaded at step 1.
    void loadExample(QChar separator = QLatin1Char('.'))
    {
        const QString log = path("example.dat");
        ASSERT_TRUE(writeBytes(log, logbytes::record(90, 621, 215, 665, 150, 35, 3, 14, 5)
                                        + logbytes::record(88, 619, 210, 659, 148, 34, 3, 14, 10)));
        LogStore store;
        GridTableSink sink(grid);
        LoadTargets targets;
        targets.table = &sink;
        ASSERT_TRUE(LoadLog(log, 1, store, CellTextFormat(separator), targets).ok);
    }
    QByteArray save(const char *name = "out.csv")
    {
        SaveToCSV(grid, path(name));
        return readAll(path(name));
    }
    QStringList entries() const { return QDir(dir.path()).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot | QDir::Hidden); }
};

QByteArray field(std::string_view cell)
{
    std::string out;
    appendCsvField(out, cell);
    return QByteArray(out.data(), static_cast<qsizetype>(out.size()));
}

} // namespace

TEST_F(CsvTest, WorkedExamplesByteForByte)
{
    loadExample();
    EXPECT_EQ(save(), QByteArray("Record #,Wet Grain Temp,Grain Temp Inside Dryer,Dried Grain Temp,Moisture In,"
                                 "Moisture Out,Unload Rate,Time,Bin Number\r\n"
                                 "1,62,90,66,21.5,15,350,14:05,3\r\n"
                                 "2,61,88,65,21,14.8,340,14:10,3\r\n"));
    grid.HideColumn(ColTime);
    grid.HideColumn(ColBinNumber);
    EXPECT_EQ(save(), QByteArray("Record #,Wet Grain Temp,Grain Temp Inside Dryer,Dried Grain Temp,Moisture In,"
                                 "Moisture Out,Unload Rate\r\n"
                                 "1,62,90,66,21.5,15,350\r\n"
                                 "2,61,88,65,21,14.8,340\r\n"));
}

TEST_F(CsvTest, DecimalCommaCellsAreEnclosed)
{
    loadExample(QLatin1Char(','));
    const QList<QByteArray> lines = save().split('\n');
    ASSERT_GE(lines.size(), 3);
    EXPECT_EQ(lines[1], QByteArray("1,62,90,66,\"21,5\",15,350,14:05,3\r"));
    EXPECT_EQ(lines[2], QByteArray("2,61,88,65,21,\"14,8\",340,14:10,3\r"));
}

TEST_F(CsvTest, FieldEncoding)
{
    const std::pair<std::string_view, const char *> cases[] = {
        {"a\"b", "\"a\"\"b\""},
        {"a,\"b", "\"a,\"\"b\""},
        {"a,b", "\"a,b\""},
        {"ab", "ab"},
        {"", "\"\""},
        {"a\r\nb", "\"a\vb\""},            // a break and no comma: enclosed, CR LF -> VT
        {"a\"b\r\nc", "\"a\"\"b\nc\""},    // quote and break: enclosed, CR LF -> LF
        {"a,b\r\nc\r\n", "\"a,b\vc\v\""},  // comma and breaks
        {"a\rb", "\"a\rb\""},              // a lone CR stays, but encloses
        {"a\"\rb", "\"a\"\"\rb\""},
        {"a\nb", "a\nb"},                  // a lone LF needs nothing
        {"\"", "\"\"\"\""},
        {"21,5", "\"21,5\""},
        {" x ", " x "},                    // nothing is trimmed
    };
    for (const auto &[cell, expected] : cases)
        EXPECT_EQ(field(cell), QByteArray(expected)) << std::string(cell);
}

TEST_F(CsvTest, EncodedCellsThroughTheWholeWriter)
{
    grid.setRowCount(3);
    grid.setCells(0, 1, QStringLiteral("a\"b"));
    grid.setCells(1, 1, QStringLiteral("x\r\ny"));
    grid.setCells(2, 1, QStringLiteral("Zürich")); // written as stored, in UTF-8
    const QByteArray csv = save();
    const QByteArray header = "Record #,Wet Grain Temp,Grain Temp Inside Dryer,Dried Grain Temp,Moisture In,"
                              "Moisture Out,Unload Rate,Time,Bin Number\r\n";
    EXPECT_EQ(csv, header + "\"a\"\"b\",\"x\vy\",Z\xC3\xBCrich,\"\",\"\",\"\",\"\",\"\",\"\"\r\n"
                   "\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\"\r\n");
}

TEST_F(CsvTest, LongCellsKeepTheirPlaceInTheFile)
{
    // Cells longer than the writer's buffer, plain and needing quotes, between
    // ordinary rows: every byte in order.
    DataGridStore g(2, 5);
    const QString longPlain(100000, QLatin1Char('x'));
    const QString longQuoted = QStringLiteral("a,") + QString(70000, QLatin1Char('y'));
    g.setCells(0, 0, QStringLiteral("h1"));
    g.setCells(1, 0, QStringLiteral("h2"));
    g.setCells(0, 1, longPlain);
    g.setCells(1, 1, QStringLiteral("1"));
    g.setCells(0, 2, QStringLiteral("2"));
    g.setCells(1, 2, longQuoted);
    g.setCells(0, 3, QStringLiteral("3"));
    g.setCells(1, 3, QStringLiteral("4"));
    SaveToCSV(g, path("long.csv"));
    const QByteArray expected = "h1,h2\r\n" + longPlain.toLatin1() + ",1\r\n2,\"" + longQuoted.toLatin1()
        + "\"\r\n3,4\r\n\"\",\"\"\r\n";
    EXPECT_TRUE(readAll(path("long.csv")) == expected);
}

TEST_F(CsvTest, RowsAndColumnsAsTheViewHoldsThem)
{
    // Before any load: the header line and 4,999 lines of empty fields.
    const QByteArray start = save();
    const QByteArray emptyLine = "\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\"\r\n";
    EXPECT_EQ(start.count("\r\n"), 5000);
    EXPECT_TRUE(start.endsWith(emptyLine));
    EXPECT_EQ(start.count(emptyLine), 4999);
    EXPECT_EQ(start.count('\n'), 5000); // no bare line ends

    // A load with no rows: the header line only.
    grid.setRowCount(1);
    EXPECT_EQ(save(), QByteArray("Record #,Wet Grain Temp,Grain Temp Inside Dryer,Dried Grain Temp,Moisture In,"
                                 "Moisture Out,Unload Rate,Time,Bin Number\r\n"));

    // Hidden "Record #" and a moved column: display order, hidden ones left out.
    loadExample();
    grid.HideColumn(ColRecordNumber);
    grid.moveColumn(grid.displayPosition(ColBinNumber), 0);
    const QList<QByteArray> lines = save().split('\n');
    EXPECT_EQ(lines[0], QByteArray("Bin Number,Wet Grain Temp,Grain Temp Inside Dryer,Dried Grain Temp,"
                                   "Moisture In,Moisture Out,Unload Rate,Time\r"));
    EXPECT_EQ(lines[1], QByteArray("3,62,90,66,21.5,15,350,14:05\r"));
}

TEST_F(CsvTest, ReplacesALongerFileWhole)
{
    const QString target = path("out.csv");
    ASSERT_TRUE(writeBytes(target, QByteArray(100000, 'z')));
    grid.setRowCount(1);
    const QByteArray csv = save();
    EXPECT_FALSE(csv.contains('z'));
    EXPECT_TRUE(csv.endsWith("Bin Number\r\n"));
    EXPECT_EQ(entries(), QStringList{QStringLiteral("out.csv")}); // no temporary file left
}

TEST_F(CsvTest, CannotCreateFile)
{
    const QString readOnly = path("readonly.csv");
    ASSERT_TRUE(writeBytes(readOnly, "keep me"));
    ASSERT_EQ(::chmod(QFile::encodeName(readOnly).constData(), 0444), 0);
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder.csv")));
    const QString fifo = path("nobody-reads.csv");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString targets[] = {readOnly, path("folder.csv"), path("no such folder/out.csv"), fifo};
    for (const QString &target : targets) {
        SCOPED_TRACE(target.toStdString());
        try {
            SaveToCSV(grid, target);
            ADD_FAILURE() << "no error";
        } catch (const UserError &e) {
            EXPECT_EQ(e.text(), QStringLiteral("Cannot Create file ") + target);
        }
    }
    EXPECT_EQ(readAll(readOnly), QByteArray("keep me"));
    EXPECT_EQ(entries(), (QStringList{QStringLiteral("folder.csv"), QStringLiteral("nobody-reads.csv"),
                                      QStringLiteral("readonly.csv")}));

    // The name is reported exactly as passed, and shown with a full stop.
    const QString before = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path()));
    ASSERT_TRUE(QDir().mkdir(QStringLiteral("data.csv")));
    try {
        SaveToCSV(grid, QStringLiteral("data.csv"));
        ADD_FAILURE() << "no error";
    } catch (const UserError &e) {
        EXPECT_EQ(errorDisplayText(e.text()), QStringLiteral("Cannot Create file data.csv."));
    }
    QDir::setCurrent(before);
}

TEST_F(CsvTest, AnExistingFileInAFolderThatTakesNoNewFileIsWrittenInPlace)
{
    const QString folder = path("shared");
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString target = folder + QStringLiteral("/data.csv");
    ASSERT_TRUE(writeBytes(target, QByteArray(100000, 'o'))); // longer than the export
    loadExample();
    const QByteArray expected = save("fresh.csv");
    // No new file can be made in the folder: for root an immutable folder,
    // for anyone else a read-only one.
    const bool root = ::geteuid() == 0;
    QProcess chattr;
    if (root) {
        chattr.start(QStringLiteral("chattr"), {QStringLiteral("+i"), folder});
        if (!chattr.waitForFinished(30000) || chattr.exitCode() != 0)
            GTEST_SKIP() << "chattr +i is not available here, and root writes into read-only folders";
    } else {
        ASSERT_EQ(::chmod(QFile::encodeName(folder).constData(), 0555), 0);
    }
    QString newFileError;
    try {
        SaveToCSV(grid, target);
        SaveToCSV(grid, folder + QStringLiteral("/new.csv"));
    } catch (const UserError &e) {
        newFileError = e.text();
    }
    if (root) {
        chattr.start(QStringLiteral("chattr"), {QStringLiteral("-i"), folder});
        chattr.waitForFinished(30000);
    } else {
        ::chmod(QFile::encodeName(folder).constData(), 0755);
    }
    EXPECT_TRUE(readAll(target) == expected);
    // A file that does not exist yet still cannot be made, and says so.
    EXPECT_EQ(newFileError.toStdString(), (QStringLiteral("Cannot Create file ") + folder + QStringLiteral("/new.csv")).toStdString());
    EXPECT_EQ(QDir(folder).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot | QDir::Hidden),
              QStringList{QStringLiteral("data.csv")});
}

TEST_F(CsvTest, WriteFailureIsReportedNeverSuccess)
{
    // A full device.
    try {
        SaveToCSV(grid, QStringLiteral("/dev/full"));
        ADD_FAILURE() << "writing to /dev/full passed as success";
    } catch (const UserError &e) {
        EXPECT_FALSE(e.text().startsWith(QStringLiteral("Cannot Create file")));
        EXPECT_TRUE(e.text().contains(QStringLiteral("/dev/full")));
    }

    // A regular file that cannot grow (the file size limit): the old content
    // stays and no temporary file is left behind.
    const QString target = path("out.csv");
    ASSERT_TRUE(writeBytes(target, "old content"));
    rlimit old{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 64 * 1024;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    bool threw = false;
    try {
        SaveToCSV(grid, target); // 5,000 rows: about 190 kB
    } catch (const UserError &) {
        threw = true;
    }
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, previousHandler);
    EXPECT_TRUE(threw);
    EXPECT_EQ(readAll(target), QByteArray("old content"));
    EXPECT_EQ(entries(), QStringList{QStringLiteral("out.csv")});
}
