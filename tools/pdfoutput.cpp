#include "pdfoutput.h"

#include "output/printing/chartpage.h"
#include "output/printing/gridprint.h"
#include "output/printing/gridprinttable.h"
#include "output/printing/pdfwriterdevice.h"
#include "platform/fonts.h"
#include "platform/outputfile.h"
#include "platform/usererror.h"
#include "views/spreadsheetconfig.h"

#include <QDateTime>
#include <QGuiApplication>
#include <QIODevice>
#include <QPalette>
#include <QPrinter>

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

// A sequential device over an OutputFile, for the PDF writer.
class OutputFileDevice : public QIODevice
{
public:
    explicit OutputFileDevice(OutputFile &file) : m_file(file) { open(QIODevice::WriteOnly); }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *data, qint64 size) override
    {
        return m_file.write(data, static_cast<std::size_t>(size)) ? size : -1;
    }

private:
    OutputFile &m_file;
};

// Prints into a PDF written as every export is: beside the target and put in
// place only once the job has ended, so a failed job leaves nothing behind.
void printPdf(const QString &path, const QString &paper, const std::function<void(PrinterDevice &)> &job)
{
    // The page as a PDF printer of that paper has it, so the pages are the
    // ones the window's Print gives on such a printer.
    QPrinter reference(QPrinter::HighResolution);
    reference.setOutputFormat(QPrinter::PdfFormat);
    if (!paper.isEmpty())
        reference.setPageSize(QPageSize(paperId(paper)));

    OutputFile file(path);
    if (!file.open())
        throw UserError(QStringLiteral("Cannot Create file ") + path);
    OutputFileDevice output(file);
    {
        PdfWriterDevice device(&output, reference.pageLayout(), reference.resolution());
        job(device);
    }
    if (!file.commit())
        throw UserError(QStringLiteral("Error writing file %1: %2").arg(path, file.errorString()));
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
