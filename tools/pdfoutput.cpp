#include "pdfoutput.h"

#include "output/printing/chartpage.h"
#include "output/printing/gridprint.h"
#include "output/printing/gridprinttable.h"
#include "output/printing/pdfwriterdevice.h"
#include "output/report/dryingreport.h"
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

struct Paper {
    const char *name;
    QPageSize::PageSizeId id;
};
constexpr Paper kPapers[] = {
    {"a4", QPageSize::A4}, {"letter", QPageSize::Letter}, {"legal", QPageSize::Legal}, {"a3", QPageSize::A3}};

const Paper *findPaper(const QString &name)
{
    for (const Paper &p : kPapers) {
        if (name.compare(QLatin1String(p.name), Qt::CaseInsensitive) == 0)
            return &p;
    }
    return nullptr;
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
    if (const Paper *p = findPaper(paper))
        reference.setPageSize(QPageSize(p->id));

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
    return findPaper(name) != nullptr;
}

void writeSpreadsheetPdf(const DataGridStore &grid, const PrintSettings &settings, const QString &path,
                         const QString &paper)
{
    GridPrintLook look;
    look.dataFont = spreadsheetFont(false);
    look.fixedFont = spreadsheetFont(true);
    look.takeColors(QGuiApplication::palette());
    look.fixedRowHeight = kFixedRowHeight;
    look.defaultRowHeight = kDefaultRowHeight;
    const DataGridPrintTable table(grid, look);
    printPdf(path, paper, [&](PrinterDevice &device) { PrintGrid(device, table, settings); });
}

void writeChartPdf(const ChartModel &chart, const QString &path, const QString &paper)
{
    printPdf(path, paper, [&](PrinterDevice &device) { PrintChartPage(device, chart, QDateTime::currentDateTime()); });
}

void writeReportPdf(const DryingReport &report, const QString &path, const QString &paper)
{
    printPdf(path, paper, [&](PrinterDevice &device) { PrintReport(device, report); });
}

} // namespace sorvant
