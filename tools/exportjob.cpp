#include "exportjob.h"
#include "batchexport.h"
#include "pdfoutput.h"

#include "logdata/loadlog.h"
#include "output/csvwriter.h"
#include "output/spanscsv.h"
#include "output/printing/printsettings.h"
#include "output/printing/printsettingsfile.h"
#include "output/report/dryingreport.h"
#include "output/xlswriter.h"
#include "platform/filenames.h"
#include "platform/programinfo.h"
#include "platform/usererror.h"
#include "views/seriesset.h"
#include "views/chartview.h"
#include "views/overviewconfig.h"
#include "views/spreadsheetconfig.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLocale>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>

#include <sys/stat.h>
#include <unistd.h>

namespace sorvant {

namespace {

// An image beyond these would take seconds and gigabytes to draw and save.
constexpr int kMaxImageSide = 16384;
constexpr qint64 kMaxImageBytes = 256LL * 1024 * 1024; // 32-bit pixels

// The synopsis, printed alone after a bad argument and first in the help.
QString usageText()
{
    return QStringLiteral(
        "Usage: sorvant-export LOG.dat [--step N] [--hide COLS] --csv OUT.csv\n"
        "  or:  sorvant-export LOG.dat [--step N] [--hide COLS] --xls OUT.xls\n"
        "  or:  sorvant-export LOG.dat [--step N] [--hide COLS] --pdf OUT.pdf [PDF OPTION]...\n"
        "  or:  sorvant-export LOG.dat [--step N] --chart-png OUT.png [CHART OPTION]...\n"
        "  or:  sorvant-export LOG.dat [--step N] --chart-pdf OUT.pdf [CHART OPTION]... [--paper SIZE]\n"
        "  or:  sorvant-export LOG.dat [--limit Q:LOW:HIGH]... --spans OUT.csv\n"
        "  or:  sorvant-export LOG.dat [--limit Q:LOW:HIGH]... --overview-png OUT.png [--size WxH]\n"
        "  or:  sorvant-export LOG.dat [--limit Q:LOW:HIGH]... --report-pdf OUT.pdf [--title TEXT]\n"
        "                      [--paper SIZE]\n"
        "  or:  sorvant-export LOG... --out-dir DIR [--recursive] [-j N] [--quiet] [--csv] [--xls] [--pdf]\n"
        "                      [--chart-pdf] [--chart-png] [--overview-png] [--spans] [--report-pdf]\n"
        "                      [OPTION]...\n");
}

// What --help prints; the manual page sorvant-export(1) is made from it by
// help2man, so every option, exit code and variable belongs here. Tags are
// indented by two and their texts start in column 23.
QString helpText()
{
    return usageText()
           + QStringLiteral(
               "Loads a dryer log (.dat) as Sorvant does and writes its spreadsheet as a CSV\n"
               "file, an Excel 97-2003 workbook or a printout in a PDF file, and one page of\n"
               "its chart as a PNG image or a printout in a PDF file; one run may write any\n"
               "of them. The log is only read. Each file is written to a temporary file\n"
               "beside it and renamed into place when complete, so a failure never leaves a\n"
               "half-written file. The output is byte for byte what Sorvant's window writes\n"
               "for the same log, step and hidden columns.\n"
               "\n"
               "Options:\n"
               "  --step N             records per row, a whole number from 1 (default 25;\n"
               "                       5, 15, 25, 75 and 150 are Sorvant's 1, 3, 5, 15 and\n"
               "                       30 minute averaging)\n"
               "  --hide COLS          column indices 0-8 to leave out of the spreadsheet,\n"
               "                       separated by commas (0 Record #, 1 Wet Grain Temp,\n"
               "                       2 Grain Temp Inside Dryer, 3 Dried Grain Temp,\n"
               "                       4 Moisture In, 5 Moisture Out, 6 Unload Rate,\n"
               "                       7 Time, 8 Bin Number); one column always stays\n"
               "  -h, --help           show this help and exit\n"
               "  --version            show the version and exit\n"
               "\n"
               "Outputs:\n"
               "  --csv FILE           the spreadsheet as comma-separated text\n"
               "  --xls FILE           the spreadsheet as an Excel 97-2003 workbook\n"
               "  --pdf FILE           the spreadsheet printed into a PDF file, as Print\n"
               "                       does with the starting print settings\n"
               "  --chart-png FILE     one page of the chart as a PNG image\n"
               "  --chart-pdf FILE     one page of the chart printed into a PDF file, as\n"
               "                       Print does: landscape, under the date line; laid out\n"
               "                       as the chart stands in Sorvant's window, 925x606,\n"
               "                       or at --size WxH\n"
               "  --overview-png FILE  every record of the log drawn as the overview window\n"
               "                       draws it, the out-of-range spans of the --limit\n"
               "                       values shaded (--size WxH, default 1600x500)\n"
               "  --spans FILE         the out-of-range spans of the --limit values as\n"
               "                       comma-separated text, as Find Out of Range saves them\n"
               "  --report-pdf FILE    the drying report printed into a PDF file, as Print\n"
               "                       Report does: which log, how long the dryer ran, the\n"
               "                       lowest, mean and highest readings, the time within\n"
               "                       the --limit values, each bin and each day, and the\n"
               "                       overview, from every record, on portrait pages\n"
               "\n"
               "Limit options:\n"
               "  --limit \"QUANTITY:LOWEST:HIGHEST\"\n"
               "                       a limit for --spans, --overview-png and --report-pdf,\n"
               "                       for example \"Moisture Out:14:16\" or\n"
               "                       \"Grain Temp in Dryer::120\";\n"
               "                       either value may be empty, QUANTITY is a series title\n"
               "                       in any letter case; repeat it for more quantities\n"
               "\n"
               "Many logs in one call:\n"
               "  --out-dir DIR        write the outputs of every LOG into DIR, named after\n"
               "                       the log: NAME.csv, NAME.xls, NAME.pdf, NAME.chart.pdf,\n"
               "                       NAME.chart.png, NAME.overview.png, NAME.spans.csv and\n"
               "                       NAME.report.pdf for NAME.dat; the output options\n"
               "                       then take no file\n"
               "                       name, and every other option applies to each log.\n"
               "                       A LOG may be a folder: its .dat files (in any letter\n"
               "                       case). Two logs of one name are written as NAME,\n"
               "                       NAME-2, ..., never over each other\n"
               "  --recursive          take the .dat files of the folders' subfolders too\n"
               "  -j N, --jobs N       logs written at once (default: one per core)\n"
               "  --quiet              no progress, only the logs that failed and the count\n"
               "                       (a log that fails is named on standard error with\n"
               "                       the reason, and the others go on)\n"
               "\n"
               "PDF options:\n"
               "  --paper SIZE         A4, Letter, Legal or A3, for every PDF file (default:\n"
               "                       the system's paper)\n"
               "  --title TEXT         the title of the --report-pdf report: the farm, the\n"
               "                       dryer\n"
               "  --print-settings FILE\n"
               "                       print --pdf with the layout saved in FILE by the\n"
               "                       \"Save settings\" button of the Print Data Sheet\n"
               "                       dialog (its PRINTSETTINGS section); FILE must exist\n"
               "\n"
               "Chart options:\n"
               "  --page P             the page, from 1 (default 1)\n"
               "  --size WxH           the PNG image in pixels (default 1200x800; at most\n"
               "                       16384 a side and 256 MB of 4-byte pixels)\n"
               "  --3d                 the 3D view\n"
               "  --markers            the value markers\n"
               "  --hide-series LIST   series 1-6 to leave out, separated by commas\n"
               "                       (1 Moisture In, 2 Moisture Out, 3 Grain Temp In,\n"
               "                       4 Grain Temp in Dryer, 5 Grain Temp Out,\n"
               "                       6 Unload Rate)\n"
               "\n"
               "Exit status:\n"
               "  0                    every output was written\n"
               "  1                    the log could not be read (\"File Error\" on standard\n"
               "                       error, nothing written), the chart has no such\n"
               "                       page, the print settings file is missing, or an\n"
               "                       output could not be written (the others still are);\n"
               "                       with --out-dir, any log failed\n"
               "  2                    bad arguments, or an output that is the log itself, the\n"
               "                       print settings file or another output of the run:\n"
               "                       nothing is read or written\n"
               "\n"
               "Environment:\n"
               "  LC_ALL, LC_NUMERIC, LANG\n"
               "                       the decimal separator of the moisture columns:\n"
               "                       LC_ALL=de_DE.UTF-8 writes 21,5\n"
               "  DISPLAY              not needed: without a display the chart and the\n"
               "                       printouts are drawn offscreen\n"
               "\n"
               "Examples:\n"
               "  The spreadsheet at 1 minute averaging, as File > Export writes it:\n"
               "    $ sorvant-export run.dat --step 5 --csv run.csv\n"
               "  A workbook without the record numbers and bins, with decimal commas:\n"
               "    $ LC_ALL=de_DE.UTF-8 sorvant-export run.dat --hide 0,8 --xls run.xls\n"
               "  A printout on Letter paper in a layout saved by Save settings in the window\n"
               "  (~/.config/Sorvant/DataLogPrinterSettings.ini, copied to layout.ini):\n"
               "    $ sorvant-export run.dat --pdf run.pdf --paper Letter --print-settings layout.ini\n"
               "  The third chart page in 3D as an image, and the table beside it:\n"
               "    $ sorvant-export run.dat --chart-png p3.png --page 3 --3d --csv run.csv\n"
               "  A report for the farmer, with Moisture Out to stay within 14 to 16 %:\n"
               "    $ sorvant-export run.dat --limit \"Moisture Out:14:16\" --report-pdf report.pdf --title \"Hill Farm\"\n"
               "  The times Moisture Out left 14 to 16 %, and the whole log as a picture:\n"
               "    $ sorvant-export run.dat --limit \"Moisture Out:14:16\" --spans out.csv --overview-png run.png\n"
               "  A season of logs, every folder below season/, as CSV and PDF on every core:\n"
               "    $ sorvant-export season/ --recursive --out-dir converted --csv --pdf\n"
               "\n"
               "See also:\n"
               "  sorvant(1)           the window, with the same load, export and print\n");
}

// Qt's own warnings (a missing XDG_RUNTIME_DIR, a font or platform plugin
// remark) are not ours to show: scripts read stderr for our failures. Only a
// fatal message, which ends the process, still says why.
void keepQtMessagesOffStderr(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtFatalMsg) {
        const QByteArray text = message.toLocal8Bit();
        std::fprintf(stderr, "sorvant-export: %s\n", text.constData());
    }
}

void printTo(std::FILE *stream, const QString &text)
{
    printText(stream, text);
}

// The regional decimal separator, as LC_ALL, LC_NUMERIC and LANG give it.
QChar systemDecimalSeparator()
{
    const QString point = QLocale::system().decimalPoint();
    return point.isEmpty() ? QLatin1Char('.') : point.at(0);
}

// A step is any whole number from 1. Beyond the largest int it means the
// same as the largest int (one row for any log), so it is clamped, not refused.
bool parseStep(const QString &s, int &out)
{
    if (s.isEmpty())
        return false;
    for (const QChar ch : s) {
        if (ch < QLatin1Char('0') || ch > QLatin1Char('9'))
            return false;
    }
    qsizetype first = 0;
    while (first < s.size() && s.at(first) == QLatin1Char('0'))
        ++first;
    const qsizetype digits = s.size() - first;
    if (digits == 0)
        return false; // zero
    const qlonglong v = digits > 10 ? INT32_MAX : s.mid(first).toLongLong();
    out = static_cast<int>(std::min<qlonglong>(v, INT32_MAX));
    return true;
}

bool parseWhole(const QString &s, int min, int max, int &out)
{
    bool ok = false;
    const qlonglong v = s.toLongLong(&ok);
    if (!ok || v < min || v > max)
        return false;
    out = static_cast<int>(v);
    return true;
}

// More threads than this only cost memory (a log store each).
constexpr int kMaxJobs = 256;

const OutputKind *findOutputKind(const QString &option)
{
    for (const OutputKind &kind : outputKinds()) {
        if (option == QLatin1String(kind.option))
            return &kind;
    }
    return nullptr;
}

QString titleWithoutReport()
{
    return QStringLiteral("--title names the --report-pdf report: give --report-pdf too");
}

int badArguments(QString &message, const QString &why)
{
    message = QStringLiteral("sorvant-export: %1\n%2Try 'sorvant-export --help' for more information.\n")
                  .arg(why, usageText());
    return 2;
}

} // namespace

int parseExportArguments(const QStringList &args, ExportOptions &o, QString &message)
{
    if (const auto answer = helpOrVersionAnswer(args, QStringLiteral("sorvant-export"), helpText())) {
        message = *answer;
        return -1;
    }
    // With --out-dir anywhere on the line the output options are flags.
    const bool batch = args.contains(QStringLiteral("--out-dir"));
    for (int i = 0; i < args.size(); ++i) {
        const QString &a = args[i];
        const auto value = [&](QString &out) {
            if (i + 1 >= args.size())
                return false;
            out = args[++i];
            return true;
        };
        QString v;
        if (a == QLatin1String("--step")) {
            if (!value(v) || !parseStep(v, o.step))
                return badArguments(message, QStringLiteral("--step takes a whole number from 1"));
        } else if (a == QLatin1String("--hide")) {
            if (!value(v))
                return badArguments(message, QStringLiteral("--hide takes column indices"));
            for (const QString &part : v.split(QLatin1Char(','))) {
                int c = 0;
                if (!parseWhole(part.trimmed(), 0, kColumnCount - 1, c))
                    return badArguments(message, QStringLiteral("--hide takes column indices 0-8 separated by commas"));
                o.hiddenColumns.push_back(c);
            }
        } else if (const OutputKind *kind = findOutputKind(a)) {
            // A batch names its files itself; one log takes the name given.
            if (batch) {
                if (!o.batchOutputs.contains(a))
                    o.batchOutputs << a;
            } else {
                QString &target = o.*(kind->target);
                if (!value(target) || target.isEmpty())
                    return badArguments(message, QStringLiteral("%1 takes a file name").arg(a));
            }
        } else if (a == QLatin1String("--out-dir")) {
            if (!value(o.outDir) || o.outDir.isEmpty())
                return badArguments(message, QStringLiteral("--out-dir takes a folder"));
        } else if (a == QLatin1String("--recursive")) {
            o.recursive = true;
        } else if (a == QLatin1String("--quiet")) {
            o.quiet = true;
        } else if (a == QLatin1String("-j") || a == QLatin1String("--jobs")) {
            if (!value(v) || !parseWhole(v, 1, kMaxJobs, o.jobs))
                return badArguments(message, QStringLiteral("%1 takes a number of threads from 1 to %2").arg(a).arg(kMaxJobs));
        } else if (a.startsWith(QLatin1String("-j")) && a.size() > 2 && a.at(2).isDigit()) {
            // -j4, as make takes it.
            if (!parseWhole(a.mid(2), 1, kMaxJobs, o.jobs))
                return badArguments(message, QStringLiteral("-j takes a number of threads from 1 to %1").arg(kMaxJobs));
        } else if (a == QLatin1String("--limit")) {
            if (!value(v))
                return badArguments(message, QStringLiteral("--limit takes QUANTITY:LOWEST:HIGHEST"));
            int series = 0;
            QuantityLimit limit;
            QString why;
            if (!parseLimitOption(v, series, limit, why))
                return badArguments(message, why);
            o.limits[series] = limit;
        } else if (a == QLatin1String("--title")) {
            if (!value(o.reportTitle))
                return badArguments(message, QStringLiteral("--title takes the report's title"));
        } else if (a == QLatin1String("--print-settings")) {
            if (!value(o.printSettings) || o.printSettings.isEmpty())
                return badArguments(message, QStringLiteral("--print-settings takes a file name"));
        } else if (a == QLatin1String("--paper")) {
            if (!value(o.paper) || !isPaperName(o.paper))
                return badArguments(message, QStringLiteral("--paper takes A4, Letter, Legal or A3"));
        } else if (a == QLatin1String("--page")) {
            if (!value(v) || !parseWhole(v, 1, INT32_MAX, o.chartPage))
                return badArguments(message, QStringLiteral("--page takes a page number from 1"));
        } else if (a == QLatin1String("--size")) {
            const QStringList wh = value(v) ? v.split(QLatin1Char('x')) : QStringList();
            if (wh.size() != 2 || !parseWhole(wh[0], 1, INT32_MAX, o.chartWidth)
                || !parseWhole(wh[1], 1, INT32_MAX, o.chartHeight))
                return badArguments(message, QStringLiteral("--size takes WIDTHxHEIGHT in pixels"));
            o.chartSizeGiven = true;
            if (o.chartWidth > kMaxImageSide || o.chartHeight > kMaxImageSide
                || qint64(o.chartWidth) * o.chartHeight * 4 > kMaxImageBytes)
                return badArguments(message, QStringLiteral("--size %1x%2 is too large: at most %3 pixels a side and "
                                                            "%4 MB of pixels (4 bytes each), for example 8192x8192")
                                                 .arg(o.chartWidth)
                                                 .arg(o.chartHeight)
                                                 .arg(kMaxImageSide)
                                                 .arg(kMaxImageBytes / (1024 * 1024)));
        } else if (a == QLatin1String("--3d")) {
            o.chart3D = true;
        } else if (a == QLatin1String("--markers")) {
            o.chartMarkers = true;
        } else if (a == QLatin1String("--hide-series")) {
            if (!value(v))
                return badArguments(message, QStringLiteral("--hide-series takes series numbers"));
            for (const QString &part : v.split(QLatin1Char(','))) {
                int n = 0;
                if (!parseWhole(part.trimmed(), 1, kSeriesCount, n))
                    return badArguments(message, QStringLiteral("--hide-series takes series numbers 1-6 separated by commas"));
                o.hiddenSeries.push_back(n);
            }
        } else if (a.startsWith(QLatin1Char('-')) && a.size() > 1) {
            return badArguments(message, QStringLiteral("unknown option %1").arg(a));
        } else if (batch) {
            o.logs << a;
        } else if (o.log.isEmpty()) {
            o.log = a;
        } else {
            return badArguments(message, QStringLiteral("only one log file can be exported at a time without "
                                                        "--out-dir DIR"));
        }
    }
    if (batch) {
        if (o.logs.isEmpty())
            return badArguments(message, QStringLiteral("no log file or folder given"));
        if (o.batchOutputs.isEmpty())
            return badArguments(message, QStringLiteral("nothing to write: give --csv, --xls, --chart-png, --pdf, "
                                                        "--chart-pdf, --overview-png, --spans or --report-pdf"));
        if (!o.printSettings.isEmpty() && !o.batchOutputs.contains(QStringLiteral("--pdf")))
            return badArguments(message, QStringLiteral("--print-settings shapes the --pdf printout: give --pdf too"));
        if (!o.reportTitle.isEmpty() && !o.batchOutputs.contains(QStringLiteral("--report-pdf")))
            return badArguments(message, titleWithoutReport());
        return 0;
    }
    if (o.recursive || o.quiet || o.jobs != 0)
        return badArguments(message, QStringLiteral("--recursive, --jobs and --quiet are for many logs: give --out-dir DIR"));
    if (o.log.isEmpty())
        return badArguments(message, QStringLiteral("no log file given"));
    if (!o.hasOutput())
        return badArguments(message, QStringLiteral("nothing to write: give --csv, --xls, --chart-png, --pdf, --chart-pdf, "
                                                    "--overview-png, --spans or --report-pdf"));
    if (!o.printSettings.isEmpty() && o.pdf.isEmpty())
        return badArguments(message, QStringLiteral("--print-settings shapes the --pdf printout: give --pdf too"));
    if (!o.reportTitle.isEmpty() && o.reportPdf.isEmpty())
        return badArguments(message, titleWithoutReport());
    return 0;
}

const std::vector<OutputKind> &outputKinds()
{
    static const std::vector<OutputKind> kinds = {
        {"--csv", &ExportOptions::csv, ".csv"},
        {"--xls", &ExportOptions::xls, ".xls"},
        {"--chart-png", &ExportOptions::chartPng, ".chart.png"},
        {"--pdf", &ExportOptions::pdf, ".pdf"},
        {"--chart-pdf", &ExportOptions::chartPdf, ".chart.pdf"},
        {"--overview-png", &ExportOptions::overviewPng, ".overview.png"},
        {"--spans", &ExportOptions::spansCsv, ".spans.csv"},
        {"--report-pdf", &ExportOptions::reportPdf, ".report.pdf"},
    };
    return kinds;
}

std::vector<std::pair<QString, QString>> ExportOptions::outputs() const
{
    std::vector<std::pair<QString, QString>> list;
    for (const OutputKind &kind : outputKinds()) {
        const QString &file = this->*(kind.target);
        if (!file.isEmpty())
            list.emplace_back(QLatin1String(kind.option), file);
    }
    return list;
}

namespace {

// Which file a name reaches. An existing file is its device and inode, so
// every link to it is the same file; a file still to be created is the
// real path of its folder and its name, where writing it would create it.
struct FileIdentity {
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
    QString createdAt;
    bool operator==(const FileIdentity &o) const
    {
        return exists == o.exists && (exists ? device == o.device && inode == o.inode : createdAt == o.createdAt);
    }
};

// Names reach the system as their own bytes (see filenames.h); QFileInfo
// would not find a name that is not UTF-8.
bool isSymLink(const QString &path)
{
    struct stat st {};
    return ::lstat(encodeFileName(path).constData(), &st) == 0 && S_ISLNK(st.st_mode);
}

QString symLinkTarget(const QString &link)
{
    char target[PATH_MAX];
    const ssize_t n = ::readlink(encodeFileName(link).constData(), target, sizeof target);
    if (n < 0)
        return link;
    return QDir::cleanPath(QDir(QFileInfo(link).absolutePath()).absoluteFilePath(decodeFileName(QByteArray(target, n))));
}

QString canonicalPath(const QString &path)
{
    char *resolved = ::realpath(encodeFileName(path).constData(), nullptr);
    if (!resolved)
        return QString();
    const QString result = decodeFileName(QByteArray(resolved));
    std::free(resolved);
    return result;
}

FileIdentity identify(const QString &name)
{
    FileIdentity id;
    struct stat st {};
    if (::stat(encodeFileName(name).constData(), &st) == 0) {
        id.exists = true;
        id.device = st.st_dev;
        id.inode = st.st_ino;
        return id;
    }
    // A dangling link is written through: the file appears at its target.
    QString path = QFileInfo(name).absoluteFilePath();
    for (int hops = 0; hops < 40 && isSymLink(path); ++hops)
        path = symLinkTarget(path);
    const QFileInfo info(path);
    const QString folder = canonicalPath(info.absolutePath());
    id.createdAt = folder.isEmpty() ? QDir::cleanPath(info.absoluteFilePath()) : folder + QLatin1Char('/') + info.fileName();
    return id;
}

} // namespace

QString fileIdentityKey(const QString &name)
{
    const FileIdentity id = identify(name);
    return id.exists ? QStringLiteral("i%1:%2").arg(quint64(id.device)).arg(quint64(id.inode))
                     : QStringLiteral("p") + id.createdAt;
}

int checkOutputTargets(const ExportOptions &o, QString &message)
{
    const FileIdentity log = identify(o.log);
    const FileIdentity settings = o.printSettings.isEmpty() ? FileIdentity() : identify(o.printSettings);
    const auto outputs = o.outputs();
    std::vector<FileIdentity> ids;
    for (const auto &[option, file] : outputs) {
        const FileIdentity id = identify(file);
        if (id == log) {
            message = QStringLiteral("sorvant-export: %1 %2 is the log %3 itself; nothing was written, choose "
                                     "another file")
                          .arg(option, file, o.log);
            return 2;
        }
        if (!o.printSettings.isEmpty() && id == settings) {
            message = QStringLiteral("sorvant-export: %1 %2 is the print settings file %3 itself; nothing was "
                                     "written, choose another file")
                          .arg(option, file, o.printSettings);
            return 2;
        }
        for (std::size_t k = 0; k < ids.size(); ++k) {
            if (ids[k] == id) {
                message = QStringLiteral("sorvant-export: %1 %2 and %3 %4 are the same file; nothing was written, "
                                         "give each output its own file")
                              .arg(outputs[k].first, outputs[k].second, option, file);
                return 2;
            }
        }
        ids.push_back(id);
    }
    return 0;
}

int runExport(const ExportOptions &o, std::FILE *errors)
{
    QString refused;
    if (checkOutputTargets(o, refused) != 0) {
        printTo(errors, refused);
        return 2;
    }
    DataGridStore grid(kColumnCount);
    configureSpreadsheetStore(grid);
    for (int c : o.hiddenColumns)
        grid.HideColumn(c);
    std::unique_ptr<SeriesSet> series;
    // The chart draws text, which needs a GUI application (offscreen when
    // there is no display); a CSV alone never makes one.
    std::unique_ptr<QGuiApplication> gui;
    std::unique_ptr<ChartImageExport> chart;
    if (o.needsGui())
        gui = ensureGuiApplication();
    if (!o.chartPng.isEmpty() || !o.chartPdf.isEmpty()) {
        chart = std::make_unique<ChartImageExport>();
    } else if (o.needsSeries()) {
        series = std::make_unique<SeriesSet>();
    }

    // A settings file named on the command line must exist: a typo there
    // would otherwise print with defaults nobody asked for.
    PrintSettings printSettings;
    if (!o.printSettings.isEmpty()) {
        QString why;
        if (!LoadPrintSettingsFromExistingFile(o.printSettings, printSettings, &why)) {
            printTo(errors, QStringLiteral("sorvant-export: %1").arg(why));
            return 1;
        }
    }

    const auto store = std::make_unique<LogStore>();
    GridTableSink table(grid);
    LoadTargets targets;
    targets.table = &table;
    targets.series = chart ? &chart->seriesSink() : series.get();
    const CellTextFormat format(systemDecimalSeparator());
    const LoadResult loaded = LoadLog(o.log, o.step, *store, format, targets);
    if (!loaded.ok) {
        printTo(errors, QStringLiteral("%1: %2 (%3: %4)")
                            .arg(fileErrorCaption(), fileErrorText(), o.log, loaded.detail));
        return 1;
    }

    // Every output is attempted even when an earlier one failed, so one bad
    // target does not cost the user the others.
    int exitCode = 0;
    const auto write = [&](const auto &writer) {
        try {
            writer();
        } catch (const UserError &e) {
            printTo(errors, QStringLiteral("sorvant-export: %1").arg(e.text()));
            exitCode = 1;
        }
    };
    if (!o.csv.isEmpty())
        write([&] { SaveToCSV(grid, o.csv); });
    if (!o.xls.isEmpty())
        write([&] { SaveToXLS(grid, o.xls, systemDecimalSeparator()); });
    if (!o.pdf.isEmpty())
        write([&] { writeSpreadsheetPdf(grid, printSettings, o.pdf, o.paper, o.pdfThreads); });
    // The chart as the options set it up, seen at `size`.
    const auto chartRequest = [&o](const QSize &size) {
        ChartImageRequest request;
        request.page = o.chartPage;
        request.size = size;
        request.view3D = o.chart3D;
        request.markers = o.chartMarkers;
        request.hiddenSeries = o.hiddenSeries;
        return request;
    };
    if (chart && !o.chartPdf.isEmpty()) {
        // Laid out as the window shows it at its designed size, unless asked
        // otherwise: the page's texts and lines then stand as a Print from
        // the window puts them.
        const ChartImageRequest request =
            chartRequest(o.chartSizeGiven ? QSize(o.chartWidth, o.chartHeight) : kWindowChartSize);
        write([&] {
            chart->apply(request);
            writeChartPdf(chart->model(), o.chartPdf, o.paper);
        });
    }
    if (chart && !o.chartPng.isEmpty()) {
        const ChartImageRequest request = chartRequest(QSize(o.chartWidth, o.chartHeight));
        write([&] { chart->writePng(request, o.chartPng); });
    }
    if (!o.overviewPng.isEmpty()) {
        const QSize size = o.chartSizeGiven ? QSize(o.chartWidth, o.chartHeight) : QSize(1600, 500);
        write([&] { writeOverviewPng(*store, o.limits, size, o.overviewPng); });
    }
    if (!o.spansCsv.isEmpty()) {
        write([&] {
            SaveSpansToCSV(findOutOfRangeSpans(store->data(), store->count(), o.limits), *store, format, o.spansCsv);
        });
    }
    if (!o.reportPdf.isEmpty()) {
        write([&] {
            const DryingReport report(*store, o.limits, reportInput(o.reportTitle, o.log));
            writeReportPdf(report, o.reportPdf, o.paper);
        });
    }
    return exitCode;
}

int runExportTool(int argc, char **argv)
{
    // Every argument is decoded as a file name, so that a name that is not
    // UTF-8 still reaches its file; options are ASCII either way.
    qInstallMessageHandler(keepQtMessagesOffStderr);
    const QStringList args = decodeArguments(argc, argv);
    ExportOptions o;
    QString message;
    const int parsed = parseExportArguments(args, o, message);
    if (parsed != 0) {
        printTo(parsed == 2 ? stderr : stdout, message);
        return parsed < 0 ? 0 : parsed;
    }
    if (o.batch())
        return runBatchExport(o, stderr);
    // For the benchmark and the tests that compare the printout drawn on
    // several threads with the one drawn as a single document.
    bool given = false;
    const int pdfThreads = qEnvironmentVariableIntValue("SORVANT_EXPORT_PDF_THREADS", &given);
    if (given && pdfThreads > 0)
        o.pdfThreads = pdfThreads;
    return runExport(o, stderr);
}

} // namespace sorvant
