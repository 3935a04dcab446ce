#include "loadlog.h"

#include "platform/filenames.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace sorvant {

QString fileErrorText()
{
    return QStringLiteral("Can't perform one of the following file operations: Open, Seek, Read, Close.");
}

QString fileErrorCaption()
{
    return QStringLiteral("File Error");
}

namespace {

// Byte-order fix in slices: the progress bar cannot show finer steps than
// this, and a call per record would keep the loop from vectorising.
constexpr std::size_t kFixSlice = 8192;

QString failure(const char *operation, int error)
{
    return QStringLiteral("%1: %2").arg(QLatin1String(operation), QString::fromLocal8Bit(std::strerror(error)));
}

// The dryer software holds its log exclusively while writing it; a file locked
// for writing by another program is refused like an open that fails.
bool heldByAnotherProgram(int fd)
{
    if (::flock(fd, LOCK_SH | LOCK_NB) != 0)
        return errno == EWOULDBLOCK;
    ::flock(fd, LOCK_UN);
    struct flock probe = {};
    probe.l_type = F_RDLCK;
    probe.l_whence = SEEK_SET;
    probe.l_start = 0;
    probe.l_len = 0;
    if (::fcntl(fd, F_GETLK, &probe) == 0 && probe.l_type != F_UNLCK)
        return true;
    return false;
}

// Steps 1 to 5: open, find the length, one read into the store, close.
// Returns an empty string on success, otherwise what failed.
QString readIntoStore(const QString &path, LogStore &store, std::size_t &bytesRead)
{
    bytesRead = 0;
    const QByteArray name = encodeFileName(path);
    // O_NONBLOCK: a FIFO or device must not hang the window in open().
    const int fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return failure("Open", errno);
    if (heldByAnotherProgram(fd)) {
        ::close(fd);
        return failure("Open", EBUSY);
    }
    const off_t length = ::lseek(fd, 0, SEEK_END);
    if (length < 0 || ::lseek(fd, 0, SEEK_SET) != 0) {
        const int e = errno;
        ::close(fd);
        return failure("Seek", e);
    }
    // A file longer than the store loads its first 720,000 records, and only
    // those bytes are read, so a huge file costs no more than a full one.
    const std::size_t wanted = std::min<std::size_t>(static_cast<std::size_t>(length), LogStore::kCapacityBytes);
    auto *dest = reinterpret_cast<char *>(store.data());
    while (bytesRead < wanted) {
        const ssize_t got = ::read(fd, dest + bytesRead, wanted - bytesRead);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            const int e = errno;
            ::close(fd);
            bytesRead = 0;
            return failure("Read", e);
        }
        if (got == 0)
            break; // the file shrank since the seek; keep what was there
        bytesRead += static_cast<std::size_t>(got);
    }
    if (::close(fd) != 0) {
        bytesRead = 0;
        return failure("Close", errno);
    }
    return {};
}

int progressValue(std::size_t v)
{
    return static_cast<int>(std::min<std::size_t>(v, static_cast<std::size_t>(INT32_MAX)));
}

} // namespace

void WriteHeaders(TableSink &table)
{
    for (int c = 0; c < kColumnCount; ++c)
        table.setCell(c, 0, columnHeader(c));
    for (int c = 0; c < kColumnCount; ++c)
        table.setCentred(c, 0);
}

void BuildTableAndSeries(const LogStore &store, std::size_t records, int sampleInterval,
                         const CellTextFormat &format, LoadTargets &targets, int &rowCounter)
{
    TableSink &table = *targets.table;
    ProgressSink *progress = targets.progress;
    SeriesSink *series = targets.series;
    const std::size_t step = static_cast<std::size_t>(effectiveStep(sampleInterval));

    if (progress) {
        progress->setVisible(true);
        progress->setPosition(0);
        progress->setMaximum(progressValue(records));
    }
    table.Clear();
    // Records 0, step, 2 step, ... below N: N / step rounded up. Telling the
    // stores ahead spares them growing (and copying) while the pass runs.
    const std::size_t rows = records == 0 ? 0 : (records - 1) / step + 1;
    if (series) {
        for (int s = 0; s < kSeriesCount; ++s)
            series->Clear(s);
        for (int s = 0; s < kSeriesCount; ++s)
            series->reserve(s, rows);
    }
    WriteHeaders(table);
    table.reserveRows(table.RowCount() + static_cast<int>(rows));

    // Texts of one row, written into one buffer: nothing is allocated per row.
    char buffer[kColumnCount * celltext::kMaxCellBytes];
    std::array<std::string_view, kColumnCount> cells;
    const auto put = [&](int column, char *begin, char *end) {
        cells[static_cast<std::size_t>(column)] = std::string_view(begin, static_cast<std::size_t>(end - begin));
        return end;
    };

    rowCounter = 1;
    // r is a size_t and step at least 1, so even a huge step cannot overflow or loop.
    for (std::size_t r = 0; r < records; r += step) {
        const LogRecord &rec = store[r];
        char *p = buffer;
        p = put(ColRecordNumber, p, celltext::appendInteger(p, rowCounter));
        p = put(ColGrainTempInsideDryer, p, celltext::appendInteger(p, rec.GrainTempInsideDryer));
        p = put(ColWetGrainTemp, p, celltext::appendTruncatedTenths(p, rec.WetGrainTemp));
        p = put(ColMoistureIn, p, celltext::appendTenths(p, rec.MoistureIn, format));
        p = put(ColDriedGrainTemp, p, celltext::appendTruncatedTenths(p, rec.DriedGrainTemp));
        p = put(ColMoistureOut, p, celltext::appendTenths(p, rec.MoistureOut, format));
        p = put(ColUnloadRate, p, celltext::appendInteger(p, std::int64_t(rec.UnloadRate) * 10));
        p = put(ColBinNumber, p, celltext::appendInteger(p, rec.BinNumber));
        put(ColTime, p, celltext::appendTime(p, rec.Hour, rec.Minute));
        table.writeRow(rowCounter, cells);
        ++rowCounter;
        table.setRowCount(table.RowCount() + 1);

        if (series) {
            const double x = static_cast<double>(r);
            const std::string_view label = cells[ColTime];
            series->AddXY(0, x, rec.MoistureIn * 0.1, label);
            series->AddXY(1, x, rec.MoistureOut * 0.1, label);
            series->AddXY(2, x, rec.WetGrainTemp / 10, label);
            series->AddXY(3, x, rec.GrainTempInsideDryer, label);
            series->AddXY(4, x, rec.DriedGrainTemp / 10, label);
            series->AddXY(5, x, rec.UnloadRate, label);
        }
        if (progress)
            progress->setPosition(progressValue(r));
    }
}

LoadResult LoadLog(const QString &path, int sampleInterval, LogStore &store, const CellTextFormat &format,
                   LoadTargets &targets)
{
    LoadResult result;
    int rowCounter = 1;
    bool fileFailed = false;
    try {
        std::size_t bytes = 0;
        result.detail = readIntoStore(path, store, bytes);
        if (!result.detail.isEmpty()) {
            fileFailed = true;
            // A failed read may have overwritten part of the store: what it
            // holds is no log any more, for anything that reads it later.
            store.setCount(0);
            store.days().reset();
        } else {
            const std::size_t n = bytes / sizeof(LogRecord); // a trailing partial record is ignored
            store.setCount(n);
            store.days().reset();
            result.records = n;
            if (targets.progress) {
                targets.progress->setVisible(true);
                targets.progress->setPosition(0);
                targets.progress->setMaximum(progressValue(n));
            }
            for (std::size_t i = 0; i < n; i += kFixSlice) {
                const std::size_t len = std::min(kFixSlice, n - i);
                fixByteOrder(store.data() + i, len);
                store.days().scan(store.data() + i, len); // while the slice is still in the cache
                if (targets.progress)
                    targets.progress->setPosition(progressValue(i + len - 1));
            }
            BuildTableAndSeries(store, n, sampleInterval, format, targets, rowCounter);
            result.ok = true;
        }
    } catch (const std::exception &e) {
        result.ok = false;
        result.detail = QString::fromLocal8Bit(e.what());
    }

    if (!result.ok) {
        // The chart would otherwise keep showing the previous file under the
        // new file's caption; the table is hidden by the row count below.
        if (fileFailed && targets.series) {
            for (int s = 0; s < kSeriesCount; ++s)
                targets.series->Clear(s);
        }
        if (targets.showFileError)
            targets.showFileError();
    }

    // Closing steps, whatever happened above.
    result.rows = rowCounter - 1;
    targets.table->setRowCount(rowCounter);
    if (targets.recalcPosition)
        targets.recalcPosition();
    if (targets.progress) {
        targets.progress->setPosition(0);
        targets.progress->setVisible(false);
    }
    return result;
}

} // namespace sorvant
