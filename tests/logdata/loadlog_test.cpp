#include "logbytes.h"
#include "logdata/loadlog.h"
#include "views/seriesset.h"
#include "views/spreadsheetconfig.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <climits>
#include <csignal>
#include <fcntl.h>
#include <memory>
#include <new>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace sorvant;
using logbytes::Fields;

namespace {

class RecordingProgress : public ProgressSink
{
public:
    bool visible = false;
    bool everVisible = false;
    int maximum = 0;
    int position = 0;
    int positionsSet = 0;
    bool overMaximum = false;
    void setVisible(bool v) override
    {
        visible = v;
        everVisible = everVisible || v;
    }
    void setMaximum(int m) override { maximum = m; }
    void setPosition(int p) override
    {
        position = p;
        ++positionsSet;
        overMaximum = overMaximum || p > maximum;
    }
};

// The window's side of a load: a spreadsheet store, the six series and a
// progress bar, all as the window holds them.
struct Window {
    DataGridStore grid{kColumnCount};
    GridTableSink table{grid};
    SeriesSet series;
    RecordingProgress progress;
    int fileErrors = 0;
    int recalcs = 0;
    LoadTargets targets;
    std::unique_ptr<LogStore> store = std::make_unique<LogStore>();

    Window()
    {
        configureSpreadsheetStore(grid);
        targets.table = &table;
        targets.series = &series;
        targets.progress = &progress;
        targets.recalcPosition = [this] { ++recalcs; };
        targets.showFileError = [this] { ++fileErrors; };
    }

    LoadResult load(const QString &path, int step, QChar separator = QLatin1Char('.'))
    {
        return LoadLog(path, step, *store, CellTextFormat(separator), targets);
    }

    // Everything a view can show of the last load, as one text.
    QString dump() const
    {
        QString out;
        for (int r = 0; r < grid.RowCount(); ++r) {
            for (int c = 0; c < kColumnCount; ++c)
                out += grid.Cells(c, r) + QLatin1Char('|');
            out += QLatin1Char('\n');
        }
        for (int s = 0; s < kSeriesCount; ++s) {
            for (std::size_t i = 0; i < series[s].count(); ++i)
                out += QStringLiteral("%1 %2 %3 %4;").arg(s).arg(series[s].x(i)).arg(series[s].y(i)).arg(series[s].label(i));
        }
        return out;
    }

    QStringList row(int r) const
    {
        QStringList cells;
        for (int c = 0; c < kColumnCount; ++c)
            cells << grid.Cells(c, r);
        return cells;
    }
};

class LoadLogTest : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    QString path(const char *name) const { return dir.filePath(QLatin1String(name)); }
    QString write(const char *name, const QByteArray &bytes) const
    {
        const QString p = path(name);
        EXPECT_TRUE(logbytes::writeFile(p, bytes));
        return p;
    }
};

void expectClosedCleanly(const Window &w)
{
    EXPECT_FALSE(w.progress.visible);
    EXPECT_EQ(w.progress.position, 0);
    EXPECT_FALSE(w.progress.overMaximum);
    EXPECT_EQ(w.recalcs, 1);
}

} // namespace

TEST_F(LoadLogTest, WorkedExampleBecomesTheThirdRow)
{
    // 100 records; the example record at index 50, loaded at step 25.
    QByteArray bytes = logbytes::numberedRecords(50);
    bytes += logbytes::record(Fields{});
    bytes += logbytes::numberedRecords(49, 51);
    ASSERT_EQ(bytes.size(), 1600);
    Window w;
    const LoadResult r = w.load(write("example.dat", bytes), 25);

    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.records, 100u);
    EXPECT_EQ(r.rows, 4);
    EXPECT_EQ(w.grid.RowCount(), 5);
    EXPECT_EQ(w.fileErrors, 0);
    EXPECT_EQ(w.row(3), QStringList({QStringLiteral("3"), QStringLiteral("62"), QStringLiteral("90"),
                                     QStringLiteral("66"), QStringLiteral("21.5"), QStringLiteral("15"),
                                     QStringLiteral("350"), QStringLiteral("14:05"), QStringLiteral("3")}));
    EXPECT_EQ(w.grid.Cells(0, 0), QStringLiteral("Record #"));
    EXPECT_EQ(w.grid.Cells(8, 0), QStringLiteral("Bin Number"));
    for (int row = 0; row < 5; ++row) {
        for (int c = 0; c < kColumnCount; ++c)
            EXPECT_EQ(w.grid.Alignments(c, row), DataGridStore::HAlign::Centre) << c << "," << row;
    }
    // Rows are records 0, 25, 50, 75: column 1 of the numbered records shows
    // index / 10, and the row number counts rows, not records.
    EXPECT_EQ(w.grid.Cells(1, 2), QStringLiteral("2"));
    EXPECT_EQ(w.grid.Cells(0, 4), QStringLiteral("4"));
    EXPECT_EQ(w.grid.Cells(1, 4), QStringLiteral("7"));

    const double ys[kSeriesCount] = {21.5, 15, 62, 90, 66, 35};
    for (int s = 0; s < kSeriesCount; ++s) {
        ASSERT_EQ(w.series[s].count(), 4u) << s;
        EXPECT_EQ(w.series[s].x(0), 0);
        EXPECT_EQ(w.series[s].x(1), 25);
        EXPECT_EQ(w.series[s].x(2), 50);
        EXPECT_EQ(w.series[s].x(3), 75);
        EXPECT_DOUBLE_EQ(w.series[s].y(2), ys[s]) << s;
        EXPECT_EQ(w.series[s].label(2), QStringLiteral("14:05"));
        EXPECT_EQ(w.series[s].pointColour(2), ChartSeries::kNoColour);
    }
    EXPECT_TRUE(w.progress.everVisible);
    EXPECT_EQ(w.progress.maximum, 100);
    expectClosedCleanly(w);
}

TEST_F(LoadLogTest, ExtremeFieldsReachCellsAndSeries)
{
    Fields f;
    f.wetGrainTemp = -105;
    f.grainTempInsideDryer = -32768;
    f.driedGrainTemp = -9;
    f.moistureIn = 65535;
    f.moistureOut = 0;
    f.unloadRate = 65535;
    f.hour = 200;
    f.minute = 200;
    f.bin = 255;
    Fields zero = f;
    zero.unloadRate = 0;
    zero.spare = 0xFF; // the spare byte changes nothing
    Window w;
    ASSERT_TRUE(w.load(write("extremes.dat", logbytes::record(f) + logbytes::record(zero)), 1).ok);
    EXPECT_EQ(w.row(1), QStringList({QStringLiteral("1"), QStringLiteral("-10"), QStringLiteral("-32768"),
                                     QStringLiteral("0"), QStringLiteral("6553.5"), QStringLiteral("0"),
                                     QStringLiteral("655350"), QStringLiteral("200:200"), QStringLiteral("255")}));
    EXPECT_EQ(w.grid.Cells(6, 2), QStringLiteral("0"));
    const double ys[kSeriesCount] = {6553.5, 0, -10, -32768, 0, 65535};
    for (int s = 0; s < kSeriesCount; ++s)
        EXPECT_DOUBLE_EQ(w.series[s].y(0), ys[s]) << s;
    EXPECT_EQ(w.series[5].y(1), 0);
    QStringList second = w.row(2);
    second[0] = QStringLiteral("1");
    second[6] = QStringLiteral("655350");
    EXPECT_EQ(second, w.row(1)); // same but for the unload rate and row number
}

TEST_F(LoadLogTest, CommaSeparatorInCellsButNotInValues)
{
    Window w;
    ASSERT_TRUE(w.load(write("one.dat", logbytes::record(Fields{})), 25, QLatin1Char(',')).ok);
    EXPECT_EQ(w.grid.Cells(4, 1), QStringLiteral("21,5"));
    EXPECT_EQ(w.grid.Cells(5, 1), QStringLiteral("15"));
    EXPECT_DOUBLE_EQ(w.series[0].y(0), 21.5);
}

TEST_F(LoadLogTest, FileSizesAndSteps)
{
    struct Case {
        int bytes;
        int step;
        std::size_t records;
        int rows;
        double lastX;
    };
    const Case cases[] = {
        {0, 25, 0, 0, -1},      {15, 25, 0, 0, -1},        {16, 25, 1, 1, 0},       {17, 25, 1, 1, 0},
        {40, 25, 2, 1, 0},      {40, 1, 2, 2, 1},          {1600, 25, 100, 4, 75},  {25 * 16, 25, 25, 1, 0},
        {26 * 16, 25, 26, 2, 25}, {26 * 16, 0, 26, 26, 25}, {26 * 16, -7, 26, 26, 25}, {26 * 16, INT_MAX, 26, 1, 0},
        {100 * 16, 5, 100, 20, 95}, {101 * 16 + 3, 5, 101, 21, 100},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.bytes << " bytes, step " << c.step);
        const QByteArray all = logbytes::numberedRecords(200);
        Window w;
        const LoadResult r = w.load(write("sized.dat", all.left(c.bytes)), c.step);
        EXPECT_TRUE(r.ok);
        EXPECT_EQ(w.fileErrors, 0);
        EXPECT_EQ(r.records, c.records);
        EXPECT_EQ(r.rows, c.rows);
        EXPECT_EQ(w.grid.RowCount(), c.rows + 1);
        EXPECT_EQ(w.grid.Cells(0, 0), QStringLiteral("Record #")); // headers even with no row
        for (int s = 0; s < kSeriesCount; ++s)
            ASSERT_EQ(w.series[s].count(), static_cast<std::size_t>(c.rows));
        if (c.rows > 0) {
            EXPECT_EQ(w.series[0].x(static_cast<std::size_t>(c.rows - 1)), c.lastX);
            EXPECT_EQ(w.grid.Cells(0, c.rows), QString::number(c.rows));
        }
        expectClosedCleanly(w);
    }
}

TEST_F(LoadLogTest, FullStoreAndLongerFiles)
{
    // Exactly 720,000 records all load; a longer file loads its first 720,000
    // and nothing past them.
    const QByteArray full = logbytes::numberedRecords(720000);
    Fields marker;
    marker.wetGrainTemp = -9999;
    const QByteArray tail = logbytes::record(marker).repeated(5) + QByteArray(7, '\x55');
    const std::pair<const char *, QByteArray> files[] = {{"full.dat", full}, {"longer.dat", full + tail}};
    Window w;
    for (const auto &[name, bytes] : files) {
        SCOPED_TRACE(name);
        const LoadResult r = w.load(write(name, bytes), 150);
        ASSERT_TRUE(r.ok);
        EXPECT_EQ(r.records, 720000u);
        EXPECT_EQ(r.rows, 4800);
        EXPECT_EQ(w.grid.RowCount(), 4801);
        EXPECT_EQ(w.series[2].x(4799), 719850);
        EXPECT_EQ(w.grid.Cells(1, 4800), QStringLiteral("2985")); // (719850 % 30000) / 10
        EXPECT_EQ(w.progress.maximum, 720000);
    }
    // Step 1 over the longer file: the last row is record 719,999, never a marker.
    ASSERT_TRUE(w.load(path("longer.dat"), 1).ok);
    EXPECT_EQ(w.grid.RowCount(), 720001);
    EXPECT_EQ(w.grid.Cells(1, 720000), QString::number(719999 % 30000 / 10));
}

TEST_F(LoadLogTest, ReloadGivesIdenticalResults)
{
    // Each load reads the file afresh: fixing the byte order of records
    // already fixed would turn the second load into garbage.
    const QString p = write("twice.dat", logbytes::numberedRecords(1000));
    Window w;
    ASSERT_TRUE(w.load(p, 25).ok);
    const QString first = w.dump();
    ASSERT_TRUE(w.load(p, 25).ok);
    EXPECT_EQ(w.dump(), first);
    EXPECT_EQ(w.grid.RowCount(), 41);
}

TEST_F(LoadLogTest, StepChangeRenumbersRowsAndKeepsRecordIndices)
{
    const QString p = write("steps.dat", logbytes::numberedRecords(1000));
    Window w;
    ASSERT_TRUE(w.load(p, 25).ok);
    EXPECT_EQ(w.grid.RowCount(), 41);
    ASSERT_TRUE(w.load(p, 5).ok);
    EXPECT_EQ(w.grid.RowCount(), 201);
    EXPECT_EQ(w.grid.Cells(0, 1), QStringLiteral("1"));
    EXPECT_EQ(w.grid.Cells(0, 200), QStringLiteral("200"));
    EXPECT_EQ(w.series[0].x(199), 995);
}

TEST_F(LoadLogTest, ShorterSecondFileLeavesNothingOfTheFirst)
{
    Window w;
    ASSERT_TRUE(w.load(write("long.dat", logbytes::numberedRecords(3000)), 5).ok);
    ASSERT_EQ(w.grid.RowCount(), 601);
    Fields f;
    f.wetGrainTemp = 777;
    ASSERT_TRUE(w.load(write("short.dat", logbytes::record(f).repeated(10)), 5).ok);
    EXPECT_EQ(w.grid.RowCount(), 3);
    for (int s = 0; s < kSeriesCount; ++s)
        EXPECT_EQ(w.series[s].count(), 2u);
    // Even rows grown back afterwards hold nothing of the first file.
    w.grid.setRowCount(601);
    for (int r = 3; r < 601; ++r)
        ASSERT_TRUE(w.grid.rowIsEmpty(r)) << r;
    EXPECT_EQ(w.grid.Cells(1, 2), QStringLiteral("77"));
}

TEST_F(LoadLogTest, EmptyFileShowsHeadersOnly)
{
    Window w;
    ASSERT_TRUE(w.load(write("data.dat", logbytes::numberedRecords(100)), 25).ok);
    const LoadResult r = w.load(write("empty.dat", QByteArray()), 25);
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(w.fileErrors, 0);
    EXPECT_EQ(w.grid.RowCount(), 1);
    EXPECT_EQ(w.grid.Cells(2, 0), QStringLiteral("Grain Temp Inside Dryer"));
    for (int s = 0; s < kSeriesCount; ++s)
        EXPECT_TRUE(w.series[s].isEmpty());
    EXPECT_FALSE(w.progress.visible);
}

namespace {

// Holds an exclusive lock on a file from another process until destroyed.
class LockHolder
{
public:
    explicit LockHolder(const QString &path)
    {
        int ready[2];
        if (::pipe(ready) != 0)
            return;
        const QByteArray name = QFile::encodeName(path);
        m_pid = ::fork();
        if (m_pid == 0) {
            const int fd = ::open(name.constData(), O_RDONLY);
            const char ok = fd >= 0 && ::flock(fd, LOCK_EX) == 0 ? 'y' : 'n';
            (void)!::write(ready[1], &ok, 1);
            ::pause();
            ::_exit(0);
        }
        ::close(ready[1]);
        char ok = 'n';
        m_locked = m_pid > 0 && ::read(ready[0], &ok, 1) == 1 && ok == 'y';
        ::close(ready[0]);
    }
    ~LockHolder()
    {
        if (m_pid > 0) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
        }
    }
    bool locked() const { return m_locked; }

private:
    pid_t m_pid = -1;
    bool m_locked = false;
};

} // namespace

TEST_F(LoadLogTest, FailedOpenOrReadShowsFileErrorAndClearsTheViews)
{
    const QByteArray good = logbytes::numberedRecords(100);
    const QString unreadable = write("unreadable.dat", good);
    ::chmod(QFile::encodeName(unreadable).constData(), 0);
    const QString fifo = path("pipe.dat");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString locked = write("locked.dat", good);
    LockHolder holder(locked);
    ASSERT_TRUE(holder.locked());

    const std::pair<const char *, QString> cases[] = {
        {"missing file", path("no such file.dat")},
        {"folder", dir.path()},
        {"pipe", fifo},
        {"locked by another process", locked},
        {"unreadable", unreadable},
    };
    for (const auto &[what, failing] : cases) {
        SCOPED_TRACE(what);
        if (QLatin1String(what) == QLatin1String("unreadable") && ::geteuid() == 0)
            continue; // the superuser reads any file
        Window w;
        ASSERT_TRUE(w.load(write("previous.dat", good), 25).ok);
        w.recalcs = 0;
        const LoadResult r = w.load(failing, 25);
        EXPECT_FALSE(r.ok);
        EXPECT_FALSE(r.detail.isEmpty());
        EXPECT_EQ(w.fileErrors, 1);
        EXPECT_EQ(w.grid.RowCount(), 1);
        EXPECT_EQ(w.grid.Cells(0, 0), QStringLiteral("Record #"));
        // Mended: the chart no longer shows the previous file under the new name.
        for (int s = 0; s < kSeriesCount; ++s)
            EXPECT_TRUE(w.series[s].isEmpty()) << s;
        expectClosedCleanly(w);
    }
    EXPECT_EQ(fileErrorText(), QStringLiteral("Can't perform one of the following file operations: Open, Seek, Read, Close."));
    EXPECT_EQ(fileErrorCaption(), QStringLiteral("File Error"));
}

TEST_F(LoadLogTest, FailureInsideTheBuildingPassKeepsWhatWasWritten)
{
    // Memory running out part-way: the rows and points written so far stay,
    // the row count covers them, and the "File Error" box is shown.
    class FailingTable : public GridTableSink
    {
    public:
        using GridTableSink::GridTableSink;
        void writeRow(int row, const std::array<std::string_view, kColumnCount> &cells) override
        {
            if (row == 3)
                throw std::bad_alloc();
            GridTableSink::writeRow(row, cells);
        }
    };
    Window w;
    FailingTable failing(w.grid);
    w.targets.table = &failing;
    const LoadResult r = w.load(write("data.dat", logbytes::numberedRecords(100)), 25);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(w.fileErrors, 1);
    EXPECT_EQ(r.rows, 2);
    EXPECT_EQ(w.grid.RowCount(), 3);
    EXPECT_EQ(w.grid.Cells(0, 2), QStringLiteral("2"));
    for (int s = 0; s < kSeriesCount; ++s)
        EXPECT_EQ(w.series[s].count(), 2u);
    expectClosedCleanly(w);
}

TEST_F(LoadLogTest, TableOnlyLoadBuildsNoSeries)
{
    Window w;
    w.targets.series = nullptr;
    w.targets.progress = nullptr;
    ASSERT_TRUE(w.load(write("data.dat", logbytes::numberedRecords(100)), 25).ok);
    EXPECT_EQ(w.grid.RowCount(), 5);
    for (int s = 0; s < kSeriesCount; ++s)
        EXPECT_TRUE(w.series[s].isEmpty());
}
