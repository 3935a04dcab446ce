#include "pdfoutput.h"

#include "output/printing/chartpage.h"
#include "output/printing/gridprint.h"
#include "output/printing/gridprinttable.h"
#include "output/printing/qtprinterdevice.h"
#include "platform/fonts.h"
#include "platform/usererror.h"
#include "views/spreadsheetconfig.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPalette>
#include <QPrinter>
#include <QTemporaryFile>

#include <cstdio>
#include <sys/stat.h>
#include <functional>

namespace sorvant {

namespace {

QPageSize::PageSizeId paperId(const QString &name)
{
    const QString n = name.toLower();
    if (n == QLatin1String("letter"))
        return QPageSize::Letter;
    if (n == QLatin1String("legal"))
        return QPageSize::Legal;
    if (n == QLatin1String("a3"))
        return QPageSize::A3;
    return QPageSize::A4;
}

// Prints through a PDF printer into a file beside `path`, renamed over it
// once the job has ended, so a failed job leaves nothing behind.
void printPdf(const QString &path, const QString &paper, const std::function<void(PrinterDevice &)> &job)
{
    const QFileInfo target(path);
    QTemporaryFile temp(target.absoluteDir().filePath(QStringLiteral(".%1.XXXXXX").arg(target.fileName())));
    if (!temp.open())
        throw UserError(QStringLiteral("Cannot Create file %1").arg(path));
    temp.close();

    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(temp.fileName());
    if (!paper.isEmpty())
        printer.setPageSize(QPageSize(paperId(paper)));
    QtPrinterDevice device(printer);
    job(device);
    // The temporary file is private; the PDF gets what a new file would get
    // (or the permissions of the file it replaces).
    const mode_t mask = ::umask(0);
    ::umask(mask);
    const auto unixToQt = [](unsigned bits) {
        const unsigned owner = (bits >> 6) & 7, group = (bits >> 3) & 7, other = bits & 7;
        return QFileDevice::Permissions::fromInt(static_cast<int>(owner << 12 | owner << 8 | group << 4 | other));
    };
    const QFileDevice::Permissions keep = target.exists() ? QFile::permissions(target.absoluteFilePath())
                                                          : unixToQt(0666u & ~static_cast<unsigned>(mask));
    QFile::setPermissions(temp.fileName(), keep);
    const QByteArray from = QFile::encodeName(temp.fileName());
    const QByteArray to = QFile::encodeName(target.absoluteFilePath());
    if (std::rename(from.constData(), to.constData()) != 0)
        throw UserError(QStringLiteral("Cannot Create file %1").arg(path));
    temp.setAutoRemove(false);
}

} // namespace

bool isPaperName(const QString &name)
{
    static const char *const names[] = {"a4", "letter", "legal", "a3"};
    for (const char *n : names) {
        if (name.compare(QLatin1String(n), Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

void writeSpreadsheetPdf(const DataGridStore &grid, const PrintSettings &settings, const QString &path,
                         const QString &paper)
{
    // The window's faces, so the pages are the ones its Print gives.
    registerCompatibleFonts();
    GridPrintLook look;
    look.dataFont = spreadsheetFont(false);
    look.fixedFont = spreadsheetFont(true);
    const QPalette palette = QGuiApplication::palette();
    look.windowColor = palette.color(QPalette::Active, QPalette::Base);
    look.fixedColor = palette.color(QPalette::Active, QPalette::Button);
    look.fixedRowHeight = kFixedRowHeight;
    look.defaultRowHeight = kDefaultRowHeight;
    const DataGridPrintTable table(grid, look);
    printPdf(path, paper, [&](PrinterDevice &device) { PrintGrid(device, table, settings); });
}

void writeChartPdf(const ChartModel &chart, const QString &path, const QString &paper)
{
    printPdf(path, paper, [&](PrinterDevice &device) { PrintChartPage(device, chart, QDateTime::currentDateTime()); });
}

} // namespace sorvant
