#include "batchexport.h"

#include "exportjob.h"

#include "platform/backgroundcommit.h"
#include "platform/filenames.h"
#include "platform/fonts.h"
#include "views/chartview.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QHash>
#include <QSet>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <thread>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

namespace sorvant {

namespace {

void writeText(std::FILE *stream, const QString &text)
{
    const QByteArray bytes = encodeFileName(text);
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stream);
}

QString systemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

bool isLogName(const QByteArray &name)
{
    return name.size() > 4 && name.right(4).toLower() == ".dat";
}

// A folder's logs and, with `recursive`, its subfolders' logs, each folder's
// files before its subfolders, both in byte order of their names.
void listFolder(const QByteArray &folder, bool recursive, QStringList &logs, QStringList &problems)
{
    DIR *dir = ::opendir(folder.constData());
    if (!dir) {
        problems << QStringLiteral("cannot read the folder %1: %2").arg(decodeFileName(folder), systemError(errno));
        return;
    }
    std::vector<QByteArray> files, folders;
    while (const dirent *entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        // Hidden entries include the "._run.dat" companions a Mac leaves on
        // USB sticks, which are not logs.
        if (name.startsWith('.'))
            continue;
        const QByteArray path = folder.endsWith('/') ? folder + name : folder + '/' + name;
        struct stat st {};
        if (::lstat(path.constData(), &st) != 0)
            continue;
        if (S_ISDIR(st.st_mode)) {
            if (recursive)
                folders.push_back(path);
            continue;
        }
        // A link to a log is taken; a link to a folder is not followed.
        if (S_ISLNK(st.st_mode) && (::stat(path.constData(), &st) != 0 || !S_ISREG(st.st_mode)))
            continue;
        if (S_ISREG(st.st_mode) && isLogName(name))
            files.push_back(path);
    }
    ::closedir(dir);
    std::sort(files.begin(), files.end());
    std::sort(folders.begin(), folders.end());
    for (const QByteArray &f : files)
        logs << decodeFileName(f);
    for (const QByteArray &f : folders)
        listFolder(f, recursive, logs, problems);
}

// The file name without its folder and its last extension.
QString baseName(const QString &path)
{
    const QString file = path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
    const qsizetype dot = file.lastIndexOf(QLatin1Char('.'));
    return dot > 0 ? file.left(dot) : file;
}

// Makes `folder` and the folders above it that are missing.
bool makeFolder(const QString &folder, QString &why)
{
    const QByteArray path = encodeFileName(folder);
    for (qsizetype end = 1; end <= path.size(); ++end) {
        if (end < path.size() && path.at(end) != '/')
            continue;
        const QByteArray part = path.left(end);
        if (::mkdir(part.constData(), 0777) != 0 && errno != EEXIST) {
            why = systemError(errno);
            return false;
        }
    }
    struct stat st {};
    if (::stat(path.constData(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        why = QStringLiteral("not a folder");
        return false;
    }
    return true;
}

// Progress and failures on one stream, from any thread: a bar redrawn in
// place on a terminal, one line per log otherwise.
class BatchReport
{
public:
    BatchReport(std::FILE *stream, int total, bool quiet)
        : m_stream(stream), m_total(total), m_quiet(quiet), m_terminal(::isatty(::fileno(stream)) != 0)
    {
        m_clock.start();
    }

    void note(const QString &text)
    {
        if (m_quiet)
            return;
        const std::lock_guard<std::mutex> lock(m_mutex);
        line(QStringLiteral("sorvant-export: ") + text);
    }

    void failed(const QString &what, bool counts = true)
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        if (counts)
            ++m_failed;
        line(QStringLiteral("sorvant-export: failed: ") + what);
        if (counts)
            progress(QString());
    }

    void done(const QString &log)
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        ++m_done;
        progress(log);
    }

    int failedCount() const { return m_failed; }

    void finish()
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        if (m_barShown) {
            std::fputs("\r\x1b[K", m_stream);
            m_barShown = false;
        }
        if (!m_quiet || m_failed > 0)
            line(QStringLiteral("sorvant-export: %1 done, %2 failed").arg(m_done).arg(m_failed));
        std::fflush(m_stream);
    }

private:
    // A whole line, above the bar when there is one.
    void line(const QString &text)
    {
        if (m_barShown)
            std::fputs("\r\x1b[K", m_stream);
        writeText(m_stream, text + QLatin1Char('\n'));
        if (m_barShown)
            drawBar();
        std::fflush(m_stream);
    }

    void progress(const QString &log)
    {
        if (m_quiet)
            return;
        if (!m_terminal) {
            if (!log.isEmpty())
                line(QStringLiteral("sorvant-export: [%1/%2] %3").arg(m_done + m_failed).arg(m_total).arg(log));
            return;
        }
        // A redraw costs a write: a tenth of a second apart is smooth enough.
        const qint64 now = m_clock.elapsed();
        if (m_barShown && now - m_lastDraw < 100 && m_done + m_failed < m_total)
            return;
        m_lastDraw = now;
        m_barShown = true;
        drawBar();
        std::fflush(m_stream);
    }

    void drawBar()
    {
        constexpr int kWidth = 30;
        const int finished = m_done + m_failed;
        const int filled = m_total > 0 ? int(qint64(finished) * kWidth / m_total) : kWidth;
        const double seconds = static_cast<double>(std::max<qint64>(m_clock.elapsed(), 1)) / 1000.0;
        const QString bar = QString(filled, QLatin1Char('#')) + QString(kWidth - filled, QLatin1Char('.'));
        writeText(m_stream, QStringLiteral("\r[%1] %2/%3 logs  %4 logs/s\x1b[K")
                                .arg(bar)
                                .arg(finished)
                                .arg(m_total)
                                .arg(finished / seconds, 0, 'f', 1));
    }

    std::mutex m_mutex;
    std::FILE *m_stream;
    const int m_total;
    const bool m_quiet;
    const bool m_terminal;
    QElapsedTimer m_clock;
    qint64 m_lastDraw = 0;
    bool m_barShown = false;
    int m_done = 0;
    int m_failed = 0;
};

// The reason a one-log run printed, on one line without the program's name.
QString reasonText(const QByteArray &printed)
{
    QStringList parts;
    for (QString lineText : decodeFileName(printed).split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        if (lineText.startsWith(QLatin1String("sorvant-export: ")))
            lineText.remove(0, 16);
        parts << lineText;
    }
    return parts.isEmpty() ? QStringLiteral("not written") : parts.join(QStringLiteral("; "));
}

// Runs one log as `sorvant-export LOG --csv ...` would, with what it prints
// kept apart from the other threads' output. 0 when all was written.
int runOne(const ExportOptions &job, QString &reason)
{
    char *buffer = nullptr;
    std::size_t size = 0;
    std::FILE *captured = ::open_memstream(&buffer, &size);
    if (!captured) {
        reason = systemError(errno);
        return 1;
    }
    const int code = runExport(job, captured);
    std::fclose(captured);
    reason = reasonText(QByteArray(buffer, static_cast<qsizetype>(size)));
    std::free(buffer);
    return code;
}

} // namespace

std::vector<BatchLog> collectBatchLogs(const QStringList &inputs, bool recursive, QStringList &problems)
{
    QStringList paths;
    for (const QString &input : inputs) {
        const QByteArray bytes = encodeFileName(input);
        struct stat st {};
        if (::stat(bytes.constData(), &st) == 0 && S_ISDIR(st.st_mode)) {
            const qsizetype before = paths.size();
            listFolder(bytes, recursive, paths, problems);
            if (paths.size() == before)
                problems << QStringLiteral("%1 holds no .dat log%2").arg(input, recursive ? QString() : QStringLiteral(" (--recursive takes its subfolders too)"));
        } else {
            // Whatever it is, the load says what is wrong with it.
            paths << input;
        }
    }

    std::vector<BatchLog> logs;
    QSet<QString> seen;
    for (const QString &path : paths) {
        const QString key = fileIdentityKey(path);
        if (seen.contains(key))
            continue;
        seen.insert(key);
        logs.push_back({path, baseName(path)});
    }

    // Every log's own name is claimed first, so a log named "a-2" keeps it
    // even when a second "a" comes before it.
    QSet<QString> taken;
    std::vector<bool> claimed(logs.size(), false);
    for (std::size_t i = 0; i < logs.size(); ++i) {
        const QString folded = logs[i].name.toCaseFolded();
        if (!taken.contains(folded)) {
            taken.insert(folded);
            claimed[i] = true;
        }
    }
    for (std::size_t i = 0; i < logs.size(); ++i) {
        if (claimed[i])
            continue;
        for (int n = 2;; ++n) {
            const QString candidate = QStringLiteral("%1-%2").arg(logs[i].name).arg(n);
            if (!taken.contains(candidate.toCaseFolded())) {
                taken.insert(candidate.toCaseFolded());
                logs[i].name = candidate;
                break;
            }
        }
    }
    return logs;
}

int runBatchExport(const ExportOptions &options, std::FILE *errors)
{
    QStringList problems;
    const std::vector<BatchLog> logs = collectBatchLogs(options.logs, options.recursive, problems);
    BatchReport report(errors, int(logs.size() + problems.size()), options.quiet);
    for (const QString &problem : problems)
        report.failed(problem);
    if (logs.empty()) {
        report.finish();
        return 1;
    }
    QString why;
    if (!makeFolder(options.outDir, why)) {
        report.failed(QStringLiteral("cannot make the output folder %1: %2; nothing was written").arg(options.outDir, why),
                      false);
        return 1;
    }

    // Each log's run, its outputs named in the output folder. An output that
    // is one of the logs (of this log or another, in any spelling) or that
    // another output of the batch already reaches is refused before any
    // thread starts, and that log is not written at all.
    QSet<QString> logKeys;
    for (const BatchLog &log : logs)
        logKeys.insert(fileIdentityKey(log.path));
    QHash<QString, QString> outputOwners;
    struct Job {
        ExportOptions options;
        QString refused;
    };
    std::vector<Job> jobs(logs.size());
    ExportOptions shape = options;
    shape.logs.clear();
    shape.batchOutputs.clear();
    shape.outDir.clear();
    shape.recursive = shape.quiet = false;
    shape.jobs = 0;
    const QString folder = options.outDir.endsWith(QLatin1Char('/')) ? options.outDir : options.outDir + QLatin1Char('/');
    bool needsGui = false;
    for (std::size_t i = 0; i < logs.size(); ++i) {
        Job &job = jobs[i];
        job.options = shape;
        job.options.log = logs[i].path;
        if (logs[i].name != baseName(logs[i].path))
            report.note(QStringLiteral("%1 is written as %2, its own name being taken").arg(logs[i].path, logs[i].name));
        for (const OutputKind &kind : outputKinds()) {
            if (!options.batchOutputs.contains(QLatin1String(kind.option)))
                continue;
            const QString file = folder + logs[i].name + QLatin1String(kind.batchSuffix);
            job.options.*(kind.target) = file;
            const QString key = fileIdentityKey(file);
            if (job.refused.isEmpty() && logKeys.contains(key))
                job.refused = QStringLiteral("%1: %2 %3 would overwrite a log; nothing was written for it")
                                  .arg(logs[i].path, QLatin1String(kind.option), file);
            else if (job.refused.isEmpty() && outputOwners.contains(key))
                job.refused = QStringLiteral("%1: %2 %3 is the file %4 writes; nothing was written for it")
                                  .arg(logs[i].path, QLatin1String(kind.option), file, outputOwners.value(key));
        }
        if (job.refused.isEmpty()) {
            for (const auto &output : job.options.outputs())
                outputOwners.insert(fileIdentityKey(output.second), logs[i].path);
        }
        needsGui = needsGui || job.options.needsGui();
    }

    // Text drawing needs the application object, and the faces are
    // registered once, here, before any thread draws.
    std::unique_ptr<QGuiApplication> gui;
    if (needsGui) {
        gui = ensureGuiApplication();
        registerCompatibleFonts();
        registerChartFonts();
    }

    const int wanted = options.jobs > 0 ? options.jobs : std::max(1, QThread::idealThreadCount());
    const int threads = std::min<int>(wanted, int(jobs.size()));
    // The logs already keep the threads busy: a printout each draws its
    // pages on one; a lone log's printout draws on them all.
    for (Job &job : jobs)
        job.options.pdfThreads = threads > 1 ? 1 : wanted;
    // The files go in place on a thread of their own, as each one's sync to
    // the disk would otherwise keep its writer waiting, and the writers one
    // another. A log counts as done once its files are in place.
    BackgroundCommitter committer;
    std::atomic<std::size_t> next{0};
    const auto work = [&] {
        for (std::size_t i = next++; i < jobs.size(); i = next++) {
            const Job &job = jobs[i];
            if (!job.refused.isEmpty()) {
                report.failed(job.refused);
                continue;
            }
            // What the run printed, read by the call that reports the log.
            const auto outcome = std::make_shared<std::pair<int, QString>>(1, QString());
            committer.run([&] { outcome->first = runOne(job.options, outcome->second); },
                          [&report, outcome, log = job.options.log](const QStringList &failures) {
                              if (outcome->first == 0 && failures.isEmpty())
                                  report.done(log);
                              else
                                  report.failed(QStringLiteral("%1: %2").arg(
                                      log, outcome->first != 0 ? outcome->second : failures.join(QStringLiteral("; "))));
                          });
        }
    };
    std::vector<std::thread> pool;
    for (int t = 1; t < threads; ++t)
        pool.emplace_back(work);
    work();
    for (std::thread &t : pool)
        t.join();
    committer.waitForAll();
    report.finish();
    return report.failedCount() > 0 ? 1 : 0;
}

} // namespace sorvant
