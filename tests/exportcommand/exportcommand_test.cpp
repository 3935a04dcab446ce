#include "heldfile.h"
#include "output/csvwriter.h"
#include "output/exportcommand.h"
#include "platform/usererror.h"
#include "scripteddialoghost.h"
#include "logdata/columns.h"
#include "views/spreadsheetconfig.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <map>

using namespace sorvant;

namespace {

std::string str(const QString &s) { return s.toStdString(); }

const QByteArray kNewCsv = "<new csv>";
const QByteArray kNewXls = "<new xls>";

class ExportCommandTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        configureSpreadsheetStore(grid);
        for (int r = 1; r <= 3; ++r)
            for (int c = 0; c < kColumnCount; ++c)
                grid.setCells(c, r, QString::number(r * 10 + c));
        grid.setRowCount(4);
        // What the CSV writer makes of this grid, to recognise the export by.
        QTemporaryDir reference;
        SaveToCSV(grid, reference.filePath(QStringLiteral("ref.csv")));
        QFile f(reference.filePath(QStringLiteral("ref.csv")));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        csvBytes = f.readAll();
    }
    void TearDown() override { QDir::setCurrent(startFolder); }

    void put(const QString &name, const QByteArray &content)
    {
        QFile f(dir.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(content);
    }
    // Every file of the folder with its content; the exports appear as kNewCsv / kNewXls.
    std::map<std::string, QByteArray> folderContent()
    {
        std::map<std::string, QByteArray> files;
        for (const QString &name : QDir(dir.path()).entryList(QDir::Files | QDir::Hidden)) {
            QFile f(dir.filePath(name));
            EXPECT_TRUE(f.open(QIODevice::ReadOnly));
            QByteArray content = f.readAll();
            if (content == csvBytes)
                content = kNewCsv;
            else if (content.startsWith("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1"))
                content = kNewXls;
            files[str(name)] = content;
        }
        return files;
    }
    void exportAs(const QString &chosen, int fileType)
    {
        dialogs.saveAnswers.push_back({true, dir.filePath(chosen), fileType});
        command.ExportToExcelClick(nullptr, QLatin1Char('.'));
    }

    QString startFolder = QDir::currentPath();
    QTemporaryDir dir;
    sorvant::testing::ScriptedDialogHost dialogs;
    DataGridStore grid{kColumnCount};
    ExportCommand command{dialogs, grid};
    QByteArray csvBytes;
};

struct NameCase {
    const char *what;
    std::map<std::string, QByteArray> before;
    const char *chosen;
    int fileType;
    std::map<std::string, QByteArray> after;
    const char *base;
};

TEST_F(ExportCommandTest, BackupAndOutputNamesFollowTheChosenNameAndType)
{
    const NameCase cases[] = {
        {"typed day1, CSV: no file named day1, so day1.csv is replaced without a backup",
         {{"day1.csv", "old"}}, "day1", 1, {{"day1.csv", kNewCsv}}, "day1"},
        {"typed day1, workbook", {{"day1.csv", "old"}}, "day1", 2, {{"day1.csv", "old"}, {"day1.xls", kNewXls}}, "day1"},
        {"picked day1.CSV", {{"day1.CSV", "old"}}, "day1.CSV", 1, {{"day1.BAK", "old"}, {"day1.csv", kNewCsv}}, "day1"},
        {"typed day1.csv with the workbook type", {{"day1.csv", "old"}}, "day1.csv", 2,
         {{"day1.BAK", "old"}, {"day1.xls", kNewXls}}, "day1"},
        {"typed day1.txt", {{"day1.txt", "notes"}}, "day1.txt", 1, {{"day1.BAK", "notes"}, {"day1.csv", kNewCsv}}, "day1"},
        {"day1.BAK exists already", {{"day1.BAK", "first"}, {"day1.csv", "second"}}, "day1.csv", 1,
         {{"day1.BAK", "first"}, {"day1.csv", kNewCsv}}, "day1"},
        {"a.b.csv", {{"a.b.csv", "old"}}, "a.b.csv", 1, {{"a.b.BAK", "old"}, {"a.b.csv", kNewCsv}}, "a.b"},
        {"run 3.xls, nothing there yet", {}, "run 3.xls", 2, {{"run 3.xls", kNewXls}}, "run 3"},
    };
    for (const NameCase &c : cases) {
        SCOPED_TRACE(c.what);
        for (const QString &name : QDir(dir.path()).entryList(QDir::Files | QDir::Hidden))
            QFile::remove(dir.filePath(name));
        for (const auto &[name, content] : c.before)
            put(QString::fromStdString(name), content);
        exportAs(QString::fromUtf8(c.chosen), c.fileType);
        EXPECT_EQ(folderContent(), c.after);
        EXPECT_EQ(str(command.fileName()), c.base);
        EXPECT_EQ(QDir::current(), QDir(dir.path())) << "the chosen folder becomes the current one";
    }
}

TEST_F(ExportCommandTest, DialogRemembersTypeAndNameWithinTheRun)
{
    dialogs.saveAnswers.push_back({});
    command.ExportToExcelClick(nullptr, QLatin1Char('.')); // cancelled
    ASSERT_EQ(dialogs.saveRequests.size(), 1u);
    const FileDialogRequest &first = dialogs.saveRequests[0];
    EXPECT_EQ(str(first.title), "Save the Data Log file to a spreadsheet file");
    EXPECT_EQ(str(first.filter), "Comma Delimited (*.csv);;MS Excel (*.xls)");
    EXPECT_TRUE(first.fileName.isEmpty());
    EXPECT_TRUE(first.folder.isEmpty());
    EXPECT_EQ(first.filterIndex, 1);
    EXPECT_TRUE(folderContent().empty()) << "a cancelled export writes nothing";

    exportAs(QStringLiteral("day1.csv"), 2);
    dialogs.saveAnswers.push_back({});
    command.ExportToExcelClick(nullptr, QLatin1Char('.')); // cancelled again: the state stays
    dialogs.saveAnswers.push_back({});
    command.ExportToExcelClick(nullptr, QLatin1Char('.'));
    ASSERT_EQ(dialogs.saveRequests.size(), 4u);
    for (std::size_t i = 2; i < 4; ++i) {
        EXPECT_EQ(str(dialogs.saveRequests[i].fileName), "day1");
        EXPECT_EQ(dialogs.saveRequests[i].filterIndex, 2);
    }
}

TEST_F(ExportCommandTest, ExportBeforeAnyLoadWritesTheStartUpTable)
{
    DataGridStore startUp(kColumnCount);
    configureSpreadsheetStore(startUp);
    ExportCommand fresh(dialogs, startUp);
    dialogs.saveAnswers.push_back({true, dir.filePath(QStringLiteral("empty.csv")), 1});
    fresh.ExportToExcelClick(nullptr, QLatin1Char('.'));
    QFile f(dir.filePath(QStringLiteral("empty.csv")));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = f.readAll().split('\n');
    ASSERT_EQ(lines.size(), 5001); // 5,000 lines, each ending in CR LF
    EXPECT_EQ(lines[0], "Record #,Wet Grain Temp,Grain Temp Inside Dryer,Dried Grain Temp,Moisture In,"
                        "Moisture Out,Unload Rate,Time,Bin Number\r");
    for (int i = 1; i < 5000; ++i)
        ASSERT_EQ(lines[i], "\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\"\r") << "line " << i;
    EXPECT_TRUE(lines[5000].isEmpty());
}

TEST_F(ExportCommandTest, WriterErrorsReachTheCallerAndTheBackupStays)
{
    // A folder in the way of the output: the writer cannot create the file.
    put(QStringLiteral("day1.txt"), "notes");
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("day1.csv")));
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("day1.xls")));
    try {
        exportAs(QStringLiteral("day1.txt"), 1);
        ADD_FAILURE() << "no error";
    } catch (const UserError &e) {
        EXPECT_EQ(str(e.text()), "Cannot Create file day1.csv");
    }
    EXPECT_EQ(folderContent(), (std::map<std::string, QByteArray>{{"day1.BAK", "notes"}}));
    EXPECT_EQ(str(command.fileName()), "day1") << "the name is remembered before writing";

    try {
        exportAs(QStringLiteral("day1"), 2);
        ADD_FAILURE() << "no error";
    } catch (const UserError &e) {
        EXPECT_EQ(str(e.text()), "Cannot Create file " + str(dir.filePath(QStringLiteral("day1.xls"))));
    }

    // A folder that does not exist (typed, or gone since it was chosen): the
    // message names the whole path the user gave, and nothing is written
    // anywhere else.
    const QString before = QDir::currentPath();
    for (const char *typed : {"gone/day2.csv", "gone/day2", "gone/", "gone/deeper/"}) {
        SCOPED_TRACE(typed);
        try {
            exportAs(QString::fromUtf8(typed), 1);
            ADD_FAILURE() << "no error";
        } catch (const UserError &e) {
            EXPECT_EQ(str(e.text()), "Cannot Create file " + str(dir.filePath(QString::fromUtf8(typed))));
        }
        EXPECT_EQ(QDir::currentPath(), before) << "the current folder stays where it was";
        EXPECT_FALSE(QFile::exists(QDir(before).filePath(QStringLiteral("day2.csv"))));
        EXPECT_FALSE(QFile::exists(QDir(before).filePath(QStringLiteral(".csv"))));
    }
    // A folder named without a file name writes no nameless ".csv" there.
    try {
        dialogs.saveAnswers.push_back({true, dir.path() + QLatin1Char('/'), 1});
        command.ExportToExcelClick(nullptr, QLatin1Char('.'));
        ADD_FAILURE() << "no error";
    } catch (const UserError &e) {
        EXPECT_EQ(str(e.text()), "Cannot Create file " + str(dir.path()) + "/");
    }
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral(".csv"))));
}

// The file cannot be moved or replaced (as when a spreadsheet program holds
// it open): the backup fails silently and the writer reports the file.
TEST_F(ExportCommandTest, FileThatCannotBeReplacedIsReported)
{
    put(QStringLiteral("day1.csv"), "held");
    HeldFile held(dir.filePath(QStringLiteral("day1.csv")));
    if (!held.held())
        GTEST_SKIP() << "cannot hold a file here (chattr or permissions unavailable)";
    QString error;
    try {
        exportAs(QStringLiteral("day1.csv"), 1);
    } catch (const UserError &e) {
        error = e.text();
    }
    held.release();
    EXPECT_EQ(str(error), "Cannot Create file day1.csv");
    EXPECT_EQ(folderContent(), (std::map<std::string, QByteArray>{{"day1.csv", "held"}}));
}

TEST(ExportNames, BaseBackupAndOutput)
{
    struct Case {
        const char *path;
        bool csv;
        const char *base, *backup, *output;
    } cases[] = {
        {"/logs/run 3.csv", true, "run 3", "run 3.BAK", "run 3.csv"},
        {"/logs/a.b.csv", true, "a.b", "a.b.BAK", "a.b.csv"},
        {"/logs/run3", false, "run3", "run3.BAK", "run3.xls"},
        {"/logs/day1.XLS", true, "day1", "day1.BAK", "day1.csv"},
        {"/lo.gs/day1", true, "day1", "day1.BAK", "day1.csv"},
    };
    for (const Case &c : cases) {
        const ExportNames n = exportNamesFor(QString::fromUtf8(c.path), c.csv);
        EXPECT_EQ(str(n.base), c.base) << c.path;
        EXPECT_EQ(str(n.backup), c.backup) << c.path;
        EXPECT_EQ(str(n.output), c.output) << c.path;
        EXPECT_EQ(str(n.folder), str(QFileInfo(QString::fromUtf8(c.path)).absolutePath())) << c.path;
    }
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
